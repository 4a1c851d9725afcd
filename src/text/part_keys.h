#pragma once

#include <QString>

namespace tolvane {

// The compact form of a part number: trimmed of blanks, then every blank, "/" and
// "-" removed ("  8-1234-56/0 " -> "81234560").
QString EditString(const QString& strString);

// The search number (FPartNO) of a new part: EditString in the search-key
// versions, otherwise a rule chosen by the brand code (ISUZU: leading prefix;
// NISSAN and UD: six-and-nine; BENZ: EditString; any other brand: empty).
// `ver` is the database version text; it is trimmed here.
QString MakeFPartNO(const QString& brand, const QString& partNO, const QString& ver);

} // namespace tolvane
