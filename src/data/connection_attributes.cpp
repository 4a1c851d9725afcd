#include "data/connection_attributes.h"

namespace tolvane {

namespace {

// Reads a value wrapped in `open`...`close`, where a doubled `close` stands for one.
QString ReadWrapped(const QString& text, qsizetype& pos, QChar close) {
    QString value;
    ++pos;  // the opening character
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (c == close) {
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                value += c;
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        value += c;
        ++pos;
    }
    // Skip to the separator.
    while (pos < text.size() && text[pos] != u';')
        ++pos;
    return value;
}

} // namespace

ConnectionAttributes ParseConnectionText(const QString& text) {
    ConnectionAttributes attributes;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype eq = text.indexOf(u'=', pos);
        const qsizetype semi = text.indexOf(u';', pos);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            if (semi < 0)
                break;
            pos = semi + 1;  // a piece without "=": skipped
            continue;
        }
        const QString key = text.mid(pos, eq - pos).trimmed();
        pos = eq + 1;
        while (pos < text.size() && text[pos] == u' ')
            ++pos;
        QString value;
        if (pos < text.size() && text[pos] == u'{') {
            value = ReadWrapped(text, pos, u'}');
        } else if (pos < text.size() && text[pos] == u'"') {
            value = ReadWrapped(text, pos, u'"');
        } else {
            const qsizetype end = text.indexOf(u';', pos);
            value = text.mid(pos, end < 0 ? -1 : end - pos);
            pos = end < 0 ? text.size() : end;
        }
        attributes.emplace_back(key, value);
        ++pos;  // the ";"
    }
    return attributes;
}

QString AttributeValue(const ConnectionAttributes& attributes, const QString& key) {
    for (const auto& [k, v] : attributes) {
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v.isNull() ? QString(QLatin1String("")) : v;
    }
    return QString();
}

} // namespace tolvane
