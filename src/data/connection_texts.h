#pragma once

#include <QString>

namespace tolvane {

// The connection texts of the run. A field value that contains ";" is written in
// braces (ODBC, every "}" doubled) or double quotes (sqloledb, every '"' doubled)
// so it cannot split the text; values without ";" give the plain texts.

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

// An ODBC attribute value as written in a connection text.
QString OdbcValue(const QString& value);

// The connection text with every password value (PWD=, Password=) replaced by ***.
QString MaskPasswords(const QString& text);

} // namespace tolvane
