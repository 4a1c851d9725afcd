#include "text/part_keys.h"

#include "text/versions.h"

namespace tolvane {

namespace {

// ISUZU numbers carry a one-character group before the first hyphen
// ("8-97123-456-0"); the search number is the nine characters that follow it,
// else the first nine.
QString LeadingPrefixKey(const QString& partNO) {
    const bool grouped =
        partNO.size() >= 2 ? partNO[1] == u'-' : partNO.size() == 1 && partNO[0] == u'-';
    if (!grouped)
        return partNO.left(9);
    return partNO.mid(partNO.indexOf(u'-') + 1).left(9);
}

// NISSAN and UD numbers of the form "16546-ED000" are searched by their first
// nine characters; any other number by the whole of it.
QString SixAndNineKey(const QString& partNO) {
    const bool grouped =
        partNO.size() >= 6 ? partNO[5] == u'-' : !partNO.isEmpty() && partNO.back() == u'-';
    return grouped ? partNO.left(9) : partNO;
}

} // namespace

QString EditString(const QString& strString) {
    QString text = TrimBlanks(strString);
    text.remove(u' ');
    text.remove(u'/');
    text.remove(u'-');
    return text;
}

QString MakeFPartNO(const QString& brand, const QString& partNO, const QString& ver) {
    if (IsSearchKeyVersion(TrimBlanks(ver)))
        return EditString(partNO);
    if (brand == u"ISUZU")
        return LeadingPrefixKey(partNO);
    if (brand == u"NISSAN" || brand == u"UD")
        return SixAndNineKey(partNO);
    if (brand == u"BENZ")
        return EditString(partNO);
    return QString();
}

} // namespace tolvane
