#include "data/connection.h"

#include "data/connection_attributes.h"
#include "data/connection_texts.h"
#include "data/database_file.h"
#include "data/driver_error.h"
#include "data/odbc_driver.h"
#include "data/recordset.h"
#include "text/error.h"

#include <QAtomicInteger>
#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>

namespace tolvane {

namespace {

// The server engine an ODBC connection reports.
Engine ServerEngine(const QSqlDatabase& db) {
    switch (db.driver() ? db.driver()->dbmsType() : QSqlDriver::UnknownDbms) {
    case QSqlDriver::MSSqlServer:
        return Engine::SqlServer;
    case QSqlDriver::PostgreSQL:
        return Engine::PostgreSQL;
    default:
        return Engine::Other;
    }
}

// The ODBC text equivalent of a "Provider=sqloledb;..." text, for the driver "SQL Server".
QString SqlOleDbToOdbc(const ConnectionAttributes& attributes) {
    return SqlServerText(AttributeValue(attributes, QStringLiteral("Data Source")),
                         AttributeValue(attributes, QStringLiteral("User Id")),
                         AttributeValue(attributes, QStringLiteral("Password")),
                         AttributeValue(attributes, QStringLiteral("Initial Catalog")));
}

QString NewQtConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("tolvane-%1").arg(++counter);
}

} // namespace

Connection::Connection(Role role, DataHooks hooks)
    : role_(role), hooks_(hooks), qtName_(NewQtConnectionName()) {}

Connection::~Connection() {
    try {
        Close();
    } catch (...) {
        // A destructor reports nothing; the database handle is released below.
    }
    if (QSqlDatabase::contains(qtName_))
        QSqlDatabase::removeDatabase(qtName_);
}

void Connection::SetConnectionString(const QString& text) {
    if (open_)
        throw Error(
            QStringLiteral("The connection text cannot be set while the connection is open."),
            MaskPasswords(text));
    connectionString_ = text;
}

void Connection::Open(const QString& text) {
    if (open_)
        throw Error(QStringLiteral("The connection is already open."), MaskPasswords(text));
    if (!text.isEmpty())
        connectionString_ = text;
    timeoutRefusal_.clear();
    access_ = false;

    Report(TraceKind::Connect, connectionString_);
    const ConnectionAttributes attributes = ParseConnectionText(connectionString_);
    const QString driver = AttributeValue(attributes, QStringLiteral("driver"));
    const QString dbq = AttributeValue(attributes, QStringLiteral("dbq"));
    const QString provider = AttributeValue(attributes, QStringLiteral("Provider"));

    const bool accessText =
        driver.contains(QLatin1String("Microsoft Access Driver"), Qt::CaseInsensitive);
    QString unreadable;
    const DatabaseFile file =
        accessText ? KindOfDatabaseFile(dbq, &unreadable) : DatabaseFile::Missing;
    if (file == DatabaseFile::SQLite) {
        if (const QString log = StaleLogBeside(dbq); !log.isEmpty())
            throw Error(Failure::StaleLog, {FileInThai(dbq), log},
                        QStringLiteral("Beside %1 lies the write-ahead log %2, which no run of "
                                       "this file left (the file keeps a rollback journal), so "
                                       "it would be read into the file: when no program has "
                                       "the file open, delete %2 and start again.")
                            .arg(dbq, log),
                        MaskPasswords(connectionString_));
        OpenEmbedded(dbq);
    } else if (file == DatabaseFile::Unreadable) {
        throw Error(Failure::FileUnreadable, {dbq},
                    QStringLiteral("The file %1 cannot be read: %2.").arg(dbq, unreadable),
                    MaskPasswords(connectionString_));
    } else if (file == DatabaseFile::Other) {
        // No database at all where the shop or the list should be.
        throw Error(role_ == Role::Target ? Failure::NotAShop : Failure::NotAList,
                    {FileInThai(dbq)},
                    QStringLiteral("The file %1 is not a database: it is neither an Access file "
                                   "nor a SQLite file.")
                        .arg(dbq),
                    MaskPasswords(connectionString_));
    } else if (provider.compare(QLatin1String("sqloledb"), Qt::CaseInsensitive) == 0) {
        OpenOdbc(SqlOleDbToOdbc(attributes));
    } else {
        access_ = accessText;
        OpenOdbc(connectionString_);
    }
    CountRoundTrip();
    open_ = true;
}

void Connection::OpenEmbedded(const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), qtName_);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(commandTimeout_ * 1000));
    OpenOrFail(db);
    embedded_ = true;
    sql_ = &DialectOf(Engine::Embedded);
    writing_ = false;
    file_ = path;
    // A note beside the file holds its own mode when a run was killed while the file
    // was in WAL; this connection puts that mode back when it closes.
    journalMode_ = NotedJournalMode(path);
    if (journalMode_.isEmpty())
        journalMode_ = JournalMode(db);
}

void Connection::PrepareToWrite(const QString& statement) {
    if (!open_ || !embedded_ || writing_)
        return;
    writing_ = true;
    if (journalMode_.isEmpty())
        return; // no mode could be read: the file is left as it is
    QSqlDatabase db = Database();
    // WAL lets the shop's own program read while the run writes. A file on a network
    // file system keeps (or gets back) its own mode: WAL does not work there. The price
    // list goes into WAL too (it takes a transaction a row in the check); a log a killed
    // run left beside it is read back only while the file's header still says WAL, and
    // one beside a file copied over it is refused when the file is opened.
    const bool wal = NetworkFileSystem(file_).isEmpty();
    const QString wanted = wal ? QStringLiteral("wal") : journalMode_;
    if (JournalMode(db) != wanted) {
        // No switch without the note: a run killed in WAL would leave the file there.
        if (wal && !NoteJournalMode(file_, journalMode_))
            return;
        // Held up by another program's lock as long as a statement would be; the error
        // names the write that waited.
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=") + wanted)) {
            const Error failure = DriverFailure(pragma.lastError(), db, statement);
            if (wal)
                ForgetJournalMode(file_);
            throw Error(failure.kind(), failure.facts(),
                        failure.message() +
                            QStringLiteral(" (setting the journal mode to %1)").arg(wanted),
                        statement);
        }
        // Where the engine answers with another mode (WAL cannot be had), the run writes
        // in the file's own mode. The note stays while the file is in WAL.
        const bool switched = pragma.next() && pragma.value(0).toString().toLower() == wanted;
        if (switched != wal)
            ForgetJournalMode(file_);
        if (!switched)
            return;
    }
    if (wal) {
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
            throw DriverFailure(pragma.lastError(), db,
                                QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
}

void Connection::OpenOrFail(QSqlDatabase& db) {
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open())
        Fail(db, DriverFailure(db.lastError(), db, MaskPasswords(connectionString_)));
}

void Connection::Fail(QSqlDatabase& db, const Error& error) {
    db.close();
    db = QSqlDatabase(); // the handle must be released before it is removed
    QSqlDatabase::removeDatabase(qtName_);
    throw error;
}

void Connection::OpenOdbc(const QString& odbcText) {
    // Qt's ODBC driver hands a text that holds ".dsn" (in any case) to the driver
    // manager as the name of a file DSN ("FILEDSN=" + text), so it would never reach
    // the driver it names.
    if (odbcText.contains(QLatin1String(".dsn"), Qt::CaseInsensitive))
        throw Error(QStringLiteral("The connection text cannot be opened: it holds \".dsn\", "
                                   "which Qt's ODBC driver takes for the name of a file DSN. "
                                   "No field of it (server, database, user, password, file "
                                   "path) may hold \".dsn\"."),
                    MaskPasswords(connectionString_));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), qtName_);
    db.setDatabaseName(odbcText);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(commandTimeout_));
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        const QString text = MaskPasswords(connectionString_);
        Fail(db, IsMissingDriver(error) ? Error(Failure::NoDriver, {MissingDriverSubject()},
                                                MissingDriverMessage(error), text)
                                        : DriverFailure(error, db, text));
    }
    embedded_ = false;
    sql_ = &DialectOf(access_ ? Engine::Access : ServerEngine(db));
    held_.SetPipesAsParameters(sql_->pipesAsParameters);
    // A SQL Server whose "user options" start sessions with NOCOUNT ON sends no row
    // counts (the driver answers 0): the counted writes and their checks need them.
    if (ServerEngine(db) == Engine::SqlServer) {
        QSqlQuery noCount(db);
        noCount.setForwardOnly(true);
        CountRoundTrip();
        if (!noCount.exec(QStringLiteral("SET NOCOUNT OFF")))
            Fail(db, DriverFailure(noCount.lastError(), db, QStringLiteral("SET NOCOUNT OFF")));
    }
    // The command time-out bounds every statement, not only the log-in.
    const QueryTimeout timeout = SetQueryTimeout(db, commandTimeout_);
    if (!timeout.applied)
        timeoutRefusal_ =
            QStringLiteral("statement time-out: the ODBC driver of the %1 refused a time-out of "
                           "%2 s; its statements run %3.")
                .arg(role_ == Role::Target ? QStringLiteral("shop database")
                                           : QStringLiteral("price list"))
                .arg(commandTimeout_)
                .arg(timeout.inEffect > 0
                         ? QStringLiteral("with the driver's %1 s").arg(timeout.inEffect)
                         : QStringLiteral("without one"));
    if (hooks_.batches) {
        const Engine engine = ServerEngine(db);
        dialect_ = engine == Engine::PostgreSQL  ? StatementBatch::Dialect::PostgreSQL
                   : engine == Engine::SqlServer ? StatementBatch::Dialect::SqlServer
                                                 : StatementBatch::Dialect::None;
    }
}

QString Connection::MissingDriverSubject() const {
    const ConnectionAttributes attributes = ParseConnectionText(connectionString_);
    const QString dbq = AttributeValue(attributes, QStringLiteral("dbq"));
    if (!dbq.isEmpty())
        return FileInThai(dbq);
    const bool oleDb = !AttributeValue(attributes, QStringLiteral("Provider")).isNull();
    return DatabaseInThai(AttributeValue(attributes, oleDb ? QStringLiteral("Data Source")
                                                           : QStringLiteral("server")),
                          AttributeValue(attributes, oleDb ? QStringLiteral("Initial Catalog")
                                                           : QStringLiteral("database")));
}

QString Connection::MissingDriverMessage(const QSqlError& error) const {
    const ConnectionAttributes attributes = ParseConnectionText(connectionString_);
    const QString driver = AttributeValue(attributes, QStringLiteral("driver"));
    const QString dbq = AttributeValue(attributes, QStringLiteral("dbq"));
    QString message = QStringLiteral("No ODBC driver named \"%1\" is registered on this machine")
                          .arg(driver.isEmpty() ? QStringLiteral("SQL Server") : driver);
    if (!dbq.isEmpty() && KindOfDatabaseFile(dbq) == DatabaseFile::Access) {
        message += QStringLiteral(", so the Access file %1 cannot be opened.").arg(dbq);
        message += role_ == Role::Source
                       ? QStringLiteral(" Convert the price list into a SQLite file with "
                                        "tools/mdb-to-sqlite; Tolvane opens that without a driver.")
                       : QStringLiteral(" Install Microsoft's Access Database Engine in the "
                                        "bitness of this program.");
    } else {
        message += u'.';
    }
    return message + u'\n' + DriverError(error);
}

QString Connection::JournalMode(QSqlDatabase& db) {
    QSqlQuery pragma(db);
    if (pragma.exec(QStringLiteral("PRAGMA journal_mode")) && pragma.next())
        return pragma.value(0).toString().toLower();
    return QString();
}

bool Connection::SetJournalMode(QSqlDatabase& db, const QString& mode) {
    QSqlQuery pragma(db);
    return pragma.exec(QStringLiteral("PRAGMA journal_mode=") + mode) && pragma.next() &&
           pragma.value(0).toString().toLower() == mode;
}

void Connection::RestoreJournalMode(QSqlDatabase& db) {
    // Switching out of WAL needs the file to itself: where another connection still
    // holds it, the switch fails at once (no waiting) and the file stays as it is,
    // with its note, for the last connection to put back.
    if (journalMode_.isEmpty() || journalMode_ == QLatin1String("wal") ||
        JournalMode(db) == journalMode_)
        return;
    QSqlQuery pragma(db);
    if (pragma.exec(QStringLiteral("PRAGMA busy_timeout=0")) && SetJournalMode(db, journalMode_))
        ForgetJournalMode(file_);
}

void Connection::Close() {
    if (!open_)
        return;
    // Recordsets close themselves out of the set.
    while (!recordsets_.empty())
        (*recordsets_.begin())->Close();
    // Held statements outside a transaction are the run's work: they go out before
    // the connection does (a failure here is the run's failure). Inside a transaction
    // the rollback below would undo them anyway.
    if (inTransaction_)
        held_.Discard();
    else
        Flush();
    Report(TraceKind::Close, QString());
    {
        QSqlDatabase db = QSqlDatabase::database(qtName_, false);
        if (inTransaction_)
            db.rollback();
        // The shop's file goes back to the journal mode it had.
        if (embedded_)
            RestoreJournalMode(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(qtName_);
    open_ = false;
    access_ = false;
    held_.SetPipesAsParameters(false);
    inTransaction_ = false;
    dialect_ = StatementBatch::Dialect::None;
    sql_ = &DialectOf(Engine::Other);
}

Engine Connection::engine() const {
    if (!open_)
        return Engine::Other;
    return embedded_ ? Engine::Embedded : access_ ? Engine::Access : ServerEngine(Database());
}

QSqlDatabase Connection::Database() const {
    return QSqlDatabase::database(qtName_, false);
}

void Connection::RequireOpen(const QString& statement) const {
    if (!open_)
        throw Error(QStringLiteral("The connection is closed."), statement);
}

int Connection::Execute(const QString& built) {
    const QString statement = ForEngine(*sql_, built);
    RequireOpen(statement);
    Report(TraceKind::Execute, statement);
    PrepareToWrite(statement);
    return SendHeld(statement, StatementBatch::Tail::Count).numRowsAffected();
}

void Connection::Send(const QString& built) {
    const QString statement = ForEngine(*sql_, built);
    RequireOpen(statement);
    Report(TraceKind::Execute, statement);
    PrepareToWrite(statement);
    if (StatementBatch::CanHold(dialect_, inTransaction_))
        held_.Hold(statement);
    else
        SendHeld(statement, StatementBatch::Tail::None);
}

void Connection::Flush() {
    if (!held_.Empty())
        SendHeld(QString(), StatementBatch::Tail::None);
}

QSqlQuery Connection::Query(const QString& source) {
    RequireOpen(source);
    return SendHeld(source, StatementBatch::Tail::Rows);
}

void Connection::ReadOpenResults() {
    if (!sql_->oneResultAtATime)
        return;
    for (Recordset* rs : recordsets_)
        rs->ReadRest();
}

QSqlQuery Connection::SendHeld(const QString& tail, StatementBatch::Tail kind) {
    ReadOpenResults();
    return held_.Send(Database(), tail, kind, dialect_, inTransaction_,
                      [this] { CountRoundTrip(); });
}

bool Connection::HasTable(const QString& name) const {
    RequireOpen(name);
    CountRoundTrip();
    const QStringList tables = Database().tables(QSql::Tables);
    return std::any_of(tables.begin(), tables.end(), [&](const QString& table) {
        return table.compare(name, Qt::CaseInsensitive) == 0;
    });
}

bool Connection::SendsCheckedCalls() const {
    return open_ && !inTransaction_ && dialect_ != StatementBatch::Dialect::None;
}

bool Connection::SendChecked(const std::vector<CheckedTransaction>& built, QString* reason) {
    RequireOpen(QStringLiteral("BEGIN"));
    std::vector<CheckedTransaction> transactions = built;
    for (CheckedTransaction& transaction : transactions) {
        for (CheckedStatement& s : transaction)
            s.statement = ForEngine(*sql_, s.statement);
    }
    if (!SendsCheckedCalls())
        throw Error(QStringLiteral("This connection sends no checked calls."),
                    QStringLiteral("BEGIN"));
    Flush();
    for (const CheckedTransaction& transaction : transactions) {
        Report(TraceKind::Begin, QString());
        for (const CheckedStatement& s : transaction)
            Report(s.check == CheckedStatement::Check::FindsRow ? TraceKind::Open
                                                                : TraceKind::Execute,
                   s.statement);
        Report(TraceKind::Commit, QString());
    }
    ReadOpenResults();
    const bool committed =
        SendCheckedCall(Database(), dialect_, transactions, reason, [this] { CountRoundTrip(); });
    if (!committed)
        Report(TraceKind::Rollback, QString());
    return committed;
}

void Connection::BeginTrans() {
    RequireOpen(QStringLiteral("BEGIN"));
    Report(TraceKind::Begin, QString());
    // The journal mode cannot change inside a transaction.
    PrepareToWrite(QStringLiteral("BEGIN"));
    // What was held back belongs before the transaction.
    Flush();
    ReadOpenResults();
    QSqlDatabase db = Database();
    CountRoundTrip();
    if (!db.transaction())
        throw DriverFailure(db.lastError(), db, QStringLiteral("BEGIN"));
    inTransaction_ = true;
}

void Connection::CommitTrans() {
    RequireOpen(QStringLiteral("COMMIT"));
    Report(TraceKind::Commit, QString());
    QSqlDatabase db = Database();
    if (!inTransaction_)
        throw Error(QStringLiteral("No transaction is pending."), QStringLiteral("COMMIT"));
    Flush();
    ReadOpenResults();
    CountRoundTrip();
    if (!db.commit())
        throw DriverFailure(db.lastError(), db, QStringLiteral("COMMIT"));
    inTransaction_ = false;
}

void Connection::RollbackTrans() {
    RequireOpen(QStringLiteral("ROLLBACK"));
    if (!inTransaction_)
        throw Error(QStringLiteral("No transaction is pending."), QStringLiteral("ROLLBACK"));
    Report(TraceKind::Rollback, QString());
    held_.Discard(); // undone by the rollback anyway
    // Open recordsets hold statements that would keep the rollback from finishing.
    while (!recordsets_.empty())
        (*recordsets_.begin())->Close();
    QSqlDatabase db = Database();
    inTransaction_ = false;
    CountRoundTrip();
    if (!db.rollback())
        throw DriverFailure(db.lastError(), db, QStringLiteral("ROLLBACK"));
}

void Connection::CountRoundTrip() const {
    if (hooks_.trace)
        hooks_.trace->RoundTrip(role_);
}

void Connection::Report(TraceKind kind, const QString& text) const {
    if (hooks_.trace)
        hooks_.trace->Event(role_, kind, kind == TraceKind::Connect ? MaskPasswords(text) : text);
    if (hooks_.faults)
        hooks_.faults->Before(role_, kind, text);
}

} // namespace tolvane
