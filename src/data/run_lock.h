#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace tolvane {

class Connection;
struct RunState;

// The exclusive run lock on a shop: two runs on one shop at once would share its
// PriceList table as their work queue and lose each other's links, so a run takes
// the lock before its first write and holds it to its end.
//
// - A shop file (the Access path of the window, whatever engine opens it): a lock file
//   beside the file itself (symbolic links resolved), "<file>.tolvane.lock", naming the
//   machine and process that hold it. A lock left by a run that was killed on this
//   machine is taken over; one left by a machine that is gone, or a file in its place
//   that names no run, must be removed by hand (the refusal names the file).
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
    void TakeFile(const QString& shopPath);
    void TakeServer(RunState& st);

    std::unique_ptr<QLockFile> file_;
    std::unique_ptr<Connection> session_;
};

} // namespace tolvane
