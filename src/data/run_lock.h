#pragma once

#include "data/lock_file.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace tolvane {

class Connection;
struct RunState;

// The exclusive run lock on a shop and on its price list: two runs on one shop at once
// would share its PriceList table as their work queue and lose each other's links, and
// two runs on one list would empty and refill its PriceListAll under each other. A run
// takes the locks before its first write and holds them to its end.
//
// - A file (the shop's Access path, whatever engine opens it, and the list's file): a
//   lock file beside the file itself (symbolic links resolved), "<file>.tolvane.lock",
//   and one named by the file's identity in the machine's temporary folder, which its
//   other names (hard links) share. Each names the machine and process that hold it, and
//   its holder keeps the operating system's lock on it (see LockFile): a live run's lock
//   is never taken, one left by a run killed on this machine is taken over. One left by
//   another machine, or a file in its place that names no run, must be removed by hand
//   (the refusal names the file, and advises it only where no process holds the file).
// - A server shop: an application lock owned by a session of its own, opened with the
//   same connection text and held for the whole run (SQL Server's sp_getapplock,
//   PostgreSQL's advisory lock). An engine with neither runs unlocked, and the window
//   is told so as a notice.
// The query that finds who holds the run lock on SQL Server (its session's log-in time
// and machine), among this database's application locks.
QString SqlServerHolderQuery();

class RunLock {
public:
    RunLock();
    ~RunLock(); // releases whatever it holds
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Takes the lock for the shop the window's fields name, and tells the window (as a
    // notice) of a shop or list file that keeps its own journal mode for the run because
    // it lies on a network file system. Raises Error, before anything is written, when
    // another run holds it (saying since when and from which machine, where that can
    // be known) or when it cannot be taken.
    void Take(RunState& st);
    // Lets the lock go (also done by the destructor). Harmless when none is held.
    void Release();

private:
    void TakeFile(RunState& st, const QString& path, bool shop);
    void TakeServer(RunState& st);

    std::vector<std::unique_ptr<LockFile>> files_;
    QStringList identities_; // of the files locked
    std::unique_ptr<Connection> session_;
};

} // namespace tolvane
