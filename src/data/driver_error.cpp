#include "data/driver_error.h"

namespace tolvane {

QString DriverError(const QSqlError& error) {
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("the database reported an error without a message");
    return text;
}

} // namespace tolvane
