#pragma once

#include <QString>
#include <QVariant>

namespace tolvane {

// The Thai search key of a name: every Thai leading vowel (U+0E40..U+0E44) that is
// not the last character changes places with the one character that follows it.
// A value that does not hold a string (null, empty, a number) gives "".
QString MakeThaiFind(const QVariant& value);
QString MakeThaiFind(const QString& value);

} // namespace tolvane
