#pragma once

#include <QSqlError>
#include <QString>

namespace tolvane {

// The driver's own words for a failed call, as the error detail shows them; a driver
// that gave none still leaves a line that says so.
QString DriverError(const QSqlError& error);

} // namespace tolvane
