#include "data/connection_texts.h"

#include "text/versions.h"

#include <QRegularExpression>

namespace tolvane {

namespace {

const QString kAccessNew = QStringLiteral("driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=");
const QString kAccessOld = QStringLiteral("driver={Microsoft Access Driver (*.mdb)};dbq=");

// A sqloledb attribute value: quoted when it holds ";".
QString OleDbValue(const QString& value) {
    if (!value.contains(u';'))
        return value;
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
    if (!value.contains(u';'))
        return value;
    QString braced = value;
    braced.replace(u'}', QStringLiteral("}}"));
    return u'{' + braced + u'}';
}

QString AccessTargetText(const QString& path, bool secondPassword) {
    const QString trimmed = TrimBlanks(path);
    return AccessDriverPrefix(trimmed) + OdbcValue(trimmed) + ";UID=admin;PWD=" +
           (secondPassword ? "ZOR735180" : "QEX418256");
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

QString MaskPasswords(const QString& text) {
    static const QRegularExpression password(
        QStringLiteral(R"((^|;)(\s*(?:pwd|password)\s*=)(\{(?:[^}]|\}\})*\}|"(?:[^"]|"")*"|[^;]*))"),
        QRegularExpression::CaseInsensitiveOption);
    QString masked = text;
    masked.replace(password, QStringLiteral("\\1\\2***"));
    return masked;
}

} // namespace tolvane
