#include "data/driver_error.h"

#include "data/connection_attributes.h"

#include <initializer_list>

namespace tolvane {

namespace {

// SQLite's primary result codes (Qt's driver hands them over as the native code).
constexpr int kSqliteBusy = 5, kSqliteLocked = 6, kSqliteReadOnly = 8, kSqliteFull = 13,
              kSqliteCantOpen = 14;

bool HasAny(const QString& text, std::initializer_list<const char*> pieces) {
    for (const char* piece : pieces) {
        if (text.contains(QLatin1String(piece), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// What a connection works on, in the clerk's words: its file, or its database on its
// server. Never its connection text (it may hold a password).
struct Subject {
    QString file, server, database;

    QString Thai() const {
        return file.isEmpty() ? DatabaseInThai(server, database) : FileInThai(file);
    }
};

Subject SubjectOf(const QSqlDatabase& db) {
    if (db.driverName() == QLatin1String("QSQLITE"))
        return {db.databaseName(), {}, {}};
    const ConnectionAttributes attributes = ParseConnectionText(db.databaseName());
    return {AttributeValue(attributes, QStringLiteral("dbq")),
            AttributeValue(attributes, QStringLiteral("server")),
            AttributeValue(attributes, QStringLiteral("database"))};
}

// SQLite tells the kind by its result code.
Failure SqliteKind(int code) {
    switch (code & 0xff) {
    case kSqliteBusy:
    case kSqliteLocked:
        return Failure::FileHeld;
    case kSqliteReadOnly:
    case kSqliteFull:
    case kSqliteCantOpen:
        return Failure::FileNotWritable;
    default:
        return Failure::Unexpected;
    }
}

// An ODBC driver tells it by its native error number where it has one of its own (SQL
// Server's), else only by its words: SQL Server's driver, the Access driver, and
// psqlODBC, which answers for SQL Server in the tests.
Failure OdbcKind(int native, const QString& text) {
    switch (native) {
    case 18456: // Login failed for user
    case 18452: // the login is from an untrusted domain
    case 18488: // the password must be changed
    case 4060:  // Cannot open database requested by the login
        return Failure::LoginRefused;
    case 2:
    case 17: // SQL Server does not exist or access denied
    case 53:
    case 64:
    case 233:
    case 10053:
    case 10054:
    case 10060:
    case 10061:
    case 11001:
        return Failure::ConnectionLost;
    case 1222: // Lock request time out period exceeded
        return Failure::FileHeld;
    default:
        break;
    }
    if (HasAny(text, {"Login failed", "password authentication failed"}))
        return Failure::LoginRefused;
    if (HasAny(text,
               {"Communication link failure", "server closed the connection",
                "could not connect to server", "connection to server",
                "no connection to "
                "the server",
                "terminating connection", "connection dead", "connection lost", "TCP Provider"}))
        return Failure::ConnectionLost;
    if (HasAny(text, {"already in use", "opened exclusively", "currently locked",
                      "Query timeout expired", "lock timeout", "statement timeout"}))
        return Failure::FileHeld;
    if (HasAny(text, {"updateable query", "read-only", "readonly"}))
        return Failure::FileNotWritable;
    return Failure::Unexpected;
}

} // namespace

QString DriverError(const QSqlError& error) {
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("the database reported an error without a message");
    return text;
}

Error DriverFailure(const QSqlError& error, const QSqlDatabase& db, const QString& statement) {
    const QString message = DriverError(error);
    bool numbered = false;
    const int native = error.nativeErrorCode().section(u';', -1).trimmed().toInt(&numbered);
    const bool embedded = db.driverName() == QLatin1String("QSQLITE");
    const Failure kind = embedded ? (numbered ? SqliteKind(native) : Failure::Unexpected)
                                  : OdbcKind(numbered ? native : 0, message);
    const Subject subject = SubjectOf(db);
    QStringList facts;
    switch (kind) {
    case Failure::FileHeld:
        facts << subject.Thai();
        break;
    case Failure::FileNotWritable:
        facts << (subject.file.isEmpty() ? subject.Thai() : subject.file);
        break;
    case Failure::LoginRefused:
    case Failure::ConnectionLost:
        facts << subject.server;
        break;
    default:
        break;
    }
    return Error(kind, facts, message, statement);
}

} // namespace tolvane
