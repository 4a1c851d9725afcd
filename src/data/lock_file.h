#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

namespace tolvane {

// Who holds a lock file, as its holder wrote it: process, program, machine and the
// path of the file it locks. A file in which these cannot be read is no lock file.
struct LockHolder {
    qint64 pid = 0;
    QString program, host, locks;
    QDateTime since; // when the lock file was made
};

// The identity of a file, the same by every name it has (hard links, symbolic links,
// other spellings): device and inode, or the volume and file ID on Windows. Empty when
// the file cannot be opened.
QString FileIdentity(const QString& path);

// An exclusive lock held through a file, as long as this object or its process lives.
//
// The holder keeps an operating-system lock on the file (flock, LockFileEx) for as long
// as it holds it; the system lets go of it when the process ends, however it ends. So
// the file tells a live holder from an abandoned one by that lock alone, never by age
// or by guessing from its content. The file appears complete: it is written and locked
// under a name of its own and only then put in place (a hard link or a rename that
// refuses to replace), so whoever finds the file finds its holder's name in it. An
// abandoned lock file (no process holds it) that names a run of this machine is taken
// over by replacing it the same way.
class LockFile {
public:
    // The moments of taking the lock, told to `step` (a test freezes the taker there).
    enum class Step {
        Made,      // written and locked under a name of its own, not in place yet
        InPlace,   // in place
        Abandoned, // about to replace an abandoned lock file, which is held meanwhile
        TakenOver, // the abandoned file was replaced
    };
    using StepHook = std::function<void(Step)>;

    enum class Outcome {
        Taken,
        Held,       // a live process holds it: holder() names it (pid 0: names no run)
        Abandoned,  // it names a run of another machine that no process holds it for,
                    // or a run whose hold this file system cannot show
        NotALock,   // no process holds it, and it names no run
        Unreadable, // a file is there that cannot be opened: error() says why
        Failed,     // the file cannot be made, put in place or locked: error() says why
    };

    LockFile(QString path, QString locks, StepHook step = {});
    ~LockFile(); // lets go of the lock and removes the file
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    Outcome TryLock();
    void Unlock();
    const QString& path() const { return path_; }
    // The holder found by the last TryLock (Held, Abandoned); why it failed (Failed).
    const LockHolder& holder() const { return holder_; }
    const QString& error() const { return error_; }

private:
    Outcome TryOnce(bool& again);
    Outcome Found(std::intptr_t own, bool& again);
    std::intptr_t MakeOwn();
    void Drop(std::intptr_t own);
    Outcome Fail(const QString& what);

    QString path_, locks_, ownPath_;
    StepHook step_;
    std::intptr_t own_ = -1; // the locked file's handle while the lock is held
    LockHolder holder_;
    QString error_;
};

} // namespace tolvane
