#pragma once

#include "text/amount.h"

#include <QString>

namespace tolvane {

class Recordset;

// One price-list entry as the part update takes it: the texts already trimmed.
// The linked (lKind/lAtNO) and alternate (AKind/AltNO) fields are empty in the
// calls for linked and alternate numbers and in the all-brand stage.
struct PartEntry {
    QString Kind, PartNO, lKind, lAtNO, AKind, AltNO, EName, TName, Model, Import;
    Currency Price, Sale;
};

// The entry under the recordset's cursor: Kind, PartNO, EName, TName, Model, Import
// (trimmed), Price and Sale, and with `withLinks` also lKind, lAtNO, AKind, AltNO.
// A Null raises the recordset's conversion error.
PartEntry ReadPartEntry(const Recordset& rs, bool withLinks);

} // namespace tolvane
