#pragma once

#include "text/error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace tolvane {

// The driver's own words for a failed call, as the error detail shows them; a driver
// that gave none still leaves a line that says so.
QString DriverError(const QSqlError& error);

// The error a failed call on `db` raises: the driver's words and the statement, with
// the kind of failure the driver's answer tells (a file held by another program, a
// file that cannot be written, a refused log-in, a lost connection) and what it names
// (the connection's file, or its server and database).
Error DriverFailure(const QSqlError& error, const QSqlDatabase& db, const QString& statement);

} // namespace tolvane
