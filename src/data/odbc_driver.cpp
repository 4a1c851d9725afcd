#include "data/odbc_driver.h"

#include <QLibrary>
#include <QSqlDriver>
#include <QVariant>

namespace tolvane {

namespace {

// The ODBC types this file needs, as the ODBC headers declare them; the core links
// Qt only, so the driver manager's function is looked up in the library Qt's ODBC
// driver has already loaded.
using SqlHandle = void*;
using SqlReturn = short;
using SetConnectAttr = SqlReturn (*)(SqlHandle, int, void*, int);
constexpr int kQueryTimeout = 0; // SQL_ATTR_QUERY_TIMEOUT
constexpr int kIsUInteger = -5;  // SQL_IS_UINTEGER
// SQL_SUCCESS or SQL_SUCCESS_WITH_INFO
constexpr bool Succeeded(SqlReturn r) {
    return r == 0 || r == 1;
}

SetConnectAttr ResolveSetConnectAttr() {
#ifdef _WIN32
    QLibrary manager(QStringLiteral("odbc32"));
#else
    QLibrary manager(QStringLiteral("odbc"), 2);
#endif
    return reinterpret_cast<SetConnectAttr>(manager.resolve("SQLSetConnectAttr"));
}

} // namespace

bool SetQueryTimeout(const QSqlDatabase& db, int seconds) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || seconds < 0)
        return false;
    const SqlHandle connection = *static_cast<const SqlHandle*>(handle.constData());
    const SetConnectAttr set = ResolveSetConnectAttr();
    if (connection == nullptr || set == nullptr)
        return false;
    return Succeeded(set(connection, kQueryTimeout,
                         reinterpret_cast<void*>(static_cast<quintptr>(seconds)), kIsUInteger));
}

bool IsMissingDriver(const QSqlError& error) {
    const QString text = error.text() + u' ' + error.nativeErrorCode();
    // IM002: no such data source or driver; IM003: its library could not be loaded.
    return text.contains(QLatin1String("IM002")) || text.contains(QLatin1String("IM003")) ||
           text.contains(QLatin1String("Can't open lib"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("Data source name not found"), Qt::CaseInsensitive);
}

} // namespace tolvane
