#include "support/sqlserver_odbc.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace tolvane::testing {
namespace {

// What SQL Server keeps per session and per statement handle.
struct Session {
    bool xactAbort = false;
    int tranCount = 0;                    // @@TRANCOUNT of the T-SQL transactions
    bool odbcTransaction = false;         // autocommit off: the driver's own transaction
    SQLLEN rowCount = 0;                  // @@ROWCOUNT
    std::map<QString, QString> variables; // a variable set by Exec @v = ..., as an expression
};

struct Statement {
    SQLHDBC dbc = nullptr;
    QStringList pending; // the call's statements whose results were not asked for yet
};

struct Shim {
    std::recursive_mutex mutex; // the driver manager may call back in
    bool enabled = false;
    int cancelled = 0;
    std::map<SQLHDBC, Session> sessions;
    std::map<SQLHSTMT, Statement> statements;
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

QString FromWide(const SQLWCHAR* text, SQLINTEGER length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                              length == SQL_NTS ? -1 : length);
}

// The statements of a call: split at semicolons outside quoted literals.
QStringList Split(const QString& call) {
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : call) {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u';' && !quoted) {
            parts << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current.trimmed();
    parts.removeAll(QString());
    return parts;
}

SQLRETURN ExecOn(SQLHSTMT stmt, const QString& text) {
    REAL(SQLFreeStmt)(stmt, SQL_CLOSE);
    auto* units = const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
    return REAL(SQLExecDirectW)(stmt, units, static_cast<SQLINTEGER>(text.size()));
}

// Runs a statement of the session's own on a handle of its own.
void ExecInternal(SQLHDBC dbc, const QString& text) {
    SQLHSTMT stmt = nullptr;
    if (!SQL_SUCCEEDED(REAL(SQLAllocHandle)(SQL_HANDLE_STMT, dbc, &stmt)))
        return;
    ExecOn(stmt, text);
    REAL(SQLFreeHandle)(SQL_HANDLE_STMT, stmt);
}

// An error of SQL Server's own, raised on the client's handle so that it carries
// the message as the server's errors do.
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

// The first column of the first row of a query run on a handle of the session's own.
SQLLEN QueryNumber(SQLHDBC dbc, const QString& text) {
    SQLHSTMT stmt = nullptr;
    SQLLEN number = 0;
    if (!SQL_SUCCEEDED(REAL(SQLAllocHandle)(SQL_HANDLE_STMT, dbc, &stmt)))
        return number;
    if (SQL_SUCCEEDED(ExecOn(stmt, text)) && SQL_SUCCEEDED(REAL(SQLFetch)(stmt)))
        REAL(SQLGetData)(stmt, 1, SQL_C_SBIGINT, &number, sizeof number, nullptr);
    REAL(SQLFreeHandle)(SQL_HANDLE_STMT, stmt);
    return number;
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
    const QString noBegin = QStringLiteral("The %1 TRANSACTION request has no corresponding BEGIN "
                                           "TRANSACTION.");
    if (Matches(text, "^SET\\s+XACT_ABORT\\s+(ON|OFF)$", &m)) {
        session.xactAbort = m.captured(1).toUpper() == "ON";
    } else if (Matches(text, "^SET\\s") || Matches(text, "^DECLARE\\s+@\\w+\\s+\\w+$")) {
    } else if (Matches(text, "^BEGIN\\s+TRAN(SACTION)?$")) {
        if (session.tranCount++ == 0 && !session.odbcTransaction)
            ExecInternal(dbc, QStringLiteral("BEGIN"));
    } else if (Matches(text, "^COMMIT(\\s+TRAN(SACTION)?)?$")) {
        if (session.tranCount == 0) {
            rc = Raise(stmt, noBegin.arg("COMMIT"));
            return Step::Failed;
        }
        if (--session.tranCount == 0 && !session.odbcTransaction)
            ExecInternal(dbc, QStringLiteral("COMMIT"));
    } else if (Matches(text, "^(IF\\s+@@TRANCOUNT\\s*>\\s*0\\s+)?ROLLBACK(\\s+TRAN(SACTION)?)?$",
                       &m)) {
        if (session.tranCount == 0 && m.captured(1).isEmpty()) {
            rc = Raise(stmt, noBegin.arg("ROLLBACK"));
            return Step::Failed;
        }
        RollBack(dbc, session);
    } else if (Matches(text, "^IF\\s+@@ROWCOUNT\\s*=\\s*0\\s+(.*)$", &m)) {
        if (session.rowCount != 0)
            return Step::Done;
        text = m.captured(1);
        return RunFrameStatement(stmt, session, statement, text, rc);
    } else if (Matches(text, "^IF\\s+NOT\\s+EXISTS\\s*\\((.*)\\)\\s+(SELECT\\s+CONVERT\\(.*)$",
                       &m)) {
        if (QueryNumber(dbc, "SELECT COUNT(*) FROM (" + m.captured(1) + ") AS shim_exists") != 0)
            return Step::Done;
        text = m.captured(2);
        return RunFrameStatement(stmt, session, statement, text, rc);
    } else if (Matches(text, "^SELECT\\s+CONVERT\\(\\s*int\\s*,\\s*'(.*)'\\s*\\)$", &m)) {
        rc = Raise(stmt, "Conversion failed when converting the varchar value '" + m.captured(1) +
                             "' to data type int.");
        return Step::Failed;
    } else if (Matches(text,
                       "^EXEC\\s+@(\\w+)\\s*=\\s*sp_getapplock\\s+@Resource\\s*=\\s*'([^']*)'",
                       &m)) {
        // A session lock taken at once or refused: PostgreSQL's advisory lock.
        session.variables[m.captured(1).toLower()] = "(Case When pg_try_advisory_lock(hashtext('" +
                                                     m.captured(2) + "')) Then 0 Else -1 End)";
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
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            AfterError(statement.dbc, session, statement);
            return rc;
        }
        session.rowCount = 0;
        REAL(SQLRowCount)(stmt, &session.rowCount);
        // A statement that touched no row still gives a result.
        return first ? rc : SQL_SUCCESS;
    }
    REAL(SQLFreeStmt)(stmt, SQL_CLOSE);
    return SQL_NO_DATA;
}

// A close before the last result: the rest of the call is cancelled.
void Cancel(SQLHSTMT stmt) {
    Shim& shim = State();
    const auto it = shim.statements.find(stmt);
    if (it == shim.statements.end() || it->second.pending.isEmpty())
        return;
    it->second.pending.clear();
    ++shim.cancelled;
    Session& session = shim.sessions[it->second.dbc];
    if (session.xactAbort)
        RollBack(it->second.dbc, session);
}

bool Shimmed(SQLHSTMT stmt) {
    return State().statements.count(stmt) != 0;
}

// Runs `f` with the shim's state locked.
template <typename F> void Locked(F&& f) {
    std::lock_guard lock(State().mutex);
    f();
}

} // namespace

SqlServerOdbc::SqlServerOdbc() {
    std::lock_guard lock(State().mutex);
    State().enabled = true;
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

// The driver manager's functions the Qt ODBC plugin calls, taken over where SQL
// Server behaves otherwise; all else goes on to the driver manager.
extern "C" {

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC dbc, SQLHWND window, SQLWCHAR* in, SQLSMALLINT inLength,
                                    SQLWCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                    SQLUSMALLINT completion) {
    const SQLRETURN rc =
        REAL(SQLDriverConnectW)(dbc, window, in, inLength, out, outMax, outLength, completion);
    std::lock_guard lock(State().mutex);
    if (SQL_SUCCEEDED(rc) && State().enabled)
        State().sessions[dbc] = {};
    return rc;
}

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    const SQLRETURN rc = REAL(SQLAllocHandle)(type, input, output);
    std::lock_guard lock(State().mutex);
    if (SQL_SUCCEEDED(rc) && type == SQL_HANDLE_STMT && State().sessions.count(input))
        State().statements[*output] = {input, {}};
    return rc;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (type == SQL_HANDLE_STMT)
        Locked([&] {
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
    Locked([&] { State().sessions.erase(dbc); });
    return REAL(SQLDisconnect)(dbc);
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value,
                              SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    {
        std::lock_guard lock(State().mutex);
        if (type == SQL_DBMS_NAME && State().sessions.count(dbc)) {
            const QString name = QStringLiteral("Microsoft SQL Server");
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

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    std::unique_lock lock(State().mutex);
    if (!Shimmed(stmt)) {
        lock.unlock();
        return REAL(SQLExecDirectW)(stmt, text, length);
    }
    Cancel(stmt);
    State().statements[stmt].pending = Split(FromWide(text, length));
    return Advance(stmt, true);
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT stmt) {
    std::unique_lock lock(State().mutex);
    if (!Shimmed(stmt)) {
        lock.unlock();
        return REAL(SQLMoreResults)(stmt);
    }
    return Advance(stmt, false);
}

} // extern "C"
