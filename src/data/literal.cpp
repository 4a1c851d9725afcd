#include "data/literal.h"

namespace tolvane {

QString Literal(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    out += u'\'';
    for (QChar c : value) {
        out += c;
        if (c == u'\'')
            out += c;
    }
    out += u'\'';
    return out;
}

} // namespace tolvane
