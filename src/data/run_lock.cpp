#include "data/run_lock.h"

#include "data/connection.h"
#include "data/database_file.h"
#include "data/open_connection.h"
#include "data/recordset.h"
#include "data/run_state.h"
#include "text/error.h"
#include "text/versions.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace tolvane {

namespace {

const QString kRefused = QStringLiteral("Another run is working on this shop");

// The application lock's names: a resource name for SQL Server, a key for PostgreSQL
// (the bytes of "Tolv"); both are per database.
const QString kResource = QStringLiteral("Tolvane run");
constexpr qint64 kAdvisoryKey = 0x546F6C76;

// When a holder took the lock, as the clerk reads it.
QString SinceInThai(const QDateTime& since) {
    if (!since.isValid())
        return QString();
    return QStringLiteral("%1/%2/%3 เวลา %4 น.")
        .arg(since.date().day())
        .arg(since.date().month())
        .arg(since.date().year() + 543)
        .arg(since.time().toString(QStringLiteral("HH:mm")));
}

// What a run lock guards, as the refusals name it.
struct Guarded {
    QString what; // "shop", "price list"
    Failure busy; // the clerk's sentence when another run holds it
    QString file; // the file guarded
};

// Why a lock file cannot be taken: the run that holds it, or what is wrong with the
// file in its place. Deleting the file is advised only where no process holds it.
Error Refusal(const LockFile& lock, LockFile::Outcome outcome, const Guarded& g, bool beside) {
    const QString remedy = QStringLiteral("if no run is working on this %1, delete the file and "
                                          "start again.")
                               .arg(g.what);
    const QString lockPath = lock.path();
    const LockHolder& h = lock.holder();
    const QString since = h.since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QStringList facts = {h.host, SinceInThai(h.since), g.file};
    switch (outcome) {
    case LockFile::Outcome::Held:
        if (h.pid == 0)
            return Error(Failure::FileHeld, {lockPath},
                         QStringLiteral("The file %1 stands where the %2's run lock goes and a "
                                        "process holds it open, but it names no run; it cannot "
                                        "be taken while that process holds it.")
                             .arg(lockPath, g.what));
        return Error(
            g.busy, facts,
            QStringLiteral("Another run is working on this %1 since %2 from machine %3 "
                           "(process %4, %5%6). Its lock file is %7; the lock goes "
                           "with that run.")
                .arg(g.what, since, h.host)
                .arg(h.pid)
                .arg(h.program, h.locks.isEmpty() ? QString() : ", on " + h.locks, lockPath));
    case LockFile::Outcome::Abandoned:
        return Error(g.busy, facts,
                     QStringLiteral("Another run may be working on this %1: its run lock %2 was "
                                    "made at %3 by machine %4 (process %5, %6), and no process "
                                    "holds it as far as this machine can tell; ")
                             .arg(g.what, lockPath, since, h.host)
                             .arg(h.pid)
                             .arg(h.program) +
                         QStringLiteral("if no run is working from that machine, delete the "
                                        "file and start again."));
    case LockFile::Outcome::NotALock:
        return Error(QStringLiteral("The file %1 stands where the %2's run lock goes, but it is "
                                    "not a run lock this program wrote; ")
                         .arg(lockPath, g.what) +
                     remedy);
    case LockFile::Outcome::Unreadable:
        return Error(
            Failure::FileUnreadable, {lockPath},
            QStringLiteral("The run lock %1 cannot be read (%2); ").arg(lockPath, lock.error()) +
                remedy);
    default:
        // Beside the file, a folder that takes no lock takes no journal either: the file
        // cannot be written there by any engine.
        if (beside)
            return Error(Failure::FileNotWritable, {g.file},
                         QStringLiteral("%1 cannot be written, so the run writes nothing: its "
                                        "run lock %2 cannot be made beside it (%3).")
                             .arg(g.file, lockPath, lock.error()));
        return Error(Failure::FileNotWritable, {QFileInfo(lockPath).absolutePath()},
                     QStringLiteral("The run lock %1 cannot be taken (%2); check that the "
                                    "folder can be written.")
                         .arg(lockPath, lock.error()));
    }
}

// One value of a one-row query on the lock's own session.
QVariant Ask(Connection& cn, const QString& sql, const QString& field) {
    Recordset rs;
    rs.Open(sql, cn);
    const QVariant value = rs.Eof() ? QVariant() : rs.Field(field);
    rs.Close();
    return value;
}

// The refusal naming the session a query finds holding the lock (" since <when> from
// machine <host>"); without them where the server does not let this user see it.
Error Holder(Connection& cn, const QString& sql) {
    QString since, host;
    QDateTime sinceTime;
    try {
        Recordset rs;
        rs.Open(sql, cn);
        if (!rs.Eof()) {
            const QVariant value = rs.Field(QStringLiteral("Since"));
            since = value.toString();
            sinceTime = value.toDateTime();
            host = rs.Text(QStringLiteral("Host"));
        }
        rs.Close();
    } catch (const Error&) {
    }
    const QString who = since.isEmpty() && host.isEmpty()
                            ? QString()
                            : QStringLiteral(" since %1 from machine %2").arg(since, host);
    return Error(Failure::RunBusy, {host, SinceInThai(sinceTime)}, kRefused + who + u'.');
}

// Who holds the advisory lock on PostgreSQL.
Error PostgresHolder(Connection& cn) {
    return Holder(cn,
                  QStringLiteral("Select a.backend_start As Since, Coalesce(Host(a.client_addr), "
                                 "'this server (local socket)') As Host From pg_locks l Join "
                                 "pg_stat_activity a On a.pid = l.pid Where l.locktype = "
                                 "'advisory' And l.granted And l.objid = %1")
                      .arg(kAdvisoryKey));
}

// Who holds the application lock on SQL Server: application locks are per database,
// so only this database's locks count.
Error SqlServerHolder(Connection& cn) {
    return Holder(cn, SqlServerHolderQuery());
}

// What an answer of sp_getapplock below -1 means.
// One folder for the whole machine, whoever runs the program: a temporary folder of the
// user's own (TMPDIR, %TEMP%) would give two users, or two sessions with different
// settings, two identity locks for one file.
QString MachineLockFolder() {
#ifdef Q_OS_WIN
    const QString shared = qEnvironmentVariable("ProgramData");
    return shared.isEmpty() ? QDir::tempPath() : shared;
#else
    return QStringLiteral("/tmp");
#endif
}

QString AppLockFailure(int result) {
    switch (result) {
    case -2:
        return QStringLiteral("the request was cancelled");
    case -3:
        return QStringLiteral("the request was chosen as a deadlock victim");
    case -999:
        return QStringLiteral("a parameter or call error");
    default:
        return QStringLiteral("no answer sp_getapplock is documented to give");
    }
}

} // namespace

QString SqlServerHolderQuery() {
    return QStringLiteral("Select s.login_time As Since, s.host_name As Host From "
                          "sys.dm_tran_locks l Join sys.dm_exec_sessions s On s.session_id = "
                          "l.request_session_id Where l.resource_type = 'APPLICATION' And "
                          "l.resource_database_id = DB_ID() And l.request_status = 'GRANT' And "
                          "l.resource_description Like '%") +
           kResource + QStringLiteral("%'");
}

RunLock::RunLock() = default;

RunLock::~RunLock() {
    try {
        Release();
    } catch (...) {
        // A destructor reports nothing; the server ends the session's lock with it.
    }
}

void RunLock::Take(RunState& st) {
    const FormFields f = st.window.Fields();
    // The connections keep such files out of WAL (see Connection); the run says so once.
    QStringList files = {TrimBlanks(f.txtPriceList)};
    if (f.optAccess)
        files << TrimBlanks(f.txtDataVelmora);
    for (const QString& path : files) {
        const QString network =
            KindOfDatabaseFile(path) == DatabaseFile::SQLite ? NetworkFileSystem(path) : QString();
        if (!network.isEmpty())
            st.window.Notice(QStringLiteral("journal mode: %1 lies on a network file system "
                                            "(%2), where WAL does not work; this run keeps the "
                                            "file's own journal mode.")
                                 .arg(path, network),
                             ThaiSentence(NoticeKind::NetworkJournal, {path}));
    }
    if (f.optAccess)
        TakeFile(st, TrimBlanks(f.txtDataVelmora), true);
    else
        TakeServer(st);
    // Each run empties and refills the list's collected table: one run per list too.
    TakeFile(st, TrimBlanks(f.txtPriceList), false);
}

void RunLock::TakeFile(RunState& st, const QString& path, bool shop) {
    const QString real = RealFilePath(path), identity = FileIdentity(real);
    // One file, one lock by whichever name a run gives it: a lock beside the file,
    // seen from every machine that reaches the file by its path, and one named by the
    // file's identity in one folder of this machine, which catches its other names
    // (hard links) too. A file the run locked already (the same file in both fields)
    // is left to the checks that refuse it.
    if (!identity.isEmpty() && identities_.contains(identity))
        return;
    const Guarded g = shop ? Guarded{QStringLiteral("shop"), Failure::RunBusy, path}
                           : Guarded{QStringLiteral("price list"), Failure::ListBusy, path};
    QStringList lockPaths = {real + QStringLiteral(".tolvane.lock")};
    if (!identity.isEmpty())
        lockPaths << QDir(MachineLockFolder()).filePath(QStringLiteral("tolvane-%1.lock").arg(identity));
    for (const QString& lockPath : lockPaths) {
        auto step = [&st, lockPath](LockFile::Step s) {
            if (st.observer)
                st.observer->LockStep(lockPath, s);
        };
        auto lock = std::make_unique<LockFile>(lockPath, real, step);
        const LockFile::Outcome outcome = lock->TryLock();
        if (outcome != LockFile::Outcome::Taken)
            throw Refusal(*lock, outcome, g, lockPath == lockPaths.front());
        files_.push_back(std::move(lock));
    }
    identities_ << identity;
}

void RunLock::TakeServer(RunState& st) {
    // The lock's session reports to no trace: it is the run's guard, not its work.
    auto session = std::make_unique<Connection>(Role::Target, DataHooks{nullptr, st.hooks.faults});
    OpenTargetOn(st, *session);
    switch (session->engine()) {
    case Engine::PostgreSQL:
        if (!Ask(*session,
                 QStringLiteral("Select pg_try_advisory_lock(%1) As Locked").arg(kAdvisoryKey),
                 QStringLiteral("Locked"))
                 .toBool())
            throw PostgresHolder(*session);
        break;
    case Engine::SqlServer: {
        const QString take = QStringLiteral("Set NoCount On; Declare @r int; Exec @r = "
                                            "sp_getapplock @Resource = '%1', @LockMode = "
                                            "'Exclusive', @LockOwner = 'Session', @LockTimeout = "
                                            "0; Select @r As Result")
                                 .arg(kResource);
        const QVariant answer = Ask(*session, take, QStringLiteral("Result"));
        bool number = false;
        const int result = answer.toInt(&number);
        // 0 and 1: granted; -1: held by another session (no waiting). Anything else is
        // the server's failure, not another run.
        if (number && result == -1)
            throw SqlServerHolder(*session);
        if (!number || (result != 0 && result != 1))
            throw Error(QStringLiteral("The run lock could not be taken: sp_getapplock answered "
                                       "%1 (%2).")
                            .arg(answer.isNull() ? QStringLiteral("Null") : answer.toString(),
                                 AppLockFailure(result)),
                        take);
        break;
    }
    default:
        st.window.Notice(QStringLiteral("run lock: the shop's database engine has no "
                                        "application lock; this run works without one."),
                         ThaiSentence(NoticeKind::NoRunLock));
        session->Close();
        return;
    }
    session_ = std::move(session);
}

void RunLock::Release() {
    // The list's locks first: the shop's lock is the last thing a run lets go of.
    while (!files_.empty())
        files_.pop_back();
    identities_.clear();
    if (session_) {
        // Closing the session ends its lock on every engine.
        session_->Close();
        session_.reset();
    }
}

} // namespace tolvane
