#pragma once

#include <QString>

namespace tolvane {

struct FormFields;

// The connection texts of the run. Every field value is written so that the text
// reads back exactly that value (ParseConnectionText): by the ODBC rules in braces, by
// the OLE DB rules in quotes, where it needs them (see OdbcValue and the sqloledb
// text); a value that needs none is written as it is.

// True when the last five characters are exactly "accdb" (case-sensitive).
bool EndsWithAccdb(const QString& path);

// The shop's Access file; `secondPassword` for the fall-back attempt. `path` is trimmed here.
QString AccessTargetText(const QString& path, bool secondPassword);
// The supplier's price-list file; the driver follows the *target* path's extension.
QString SourceText(const QString& targetPath, const QString& priceListPath);
// SQL Server on the server machine (ODBC driver "SQL Server").
QString SqlServerText(const QString& server, const QString& uid, const QString& pwd,
                      const QString& database);
// SQL Server from any other machine (OLE DB provider sqloledb).
QString SqlOleDbText(const QString& server, const QString& database, const QString& uid,
                     const QString& pwd);

// An ODBC attribute value as written in a connection text: in braces, every "}"
// doubled, when it begins with "{", holds ";", "}" or "=", or begins or ends with a
// blank; else as it is.
QString OdbcValue(const QString& value);

// The shop the fields name, in the clerk's words: its file ("ไฟล์ <path>"), or its
// database on its server. Never the connection text, which may hold a password.
QString ShopInThai(const FormFields& fields);

// The connection text with every password value (PWD=, Password=) replaced by ***:
// the whole value as the text is read, braces or quotes included.
QString MaskPasswords(const QString& text);

} // namespace tolvane
