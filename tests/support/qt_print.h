#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable QString and QStringList values in GoogleTest failure messages (found by
// argument-dependent look-up, so they live beside the Qt types).
inline std::ostream& operator<<(std::ostream& os, const QString& text) {
    return os << text.toStdString();
}

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "{";
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ",\n  \"" : "\n  \"") << list[i].toStdString() << '"';
    *os << (list.isEmpty() ? "}" : "\n}");
}

// A QString of a u"..." literal held in a table.
inline QString Text(const char16_t* text) {
    return QString::fromUtf16(text);
}

// A parameterised test's name made of a text: letters and digits kept, every other
// run of characters one "_" ("P.45 (Bar)" -> "P_45_Bar_").
inline std::string ParamName(const QString& text) {
    std::string name;
    for (const QChar c : text) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            name += static_cast<char>(c.unicode());
        else if (name.empty() || name.back() != '_')
            name += '_';
    }
    return name;
}
