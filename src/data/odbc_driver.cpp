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
using SqlULen = quintptr; // SQLULEN, the type of SQL_ATTR_QUERY_TIMEOUT
using SetConnectAttr = SqlReturn (*)(SqlHandle, int, void*, int);
using GetConnectAttr = SqlReturn (*)(SqlHandle, int, void*, int, int*);
using AllocHandle = SqlReturn (*)(short, SqlHandle, SqlHandle*);
using FreeHandle = SqlReturn (*)(short, SqlHandle);
using Statistics = SqlReturn (*)(SqlHandle, const char*, short, const char*, short, const char*,
                                 short, unsigned short, unsigned short);
using Fetch = SqlReturn (*)(SqlHandle);
using GetData = SqlReturn (*)(SqlHandle, unsigned short, short, void*, qintptr, qintptr*);
constexpr short kStatementHandle = 3; // SQL_HANDLE_STMT
constexpr short kNullTerminated = -3; // SQL_NTS
constexpr int kQueryTimeout = 0;      // SQL_ATTR_QUERY_TIMEOUT
constexpr int kIsUInteger = -5;       // SQL_IS_UINTEGER
constexpr SqlReturn kSuccess = 0;
constexpr SqlReturn kSuccessWithInfo = 1;
constexpr bool Succeeded(SqlReturn r) {
    return r == kSuccess || r == kSuccessWithInfo;
}

QFunctionPointer ResolveManager(const char* function) {
#ifdef _WIN32
    QLibrary manager(QStringLiteral("odbc32"));
#else
    QLibrary manager(QStringLiteral("odbc"), 2);
#endif
    return manager.resolve(function);
}

} // namespace

QueryTimeout SetQueryTimeout(const QSqlDatabase& db, int seconds) {
    QueryTimeout result;
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || seconds < 0)
        return result;
    const SqlHandle connection = *static_cast<const SqlHandle*>(handle.constData());
    const auto set = reinterpret_cast<SetConnectAttr>(ResolveManager("SQLSetConnectAttr"));
    const auto get = reinterpret_cast<GetConnectAttr>(ResolveManager("SQLGetConnectAttr"));
    if (connection == nullptr || set == nullptr)
        return result;
    const SqlReturn r = set(connection, kQueryTimeout,
                            reinterpret_cast<void*>(static_cast<SqlULen>(seconds)), kIsUInteger);
    // Zeroed first: a driver that writes 32 bits leaves the rest of the value zero.
    SqlULen held = 0;
    if (get != nullptr &&
        Succeeded(get(connection, kQueryTimeout, &held, static_cast<int>(sizeof held), nullptr))) {
        result.inEffect = static_cast<qint64>(held);
        result.applied = Succeeded(r) && held == static_cast<SqlULen>(seconds);
    } else {
        result.applied = r == kSuccess;
        if (result.applied)
            result.inEffect = seconds;
    }
    return result;
}

QStringList UniqueIndexes(const QSqlDatabase& db, const QString& table) {
    QStringList names;
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    const auto alloc = reinterpret_cast<AllocHandle>(ResolveManager("SQLAllocHandle"));
    const auto free = reinterpret_cast<FreeHandle>(ResolveManager("SQLFreeHandle"));
    const auto statistics = reinterpret_cast<Statistics>(ResolveManager("SQLStatistics"));
    const auto fetch = reinterpret_cast<Fetch>(ResolveManager("SQLFetch"));
    const auto getData = reinterpret_cast<GetData>(ResolveManager("SQLGetData"));
    SqlHandle stmt = nullptr;
    if (!handle.isValid() || !alloc || !free || !statistics || !fetch || !getData ||
        !Succeeded(
            alloc(kStatementHandle, *static_cast<const SqlHandle*>(handle.constData()), &stmt)))
        return names;
    // SQL_INDEX_UNIQUE (0), SQL_QUICK (0); a row per column of each index, and one row of
    // the table's own statistics (TYPE 0) without an index name.
    const QByteArray name = table.toLatin1();
    if (Succeeded(
            statistics(stmt, nullptr, 0, nullptr, 0, name.constData(), kNullTerminated, 0, 0))) {
        while (Succeeded(fetch(stmt))) {
            char index[256] = {};
            short nonUnique = 1, type = 0;
            qintptr length = 0, ignored = 0;
            // Columns in their order, as every driver takes SQLGetData: 4 NON_UNIQUE,
            // 6 INDEX_NAME, 7 TYPE (SQL_C_SHORT 5, SQL_C_CHAR 1).
            getData(stmt, 4, 5, &nonUnique, sizeof nonUnique, &ignored);
            const bool named = Succeeded(getData(stmt, 6, 1, index, sizeof index, &length));
            getData(stmt, 7, 5, &type, sizeof type, &ignored);
            if (named && length > 0 && type != 0 && nonUnique == 0 &&
                !names.contains(QString::fromUtf8(index)))
                names << QString::fromUtf8(index);
        }
    }
    free(kStatementHandle, stmt);
    return names;
}

bool IsMissingDriver(const QSqlError& error) {
    const QString text = error.text() + u' ' + error.nativeErrorCode();
    // IM002: no such data source or driver; IM003: its library could not be loaded.
    return text.contains(QLatin1String("IM002")) || text.contains(QLatin1String("IM003")) ||
           text.contains(QLatin1String("Can't open lib"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("Data source name not found"), Qt::CaseInsensitive);
}

} // namespace tolvane
