#pragma once

#include <QSqlDatabase>
#include <QSqlError>

namespace tolvane {

// Sets the query time-out (SQL_ATTR_QUERY_TIMEOUT) of an open ODBC connection, so
// every statement on it ends with the driver's time-out error instead of waiting for
// ever behind another user's lock. Set once on the connection, it costs no statement
// and no round trip. False when the driver manager or the driver refuses it.
bool SetQueryTimeout(const QSqlDatabase& db, int seconds);

// True when opening failed because the driver the text names is not registered (or
// its library cannot be loaded), rather than because the database refused.
bool IsMissingDriver(const QSqlError& error);

} // namespace tolvane
