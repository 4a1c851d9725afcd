#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

namespace tolvane {

// What became of the query time-out asked of an ODBC connection.
struct QueryTimeout {
    bool applied = false; // the connection holds it, so its statements get it
    // What the connection holds instead, in seconds (0: no time-out); -1 when the
    // driver does not say.
    qint64 inEffect = -1;
};

// Sets the query time-out (SQL_ATTR_QUERY_TIMEOUT) of an open ODBC connection, so
// every statement on it ends with the driver's time-out error instead of waiting for
// ever behind another user's lock. The attribute belongs to statements: set on the
// connection, the statements the connection allocates afterwards start with it (Qt's
// driver allocates one per statement), but a driver may refuse it there or put another
// value in its place. So the value is read back (SQLGetConnectAttr); where the driver
// cannot say, the call's return code decides: SQL_SUCCESS_WITH_INFO is the driver's
// way of saying it changed the value. Costs no statement and no round trip.
QueryTimeout SetQueryTimeout(const QSqlDatabase& db, int seconds);

// The names of the unique indexes of `table` in an open ODBC database, as its driver's
// catalog tells them (SQLStatistics); empty where the driver cannot say.
QStringList UniqueIndexes(const QSqlDatabase& db, const QString& table);

// True when opening failed because the driver the text names is not registered (or
// its library cannot be loaded), rather than because the database refused.
bool IsMissingDriver(const QSqlError& error);

} // namespace tolvane
