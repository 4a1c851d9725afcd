#pragma once

#include <QString>
#include <ostream>

// Lets GoogleTest show texts in failure messages instead of raw bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// A QString of a u"..." literal held in a table.
inline QString Text(const char16_t* text) {
    return QString::fromUtf16(text);
}
