#include "data/connection_texts.h"

#include "data/connection_attributes.h"
#include "data/window.h"
#include "text/failure.h"
#include "text/versions.h"

#include <QRegularExpression>

namespace tolvane {

namespace {

const QString kAccessNew = QStringLiteral("driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=");
const QString kAccessOld = QStringLiteral("driver={Microsoft Access Driver (*.mdb)};dbq=");

bool HasOuterBlank(const QString& value) {
    return !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
}

// A sqloledb attribute value. One that holds ";", "=", a quote, or blanks at either end
// is quoted: in double quotes, or in single quotes when it holds a double quote and no
// single one, or else in double quotes with every '"' doubled.
QString OleDbValue(const QString& value) {
    static const QRegularExpression special(QStringLiteral("[;=\"']"));
    if (!value.contains(special) && !HasOuterBlank(value))
        return value;
    if (!value.contains(u'"'))
        return u'"' + value + u'"';
    if (!value.contains(u'\''))
        return u'\'' + value + u'\'';
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString AccessDriverPrefix(const QString& targetPath) {
    return EndsWithAccdb(TrimBlanks(targetPath)) ? kAccessNew : kAccessOld;
}

} // namespace

bool EndsWithAccdb(const QString& path) {
    return path.size() >= 5 && path.right(5) == QLatin1String("accdb");
}

QString OdbcValue(const QString& value) {
    static const QRegularExpression special(QStringLiteral("[;}=]"));
    if (!value.startsWith(u'{') && !value.contains(special) && !HasOuterBlank(value))
        return value;
    QString braced = value;
    braced.replace(u'}', QStringLiteral("}}"));
    return u'{' + braced + u'}';
}

QString AccessTargetText(const QString& path, bool secondPassword) {
    const QString trimmed = TrimBlanks(path);
    return AccessDriverPrefix(trimmed) + OdbcValue(trimmed) +
           ";UID=admin;PWD=" + (secondPassword ? "ZOR735180" : "QEX418256");
}

QString SourceText(const QString& targetPath, const QString& priceListPath) {
    return AccessDriverPrefix(targetPath) + OdbcValue(TrimBlanks(priceListPath)) +
           ";UID=admin;PWD=KIV392";
}

QString SqlServerText(const QString& server, const QString& uid, const QString& pwd,
                      const QString& database) {
    return "driver={SQL Server};server=" + OdbcValue(server) + ";uid=" + OdbcValue(uid) +
           ";pwd=" + OdbcValue(pwd) + ";database=" + OdbcValue(database) + ";";
}

QString SqlOleDbText(const QString& server, const QString& database, const QString& uid,
                     const QString& pwd) {
    return "Provider=sqloledb;Data Source=" + OleDbValue(server) +
           ";Initial Catalog=" + OleDbValue(database) + ";User Id=" + OleDbValue(uid) +
           ";Password=" + OleDbValue(pwd) + ";";
}

QString ShopInThai(const FormFields& fields) {
    if (fields.optAccess)
        return FileInThai(TrimBlanks(fields.txtDataVelmora));
    return DatabaseInThai(fields.txtServer, fields.txtdbq);
}

QString MaskPasswords(const QString& text) {
    QString masked = text;
    const ConnectionAttributes attributes = ParseConnectionText(text);
    // From the last to the first, so the earlier positions stay where they were.
    for (auto a = attributes.rbegin(); a != attributes.rend(); ++a) {
        if (a->key.compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0 ||
            a->key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0)
            masked.replace(a->from, a->to - a->from, QStringLiteral("***"));
    }
    return masked;
}

} // namespace tolvane
