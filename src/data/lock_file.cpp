#include "data/lock_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include "data/windows_api.h"

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tolvane {

namespace {

constexpr std::intptr_t kNone = -1;

// Whether the operating-system lock on an open file was had.
enum class Locked { Yes, Elsewhere, Error };

// The few file calls the lock needs, one set per system. Every file is opened so that
// others may still read, rename and delete it.
#ifdef Q_OS_WIN
HANDLE H(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}
std::wstring Native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}
QString SystemError() {
    return qt_error_string(static_cast<int>(GetLastError()));
}
std::intptr_t OpenFile(const QString& path, bool create) {
    return reinterpret_cast<std::intptr_t>(
        CreateFileW(Native(path).c_str(), GENERIC_READ | (create ? GENERIC_WRITE : 0),
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}
bool Gone() {
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}
bool AlreadyThere() {
    return GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS;
}
// Windows' locks keep others from reading the bytes they cover: the lock covers one
// byte far past the holder's name, which stays readable.
Locked LockNow(std::intptr_t h) {
    OVERLAPPED at{};
    at.OffsetHigh = 1;
    if (LockFileEx(H(h), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return Locked::Yes;
    return GetLastError() == ERROR_LOCK_VIOLATION ? Locked::Elsewhere : Locked::Error;
}
bool WriteAll(std::intptr_t h, const QByteArray& bytes) {
    DWORD written = 0;
    return WriteFile(H(h), bytes.constData(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == static_cast<DWORD>(bytes.size());
}
void CloseFile(std::intptr_t h) {
    CloseHandle(H(h));
}
QString IdentityOf(std::intptr_t h) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(H(h), &info))
        return QString();
    return QStringLiteral("%1-%2")
        .arg(info.dwVolumeSerialNumber)
        .arg((quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}
QString PathIdentity(const QString& path) {
    const HANDLE h = CreateFileW(Native(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return QString();
    const QString identity = IdentityOf(reinterpret_cast<std::intptr_t>(h));
    CloseHandle(h);
    return identity;
}
// Puts `from` under the name `to`; without `replace` it fails where `to` is there.
bool Move(const QString& from, const QString& to, bool replace) {
    return MoveFileExW(Native(from).c_str(), Native(to).c_str(),
                       replace ? MOVEFILE_REPLACE_EXISTING : 0);
}
bool RemoveFile(const QString& path) {
    return DeleteFileW(Native(path).c_str());
}
bool ProcessGone(qint64 pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no process has that number
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}
#else
QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
std::intptr_t OpenFile(const QString& path, bool create) {
    return ::open(QFile::encodeName(path).constData(),
                  create ? O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0644);
}
bool Gone() {
    return errno == ENOENT;
}
bool AlreadyThere() {
    return errno == EEXIST;
}
Locked LockNow(std::intptr_t fd) {
    if (::flock(static_cast<int>(fd), LOCK_EX | LOCK_NB) == 0)
        return Locked::Yes;
    return errno == EWOULDBLOCK ? Locked::Elsewhere : Locked::Error;
}
bool WriteAll(std::intptr_t fd, const QByteArray& bytes) {
    return ::write(static_cast<int>(fd), bytes.constData(), bytes.size()) == bytes.size();
}
void CloseFile(std::intptr_t fd) {
    ::close(static_cast<int>(fd));
}
QString Identity(const struct stat& s) {
    return QStringLiteral("%1-%2").arg(quint64(s.st_dev)).arg(quint64(s.st_ino));
}
QString IdentityOf(std::intptr_t fd) {
    struct stat s;
    return ::fstat(static_cast<int>(fd), &s) == 0 ? Identity(s) : QString();
}
QString PathIdentity(const QString& path) {
    struct stat s;
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? Identity(s) : QString();
}
// A hard link puts the file in place only where no file is; a file system without
// hard links (FAT) gets it by a rename, which is only done where no file was found.
bool Move(const QString& from, const QString& to, bool replace) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (replace)
        return ::rename(f.constData(), t.constData()) == 0;
    if (::link(f.constData(), t.constData()) == 0) {
        ::unlink(f.constData());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EXDEV)
        return false;
    const int saved = errno;
    if (QFileInfo::exists(to)) {
        errno = EEXIST;
        return false;
    }
    errno = saved;
    return ::rename(f.constData(), t.constData()) == 0;
}
bool RemoveFile(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}
bool ProcessGone(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}
#endif

// The holder a lock file names; pid 0 where it names none.
LockHolder ReadHolder(const QString& path) {
    LockHolder holder;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return holder;
    const QStringList lines = QString::fromUtf8(file.read(4096)).split(u'\n');
    bool number = false;
    const qint64 pid = lines.value(0).toLongLong(&number);
    if (!number || pid <= 0 || lines.size() < 4 || lines.value(2).isEmpty())
        return holder;
    holder = {pid, lines[1], lines[2], lines[3], QFileInfo(path).lastModified()};
    return holder;
}

// Who is taking over an abandoned lock file this moment: the held file of its own
// beside it (see LockFile::MakeOwn); pid 0 where there is none.
LockHolder TakingOver(const QString& path, const QString& own) {
    const QFileInfo lock(path);
    for (const QFileInfo& other :
         lock.dir().entryInfoList({lock.fileName() + QStringLiteral(".*")}, QDir::Files)) {
        if (other.absoluteFilePath() == QFileInfo(own).absoluteFilePath())
            continue;
        const std::intptr_t file = OpenFile(other.absoluteFilePath(), false);
        if (file == kNone)
            continue;
        const bool held = LockNow(file) == Locked::Elsewhere;
        CloseFile(file);
        if (held)
            if (const LockHolder taker = ReadHolder(other.absoluteFilePath()); taker.pid != 0)
                return taker;
    }
    return {};
}

} // namespace

QString FileIdentity(const QString& path) {
    return PathIdentity(path);
}

LockFile::LockFile(QString path, QString locks, StepHook step)
    : path_(std::move(path)), locks_(std::move(locks)), step_(std::move(step)) {}

LockFile::~LockFile() {
    Unlock();
}

LockFile::Outcome LockFile::Fail(const QString& what) {
    error_ = what;
    return Outcome::Failed;
}

LockFile::Outcome LockFile::TryLock() {
    if (own_ != kNone)
        return Outcome::Taken;
    // A lock file that changes hands between looking and locking is looked at again.
    for (int attempt = 0; attempt < 50; ++attempt) {
        holder_ = {};
        error_.clear();
        bool again = false;
        const Outcome outcome = TryOnce(again);
        if (!again)
            return outcome;
    }
    return Fail(QStringLiteral("it keeps changing hands"));
}

std::intptr_t LockFile::MakeOwn() {
    ownPath_ = path_ + QStringLiteral(".%1-%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    const std::intptr_t own = OpenFile(ownPath_, true);
    if (own == kNone)
        return kNone;
    const QByteArray name = QString::number(QCoreApplication::applicationPid()).toUtf8() + '\n' +
                            QCoreApplication::applicationName().toUtf8() + '\n' +
                            QSysInfo::machineHostName().toUtf8() + '\n' + locks_.toUtf8() + '\n';
    // A file system that keeps no locks (an NFS mount without its lock service) still
    // gets the file, which then tells its holder's name but not whether it lives.
    if (LockNow(own) == Locked::Elsewhere || !WriteAll(own, name)) {
        Drop(own);
        return kNone;
    }
    return own;
}

void LockFile::Drop(std::intptr_t own) {
    CloseFile(own);
    RemoveFile(ownPath_);
}

LockFile::Outcome LockFile::TryOnce(bool& again) {
    const std::intptr_t own = MakeOwn();
    if (own == kNone)
        return Fail(QStringLiteral("it cannot be made: ") + SystemError());
    if (step_)
        step_(Step::Made);
    if (Move(ownPath_, path_, false)) {
        own_ = own;
        if (step_)
            step_(Step::InPlace);
        return Outcome::Taken;
    }
    if (!AlreadyThere()) {
        const QString why = SystemError();
        Drop(own);
        return Fail(QStringLiteral("it cannot be put in place: ") + why);
    }
    const Outcome outcome = Found(own, again);
    if (outcome != Outcome::Taken)
        Drop(own);
    return outcome;
}

// A lock file is in place: its holder lives, or it was abandoned and `own` replaces it.
LockFile::Outcome LockFile::Found(std::intptr_t own, bool& again) {
    const std::intptr_t found = OpenFile(path_, false);
    if (found == kNone) {
        again = Gone();
        error_ = SystemError();
        return Outcome::Unreadable;
    }
    const Locked locked = LockNow(found);
    const QString why = SystemError();
    // The file locked must be the one in place: it may have been replaced or let go.
    again = IdentityOf(found) != PathIdentity(path_);
    holder_ = ReadHolder(path_);
    Outcome outcome = Outcome::Failed;
    if (again || (locked == Locked::Error && holder_.pid == 0))
        error_ = QStringLiteral("it cannot be locked: ") + why;
    else if (locked == Locked::Error)
        outcome = Outcome::Abandoned; // whether its holder lives cannot be told here
    else if (locked == Locked::Elsewhere) {
        outcome = Outcome::Held;
        // Held, but by no process it names: another run is replacing an abandoned file.
        if (holder_.pid != 0 && holder_.host == QSysInfo::machineHostName() &&
            ProcessGone(holder_.pid))
            if (const LockHolder taker = TakingOver(path_, ownPath_); taker.pid != 0)
                holder_ = taker;
    } else if (holder_.pid == 0)
        outcome = Outcome::NotALock;
    else if (holder_.host != QSysInfo::machineHostName())
        outcome = Outcome::Abandoned;
    else {
        if (step_)
            step_(Step::Abandoned);
        if (!Move(ownPath_, path_, true))
            error_ = QStringLiteral("it cannot be put in place: ") + SystemError();
        else
            own_ = own, outcome = Outcome::Taken;
    }
    CloseFile(found);
    if (outcome == Outcome::Taken && step_)
        step_(Step::TakenOver);
    return outcome;
}

void LockFile::Unlock() {
    if (own_ == kNone)
        return;
    // Removed while still locked, and only if it is still this lock's file: whoever
    // opened it meanwhile finds it gone once the lock is let go, and looks again.
    if (IdentityOf(own_) == PathIdentity(path_))
        RemoveFile(path_);
    CloseFile(own_);
    own_ = kNone;
}

} // namespace tolvane
