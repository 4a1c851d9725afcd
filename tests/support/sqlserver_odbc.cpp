#include "support/sqlserver_odbc.h"

#include "support/access_odbc.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <unistd.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace tolvane::testing {
namespace {

// What SQL Server keeps per session and per statement handle.
struct Session {
    bool xactAbort = false;
    bool noCount = false;                 // row counts are not sent
    int tranCount = 0;                    // @@TRANCOUNT of the T-SQL transactions
    bool odbcTransaction = false;         // autocommit off: the driver's own transaction
    SQLLEN rowCount = 0;                  // @@ROWCOUNT
    std::map<QString, QString> variables; // a variable set by Exec @v = ..., as an expression
};

struct Statement {
    SQLHDBC dbc = nullptr;
    QStringList pending; // the call's statements whose results were not asked for yet
    bool unread = false; // its current result has rows not fetched yet
    QString prepared;    // the text of SQLPrepare, as the program handed it over
    bool refusedBusy = false; // the last call was refused: the connection was busy
};

struct Shim {
    std::recursive_mutex mutex; // the driver manager may call back in
    bool enabled = false;
    int cancelled = 0;
    SqlServerOdbc::Database database;
    std::map<SQLHDBC, Session> sessions;
    std::map<SQLHSTMT, Statement> statements;
    std::set<QString> noted; // the calls written to the calls file
};

Shim& State() {
    static Shim shim;
    return shim;
}

// The driver manager's own function of that name.
template <typename F> F Real(const char* name) {
    static void* manager = dlopen("libodbc.so.2", RTLD_LAZY | RTLD_NOLOAD);
    return reinterpret_cast<F>(dlsym(manager, name));
}
#define REAL(name) ::tolvane::testing::Real<decltype(&name)>(#name)

// A text as the client passed it, without the NUL that Qt counts in the length.
QString FromWide(const SQLWCHAR* text, SQLINTEGER length) {
    QString out = QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                                     length == SQL_NTS ? -1 : length);
    while (out.endsWith(QChar(u'\0')))
        out.chop(1);
    return out;
}

// The statements of a call: split at semicolons outside quoted literals (a literal left
// open runs to the end).
QStringList Split(const QString& call) {
    static const QRegularExpression piece(QStringLiteral("(?:'(?:[^']|'')*'?|[^';])+"));
    QStringList parts;
    for (auto it = piece.globalMatch(call); it.hasNext();) {
        if (const QString part = it.next().captured().trimmed(); !part.isEmpty())
            parts << part;
    }
    return parts;
}

bool InCodePage(QChar c, int codePage) {
    const char16_t u = c.unicode();
    return u < 0x80 || codePage == 65001 || (codePage == 1252 && u >= 0xA0 && u <= 0xFF) ||
           (codePage == 874 && ((u >= 0x0E01 && u <= 0x0E3A) || (u >= 0x0E3F && u <= 0x0E5B)));
}

// The literals as the database receives them: N'...' intact (PostgreSQL gets '...'),
// '...' in the code page of the database's collation.
QString ThroughCodePage(const QString& call, int codePage) {
    static const QRegularExpression literal(QStringLiteral("(\\bN)?'((?:[^']|'')*)'"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype at = 0;
    for (auto it = literal.globalMatch(call); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString text = m.captured(2);
        for (QChar& c : text)
            c = m.hasCaptured(1) || InCodePage(c, codePage) ? c : QChar(u'?');
        out += call.mid(at, m.capturedStart() - at) + u'\'' + text + u'\'';
        at = m.capturedEnd();
    }
    return out + call.mid(at);
}

// The catalogue of the modelled database: its collation and its text columns' types.
QString WithCatalogue(QString call, const SqlServerOdbc::Database& db) {
    const QString collation = "'" + db.collation + "'", n = db.nationalColumns ? "n" : "";
    const auto replace = [&](const char* pattern, const QString& by) {
        call.replace(QRegularExpression(QString::fromLatin1(pattern),
                                        QRegularExpression::CaseInsensitiveOption),
                     by);
    };
    replace(R"(CONVERT\(nvarchar\(128\), DATABASEPROPERTYEX\(DB_NAME\(\), 'Collation'\)\))",
            collation);
    replace(R"(CONVERT\(int, COLLATIONPROPERTY\(([\w.]+), 'CodePage'\)\))",
            QString("(CASE \\1 WHEN %1 THEN %2 END)").arg(collation).arg(db.codePage));
    replace(R"(\bINFORMATION_SCHEMA\.COLUMNS\b)",
            QString("(SELECT table_name::text AS TABLE_NAME, column_name::text AS COLUMN_NAME, "
                    "CASE data_type WHEN 'text' THEN '%1text' WHEN 'character' THEN '%1char' WHEN "
                    "'character varying' THEN '%1varchar' ELSE data_type::text END AS DATA_TYPE, "
                    "%2::text AS COLLATION_NAME FROM "
                    "information_schema.columns WHERE table_schema = current_schema())")
                .arg(n, collation));
    return call;
}

// What the server makes of a call's text.
QString ServerText(const QString& call) {
    const SqlServerOdbc::Database& db = State().database;
    return WithCatalogue(ThroughCodePage(call, db.codePage), db);
}

// Notes a call as the program handed it over, once per process.
void Note(const QString& call) {
    if (!State().noted.insert(call).second)
        return;
    QDir().mkpath(QStringLiteral(TOLVANE_TSQL_CALLS));
    QFile file(QStringLiteral(TOLVANE_TSQL_CALLS "/%1.sql").arg(::getpid()));
    if (file.open(QIODevice::Append))
        file.write(QStringLiteral("#### %1.%2\n%3\n")
                       .arg(::getpid()).arg(State().noted.size()).arg(call).toUtf8());
}

// Notes the call and refuses it, as SQL Server's driver does, while another statement of
// the connection has a result that is not read to its end.
bool RefusedBusy(SQLHSTMT stmt, const QString& call) {
    Note(call);
    Shim& shim = State();
    Statement& statement = shim.statements.at(stmt);
    statement.refusedBusy =
        std::any_of(shim.statements.begin(), shim.statements.end(), [&](const auto& entry) {
            return entry.first != stmt && entry.second.dbc == statement.dbc &&
                   (entry.second.unread || !entry.second.pending.isEmpty());
        });
    return statement.refusedBusy;
}

// A fetch past the last row ends the result: the connection is free again.
SQLRETURN Fetched(SQLHSTMT stmt, SQLRETURN rc) {
    std::lock_guard lock(State().mutex);
    if (rc == SQL_NO_DATA && State().statements.count(stmt))
        State().statements[stmt].unread = false;
    return rc;
}

SQLRETURN ExecOn(SQLHSTMT stmt, const QString& text) {
    REAL(SQLFreeStmt)(stmt, SQL_CLOSE);
    auto* units = const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
    return REAL(SQLExecDirectW)(stmt, units, static_cast<SQLINTEGER>(text.size()));
}

// Whether the statement's current result has columns: rows to read.
bool HasRows(SQLHSTMT stmt) {
    SQLSMALLINT columns = 0;
    return SQL_SUCCEEDED(REAL(SQLNumResultCols)(stmt, &columns)) && columns > 0;
}

// Runs a statement of the session's own on its own handle: the first value it gives, or 0.
SQLLEN ExecInternal(SQLHDBC dbc, const QString& text) {
    SQLHSTMT stmt = nullptr;
    SQLLEN number = 0;
    if (!SQL_SUCCEEDED(REAL(SQLAllocHandle)(SQL_HANDLE_STMT, dbc, &stmt)))
        return number;
    if (SQL_SUCCEEDED(ExecOn(stmt, text)) && HasRows(stmt) && SQL_SUCCEEDED(REAL(SQLFetch)(stmt)))
        REAL(SQLGetData)(stmt, 1, SQL_C_SBIGINT, &number, sizeof number, nullptr);
    REAL(SQLFreeHandle)(SQL_HANDLE_STMT, stmt);
    return number;
}

// An error of SQL Server's own, raised on the client's handle as the server's errors are.
SQLRETURN Raise(SQLHSTMT stmt, QString message) {
    message.replace(u'\'', QStringLiteral("''"));
    return ExecOn(stmt, "DO $shim$BEGIN RAISE EXCEPTION '%', '" + message + "'; END$shim$");
}

void RollBack(SQLHDBC dbc, Session& session) {
    if (session.odbcTransaction)
        REAL(SQLEndTran)(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    else if (session.tranCount > 0)
        ExecInternal(dbc, QStringLiteral("ROLLBACK"));
    session.tranCount = 0;
}

// After an error: with XACT_ABORT ON the transaction is rolled back and the rest of
// the call is not run; without it the call goes on with the next statement.
void AfterError(SQLHDBC dbc, Session& session, Statement& statement) {
    if (!session.xactAbort)
        return;
    if (session.tranCount > 0 || session.odbcTransaction)
        RollBack(dbc, session);
    statement.pending.clear();
}

bool Matches(const QString& text, const char* pattern, QRegularExpressionMatch* match = nullptr) {
    const QRegularExpression re(QString::fromLatin1(pattern),
                                QRegularExpression::CaseInsensitiveOption |
                                    QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(text);
    if (match)
        *match = m;
    return m.hasMatch();
}

enum class Step { Done, Result, Failed };

// Carries out a frame statement of T-SQL. Result: not one of them, PostgreSQL runs it.
Step RunFrameStatement(SQLHSTMT stmt, Session& session, Statement& statement, QString& text,
                       SQLRETURN& rc) {
    QRegularExpressionMatch m;
    const SQLHDBC dbc = statement.dbc;
    const auto fail = [&](const QString& why) { return rc = Raise(stmt, why), Step::Failed; };
    const QString noBegin = QStringLiteral("The %1 TRANSACTION request has no corresponding BEGIN "
                                           "TRANSACTION.");
    if (Matches(text, "^SET\\s+(XACT_ABORT|NOCOUNT)\\s+(ON|OFF)$", &m)) {
        (m.captured(1).toUpper() == "NOCOUNT" ? session.noCount : session.xactAbort) =
            m.captured(2).toUpper() == "ON";
    } else if (Matches(text, "^SET\\s") || Matches(text, "^DECLARE\\s+@\\w+\\s+\\w+$")) {
    } else if (Matches(text, "^BEGIN\\s+TRAN(SACTION)?$")) {
        if (session.tranCount++ == 0 && !session.odbcTransaction)
            ExecInternal(dbc, QStringLiteral("BEGIN"));
    } else if (Matches(text, "^COMMIT(\\s+TRAN(SACTION)?)?$")) {
        if (session.tranCount == 0)
            return fail(noBegin.arg("COMMIT"));
        if (--session.tranCount == 0 && !session.odbcTransaction)
            ExecInternal(dbc, QStringLiteral("COMMIT"));
    } else if (Matches(text, "^(IF\\s+@@TRANCOUNT\\s*>\\s*0\\s+)?ROLLBACK(\\s+TRAN(SACTION)?)?$",
                       &m)) {
        if (session.tranCount == 0 && m.captured(1).isEmpty())
            return fail(noBegin.arg("ROLLBACK"));
        RollBack(dbc, session);
    } else if (Matches(text, "^IF\\s+@@ROWCOUNT\\s*=\\s*0\\s+(.*)$", &m)) {
        if (session.rowCount != 0)
            return Step::Done;
        text = m.captured(1);
        return RunFrameStatement(stmt, session, statement, text, rc);
    } else if (Matches(text, "^IF\\s+NOT\\s+EXISTS\\s*\\((.*)\\)\\s+(SELECT\\s+CONVERT\\(.*)$",
                       &m)) {
        if (ExecInternal(dbc, "SELECT COUNT(*) FROM (" + m.captured(1) + ") AS shim_exists") != 0)
            return Step::Done;
        text = m.captured(2);
        return RunFrameStatement(stmt, session, statement, text, rc);
    } else if (Matches(text, "^SELECT\\s+CONVERT\\(\\s*int\\s*,\\s*'(.*)'\\s*\\)$", &m)) {
        return fail("Conversion failed when converting the varchar value '" + m.captured(1) +
                    "' to data type int.");
    } else if (Matches(text,
                       "^EXEC\\s+@(\\w+)\\s*=\\s*sp_getapplock\\s+@Resource\\s*=\\s*'([^']*)'",
                       &m)) {
        // A session lock taken at once or refused: PostgreSQL's advisory lock.
        session.variables[m.captured(1).toLower()] = "(Case When pg_try_advisory_lock(hashtext('" +
                                                     m.captured(2) + "')) Then " +
                                                     QString::number(State().database.appLockAnswer) +
                                                     " Else -1 End)";
    } else {
        for (const auto& [name, expression] : session.variables)
            text.replace(
                QRegularExpression("@" + name + "\\b", QRegularExpression::CaseInsensitiveOption),
                expression);
        return Step::Result;
    }
    return Step::Done;
}

// Runs the call's statements up to the next one that gives a result (a row count or
// rows) and leaves the handle on it; SQL_NO_DATA when none is left.
SQLRETURN Advance(SQLHSTMT stmt, bool first) {
    Shim& shim = State();
    Statement& statement = shim.statements[stmt];
    Session& session = shim.sessions[statement.dbc];
    while (!statement.pending.isEmpty()) {
        QString text = statement.pending.takeFirst();
        SQLRETURN rc = SQL_SUCCESS;
        const Step step = RunFrameStatement(stmt, session, statement, text, rc);
        if (step == Step::Done)
            continue;
        if (step == Step::Result)
            rc = ExecOn(stmt, text);
        statement.unread = false;
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            AfterError(statement.dbc, session, statement);
            return rc;
        }
        session.rowCount = 0;
        REAL(SQLRowCount)(stmt, &session.rowCount);
        statement.unread = step == Step::Result && HasRows(stmt);
        if (session.noCount && !statement.unread)
            continue; // under NOCOUNT a write gives no result
        // A statement that touched no row still gives a result.
        return first ? rc : SQL_SUCCESS;
    }
    statement.unread = false;
    REAL(SQLFreeStmt)(stmt, SQL_CLOSE);
    return SQL_NO_DATA;
}

// A close before the last result: the rest of the call is cancelled.
void Cancel(SQLHSTMT stmt) {
    Shim& shim = State();
    const auto it = shim.statements.find(stmt);
    if (it == shim.statements.end())
        return;
    it->second.unread = false;
    if (it->second.pending.isEmpty())
        return;
    it->second.pending.clear();
    ++shim.cancelled;
    Session& session = shim.sessions[it->second.dbc];
    if (session.xactAbort)
        RollBack(it->second.dbc, session);
}

// The shim's answer (`own`, state locked) for a modelled statement, else the manager's.
template <typename Own, typename Real> SQLRETURN Answer(SQLHANDLE stmt, Own&& own, Real&& real) {
    std::optional<SQLRETURN> rc;
    {
        std::lock_guard lock(State().mutex);
        if (const auto it = State().statements.find(stmt); it != State().statements.end())
            rc = own(it->second);
    }
    return rc ? *rc : real();
}
using Own = std::optional<SQLRETURN>;

// Runs `f` with the shim's state locked.
template <typename F> void Locked(F&& f) {
    std::lock_guard lock(State().mutex);
    f();
}

} // namespace

SqlServerOdbc::SqlServerOdbc(Database database) {
    std::lock_guard lock(State().mutex);
    State().enabled = true;
    State().database = std::move(database);
    State().cancelled = 0;
}

SqlServerOdbc::~SqlServerOdbc() {
    std::lock_guard lock(State().mutex);
    State().enabled = false;
}

int SqlServerOdbc::Cancelled() {
    std::lock_guard lock(State().mutex);
    return State().cancelled;
}

} // namespace tolvane::testing

using namespace tolvane::testing;

// The driver manager's functions, taken over where SQL Server behaves otherwise.
extern "C" {

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC dbc, SQLHWND window, SQLWCHAR* in, SQLSMALLINT inLength,
                                    SQLWCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                    SQLUSMALLINT completion) {
    if (const QString jetText = jet::ConnectText(FromWide(in, inLength)); !jetText.isEmpty()) {
        auto* units = const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(jetText.utf16()));
        const SQLRETURN rc = REAL(SQLDriverConnectW)(dbc, window, units, SQL_NTS, out, outMax,
                                                     outLength, completion);
        if (SQL_SUCCEEDED(rc))
            jet::Connected(dbc, true);
        return rc;
    }
    const SQLRETURN rc =
        REAL(SQLDriverConnectW)(dbc, window, in, inLength, out, outMax, outLength, completion);
    std::lock_guard lock(State().mutex);
    if (SQL_SUCCEEDED(rc) && State().enabled)
        (State().sessions[dbc] = {}).noCount = State().database.noCount;
    return rc;
}

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    const SQLRETURN rc = REAL(SQLAllocHandle)(type, input, output);
    if (SQL_SUCCEEDED(rc) && type == SQL_HANDLE_STMT)
        jet::Allocated(input, *output);
    std::lock_guard lock(State().mutex);
    if (SQL_SUCCEEDED(rc) && type == SQL_HANDLE_STMT && State().sessions.count(input))
        State().statements[*output].dbc = input;
    return rc;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (type == SQL_HANDLE_STMT)
        Locked([&] {
            jet::Allocated(nullptr, handle);
            Cancel(handle);
            State().statements.erase(handle);
        });
    return REAL(SQLFreeHandle)(type, handle);
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT stmt) {
    Locked([&] { Cancel(stmt); });
    return REAL(SQLCloseCursor)(stmt);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    jet::Connected(dbc, false);
    Locked([&] { State().sessions.erase(dbc); });
    return REAL(SQLDisconnect)(dbc);
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value,
                              SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    {
        std::lock_guard lock(State().mutex);
        const bool access = jet::Owns(dbc);
        if ((type == SQL_DBMS_NAME && State().sessions.count(dbc)) ||
            (access && (type == SQL_DBMS_NAME || type == SQL_DRIVER_NAME))) {
            const QString name = !access                ? QStringLiteral("Microsoft SQL Server")
                                 : type == SQL_DBMS_NAME ? QStringLiteral("ACCESS")
                                                         : QStringLiteral("ACEODBC.DLL");
            const auto bytes = static_cast<SQLSMALLINT>(name.size() * sizeof(SQLWCHAR));
            if (value && bufferLength >= bytes + static_cast<SQLSMALLINT>(sizeof(SQLWCHAR)))
                std::copy_n(name.utf16(), name.size() + 1, static_cast<char16_t*>(value));
            if (length)
                *length = bytes;
            return SQL_SUCCESS;
        }
    }
    return REAL(SQLGetInfoW)(dbc, type, value, bufferLength, length);
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER length) {
    const SQLRETURN rc = REAL(SQLSetConnectAttrW)(dbc, attribute, value, length);
    std::lock_guard lock(State().mutex);
    const auto it = State().sessions.find(dbc);
    if (SQL_SUCCEEDED(rc) && it != State().sessions.end() && attribute == SQL_ATTR_AUTOCOMMIT)
        it->second.odbcTransaction = reinterpret_cast<SQLULEN>(value) == SQL_AUTOCOMMIT_OFF;
    return rc;
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    Locked([&] {
        const auto it = State().sessions.find(handle);
        if (type == SQL_HANDLE_DBC && it != State().sessions.end())
            it->second.tranCount = 0;
    });
    return REAL(SQLEndTran)(type, handle, completion);
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER length) {
    if (attribute == SQL_ATTR_CURSOR_TYPE)
        jet::CursorType(stmt, reinterpret_cast<quintptr>(value));
    return REAL(SQLSetStmtAttrW)(stmt, attribute, value, length);
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    if (jet::Refused(stmt, FromWide(text, length)))
        return SQL_ERROR;
    const auto own = [&](Statement& statement) -> Own {
        Cancel(stmt);
        const QString call = FromWide(text, length);
        if (RefusedBusy(stmt, call))
            return SQL_ERROR;
        statement.pending = Split(ServerText(call));
        return Advance(stmt, true);
    };
    return Answer(stmt, own, [&] { return REAL(SQLExecDirectW)(stmt, text, length); });
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    if (jet::Refused(stmt, FromWide(text, length)))
        return SQL_ERROR;
    const auto own = [&](Statement& statement) -> Own {
        statement.prepared = FromWide(text, length);
        const QString server = ServerText(statement.prepared);
        auto* units = const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(server.utf16()));
        return REAL(SQLPrepareW)(stmt, units, static_cast<SQLINTEGER>(server.size()));
    };
    return Answer(stmt, own, [&] { return REAL(SQLPrepareW)(stmt, text, length); });
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT stmt) {
    const auto own = [&](Statement& statement) -> Own {
        if (RefusedBusy(stmt, statement.prepared))
            return SQL_ERROR;
        const SQLRETURN rc = REAL(SQLExecute)(stmt);
        statement.unread = SQL_SUCCEEDED(rc) && HasRows(stmt);
        return rc;
    };
    return Answer(stmt, own, [&] { return REAL(SQLExecute)(stmt); });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT stmt) {
    return Fetched(stmt, REAL(SQLFetch)(stmt));
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT stmt, SQLSMALLINT orientation, SQLLEN offset) {
    return Fetched(stmt, REAL(SQLFetchScroll)(stmt, orientation, offset));
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                 SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* message,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
    // The one diagnostic record of a call the stand-in refused itself.
    const auto refused = [&](const char16_t* sqlState, const QString& text) -> SQLRETURN {
        if (record != 1)
            return SQL_NO_DATA;
        if (state)
            std::copy_n(sqlState, 6, reinterpret_cast<char16_t*>(state));
        if (native)
            *native = 0;
        if (textLength)
            *textLength = static_cast<SQLSMALLINT>(text.size());
        if (message && bufferLength > 0) {
            const auto n = std::min<qsizetype>(text.size(), bufferLength - 1);
            std::copy_n(text.utf16(), n, reinterpret_cast<char16_t*>(message));
            message[n] = 0;
        }
        return SQL_SUCCESS;
    };
    if (const QString jet = type == SQL_HANDLE_STMT ? jet::Refusal(handle) : QString();
        !jet.isEmpty())
        return refused(u"42000", jet);
    const auto own = [&](const Statement& statement) -> Own {
        if (type != SQL_HANDLE_STMT || !statement.refusedBusy)
            return std::nullopt;
        return refused(u"HY000", QStringLiteral("[Microsoft][ODBC SQL Server Driver]Connection "
                                                "is busy with results for another hstmt"));
    };
    return Answer(handle, own, [&] {
        return REAL(SQLGetDiagRecW)(type, handle, record, state, native, message, bufferLength,
                                    textLength);
    });
}

// Under NOCOUNT no count reaches the driver: it answers 0.
SQLRETURN SQL_API SQLRowCount(SQLHSTMT stmt, SQLLEN* count) {
    const auto own = [&](const Statement& statement) -> Own {
        if (!State().sessions[statement.dbc].noCount)
            return std::nullopt;
        *count = 0;
        return SQL_SUCCESS;
    };
    return Answer(stmt, own, [&] { return REAL(SQLRowCount)(stmt, count); });
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT stmt) {
    const auto own = [&](Statement& statement) -> Own {
        statement.unread = false;
        return Advance(stmt, false);
    };
    return Answer(stmt, own, [&] { return REAL(SQLMoreResults)(stmt); });
}

} // extern "C"
