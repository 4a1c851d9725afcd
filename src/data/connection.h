#pragma once

#include "data/checked_call.h"
#include "data/hooks.h"
#include "data/sql_dialect.h"
#include "data/statement_batch.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <set>

namespace tolvane {

class Error;

class Recordset;

// An ADO-style connection over Qt SQL.
//
// Engine: when the connection text names an Access driver and the file named by
// dbq is a SQLite database, the file opens in the embedded SQLite engine (busy
// time-out = CommandTimeout). Reading changes nothing in the file; right before the
// connection's first write a shop's file goes over to WAL (synchronous=NORMAL), and it
// goes back to its own journal mode when the connection closes. The mode it had is
// noted beside it meanwhile (see NoteJournalMode), so that after a run that was killed
// the next connection puts it back. A file on a network file system keeps its own
// journal mode. A SQLite file in a rollback journal with a write-ahead log beside it is
// refused (the log is another file's). A file that is neither a SQLite nor an Access file is refused as no database, one that cannot be
// read says why. A "Provider=sqloledb;..." text opens the equivalent ODBC text for the
// driver "SQL Server". Anything else goes to the ODBC driver manager as it is, with
// CommandTimeout as the query time-out of every statement where the driver takes it
// (StatementTimeoutRefusal says when it does not). The connection keeps and reports
// the text the caller set.
//
// Every failing operation raises Error with the driver's message and the statement.
class Connection {
public:
    enum StateValue { adStateClosed = 0, adStateOpen = 1 };

    Connection(Role role, DataHooks hooks);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Refused (Error) while the connection is open.
    void SetConnectionString(const QString& text);
    const QString& ConnectionString() const { return connectionString_; }
    void SetCommandTimeout(int seconds) { commandTimeout_ = seconds; }
    int CommandTimeout() const { return commandTimeout_; }
    // 2 = server-side cursors, 3 = client-side; kept and reported, both behave alike.
    void SetCursorLocation(int location) { cursorLocation_ = location; }
    int CursorLocation() const { return cursorLocation_; }

    // Opens with ConnectionString, or with `text` when it is not empty (which then
    // becomes the ConnectionString). User and password are unused: the text
    // carries them. Refused while open.
    void Open(const QString& text = QString());
    int State() const { return open_ ? adStateOpen : adStateClosed; }
    // After an ODBC open where the driver did not take CommandTimeout as its statements'
    // time-out: what the run is to be told (one line, English); else empty.
    const QString& StatementTimeoutRefusal() const { return timeoutRefusal_; }
    // Closes every recordset still open on it first. Harmless when closed.
    void Close();

    // Runs an action statement now; the number of rows it touched.
    int Execute(const QString& statement);
    // Runs an action statement whose result the caller does not need: on a server
    // that takes several statements in one call it is held back and sent with the
    // next statement that needs the server's answer (a read, a counted statement, a
    // commit), so it costs no round trip of its own. Its failure is raised then.
    void Send(const QString& statement);
    // Sends whatever statements are held back.
    void Flush();

    // Whether the database holds a table of that name (without regard to case), as the
    // driver's catalog tells; asks no statement, so a table that is not there fails nothing.
    bool HasTable(const QString& name) const;

    // Whether this connection sends checked calls: a server engine that takes several
    // statements in one call, outside a transaction.
    bool SendsCheckedCalls() const;
    // Sends `transactions` in one call (see SendCheckedCall), after whatever is held
    // back. Traced as the transactions of those statements, the reads as opened, and a
    // rollback after them when one was undone; true when all were committed, false (the
    // reason in `reason`) when one was undone.
    bool SendChecked(const std::vector<CheckedTransaction>& transactions,
                     QString* reason = nullptr);
    // Called before every write the connection sends (statements, transactions and
    // recordset writes; `statement` names it in an error): the first one takes the
    // embedded file over to WAL.
    void PrepareToWrite(const QString& statement);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return inTransaction_; }

    Role role() const { return role_; }
    bool IsEmbedded() const { return embedded_; }
    // What the driver reports about the database it reached; Other when closed.
    Engine engine() const;
    // The SQL the engine takes (Jet's while closed). Statements handed to Execute, Send,
    // SendChecked and Recordset::Open go out as ForEngine makes them.
    const SqlDialect& Dialect() const { return *sql_; }

    // For Recordset: the Qt database handle, the hooks and open-recordset tracking.
    QSqlDatabase Database() const;
    // Runs a query (after the statements held back, in the same call); the query stands
    // on its rows. `source` is in the engine's form already (ForEngine).
    QSqlQuery Query(const QString& source);
    // Before anything else goes out on an engine that takes one result at a time: every
    // open recordset reads its rest.
    void ReadOpenResults();
    void Report(TraceKind kind, const QString& text) const;
    // One call that waited for the database (see TraceSink::RoundTrip).
    void CountRoundTrip() const;
    void Attach(Recordset* rs) { recordsets_.insert(rs); }
    void Detach(Recordset* rs) { recordsets_.erase(rs); }

private:
    void OpenEmbedded(const QString& path);
    void OpenOdbc(const QString& odbcText);
    QString MissingDriverMessage(const QSqlError& error) const;
    // What the missing driver would have opened, in the clerk's words.
    QString MissingDriverSubject() const;
    static QString JournalMode(QSqlDatabase& db);
    // Sets the journal mode; true when the file is in it afterwards.
    static bool SetJournalMode(QSqlDatabase& db, const QString& mode);
    void RestoreJournalMode(QSqlDatabase& db);
    QSqlQuery SendHeld(const QString& tail, StatementBatch::Tail kind);
    void RequireOpen(const QString& statement) const;
    // Opens the handle; on failure releases it and raises the driver's message.
    void OpenOrFail(QSqlDatabase& db);
    // Releases the handle and raises Error(message, statement).
    // Lets the failed handle go and raises `error`.
    [[noreturn]] void Fail(QSqlDatabase& db, const Error& error);

    Role role_;
    DataHooks hooks_;
    QString connectionString_;
    int commandTimeout_ = 30;
    int cursorLocation_ = 2;
    QString qtName_; // the unique QSqlDatabase connection name
    bool open_ = false;
    bool embedded_ = false;
    bool access_ = false; // an Access file through Microsoft's Access driver
    bool inTransaction_ = false;
    StatementBatch::Dialect dialect_ = StatementBatch::Dialect::None;
    const SqlDialect* sql_ = &DialectOf(Engine::Other);
    StatementBatch held_;
    QString timeoutRefusal_;
    QString file_;         // the embedded file
    QString journalMode_;  // the embedded file's own journal mode, before WAL
    bool writing_ = false; // the embedded file is ready for writes
    std::set<Recordset*> recordsets_;
};

} // namespace tolvane
