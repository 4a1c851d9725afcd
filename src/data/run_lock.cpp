#include "data/run_lock.h"

#include "data/connection.h"
#include "data/database_file.h"
#include "data/open_connection.h"
#include "data/recordset.h"
#include "data/run_state.h"
#include "text/error.h"
#include "text/versions.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace tolvane {

namespace {

const QString kRefused = QStringLiteral("Another run is working on this shop");

// The application lock's names: a resource name for SQL Server, a key for PostgreSQL
// (the bytes of "Tolv"); both are per database.
const QString kResource = QStringLiteral("Tolvane run");
constexpr qint64 kAdvisoryKey = 0x546F6C76;

// How long a lock file that names no run is given to get its holder's name.
constexpr int kSettle = 200; // ms

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

// Why the lock file cannot be taken: the run that holds it, or what is wrong with a
// file in its place that names no run.
Error FileHolder(QLockFile& lock, const QString& lockPath) {
    const QString remedy =
        QStringLiteral("if no run is working on this shop, delete the file and start again.");
    qint64 pid = 0;
    QString host, program;
    if (!lock.getLockInfo(&pid, &host, &program)) {
        QFile file(lockPath);
        if (!file.open(QIODevice::ReadOnly))
            return Error(Failure::FileUnreadable, {lockPath},
                         QStringLiteral("The run lock %1 cannot be read (%2); ")
                                 .arg(lockPath, file.errorString()) +
                             remedy);
        return Error(QStringLiteral("The file %1 stands where the shop's run lock goes, but it is "
                                    "not a run lock this program wrote; ")
                         .arg(lockPath) +
                     remedy);
    }
    const QDateTime since = QFileInfo(lockPath).lastModified();
    return Error(Failure::RunBusy, {host, SinceInThai(since)},
                 kRefused + QStringLiteral(" since %1 from machine %2 (process %3, %4). Its lock "
                                           "file is %5; if no run is working from that machine, "
                                           "delete the file and start again.")
                                .arg(since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), host)
                                .arg(pid)
                                .arg(program, lockPath));
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
        TakeFile(TrimBlanks(f.txtDataVelmora));
    else
        TakeServer(st);
}

void RunLock::TakeFile(const QString& shopPath) {
    // One file, one lock, by whichever path (a link, another spelling) a run names it;
    // the lock file lies beside the file itself.
    const QString lockPath = RealFilePath(shopPath) + QStringLiteral(".tolvane.lock");
    auto lock = std::make_unique<QLockFile>(lockPath);
    // A run takes minutes: the lock is never old enough to be taken over by age, only
    // when the process that holds it is gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        file_ = std::move(lock);
        return;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        // Another run may be writing its name into the file this very moment.
        qint64 pid = 0;
        QString host, program;
        if (!lock->getLockInfo(&pid, &host, &program) && lock->tryLock(kSettle)) {
            file_ = std::move(lock);
            return;
        }
        throw FileHolder(*lock, lockPath);
    }
    throw Error(Failure::FileNotWritable, {QFileInfo(lockPath).absolutePath()},
                QStringLiteral("The run lock %1 cannot be made beside the shop's file; check "
                               "that the folder can be written.")
                    .arg(lockPath));
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
    if (file_) {
        file_->unlock();
        file_.reset();
    }
    if (session_) {
        // Closing the session ends its lock on every engine.
        session_->Close();
        session_.reset();
    }
}

} // namespace tolvane
