#include "data/connection_attributes.h"

namespace tolvane {

namespace {

// Reads a value wrapped in `text[pos]`...`close`, where a doubled `close` stands for
// one; `pos` ends just after the closing character (or at the end of an unclosed text).
QString ReadWrapped(const QString& text, qsizetype& pos, QChar close) {
    QString value;
    ++pos; // the opening character
    while (pos < text.size()) {
        const QChar c = text[pos++];
        if (c == close) {
            if (pos < text.size() && text[pos] == close) {
                ++pos;
            } else {
                break;
            }
        }
        value += c;
    }
    return value;
}

bool IsOleDbText(const QString& text) {
    const qsizetype eq = text.indexOf(u'=');
    const qsizetype semi = text.indexOf(u';');
    return eq >= 0 && (semi < 0 || eq < semi) &&
           text.left(eq).trimmed().compare(QLatin1String("Provider"), Qt::CaseInsensitive) == 0;
}

// The value that starts at `pos` (just after "="); `pos` ends at its ";" or the end.
QString ReadValue(const QString& text, qsizetype& pos, bool oleDb) {
    if (oleDb) {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
    }
    const QChar open = pos < text.size() ? text[pos] : QChar();
    const bool wrapped = oleDb ? (open == u'"' || open == u'\'') : open == u'{';
    QString value;
    if (wrapped)
        value = ReadWrapped(text, pos, oleDb ? open : QChar(u'}'));
    // Whatever follows a closing brace or quote up to the separator belongs to no value.
    const qsizetype end = text.indexOf(u';', pos);
    if (!wrapped) {
        value = text.mid(pos, end < 0 ? -1 : end - pos);
        if (oleDb)
            value = value.trimmed();
    }
    pos = end < 0 ? text.size() : end;
    return value;
}

} // namespace

ConnectionAttributes ParseConnectionText(const QString& text) {
    const bool oleDb = IsOleDbText(text);
    ConnectionAttributes attributes;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype eq = text.indexOf(u'=', pos);
        const qsizetype semi = text.indexOf(u';', pos);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            if (semi < 0)
                break;
            pos = semi + 1; // a piece without "=": skipped
            continue;
        }
        ConnectionAttribute attribute;
        attribute.key = text.mid(pos, eq - pos).trimmed();
        attribute.from = pos = eq + 1;
        attribute.value = ReadValue(text, pos, oleDb);
        attribute.to = pos;
        attributes.push_back(attribute);
        ++pos; // the ";"
    }
    return attributes;
}

QString AttributeValue(const ConnectionAttributes& attributes, const QString& key) {
    for (const ConnectionAttribute& a : attributes) {
        if (a.key.compare(key, Qt::CaseInsensitive) == 0)
            return a.value.isNull() ? QString(QLatin1String("")) : a.value;
    }
    return QString();
}

} // namespace tolvane
