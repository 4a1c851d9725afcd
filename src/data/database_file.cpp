#include "data/database_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include "data/windows_api.h"

namespace tolvane {

DatabaseFile KindOfDatabaseFile(const QString& path, QString* reason) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        return DatabaseFile::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return DatabaseFile::Unreadable;
    }
    const QByteArray header = file.read(20);
    if (header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return DatabaseFile::SQLite;
    // Access files carry their engine's name from the fifth byte on.
    const QByteArray engine = header.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return DatabaseFile::Access;
    return DatabaseFile::Other;
}

QString StaleLogBeside(const QString& path) {
    const QString log = path + QStringLiteral("-wal");
    if (QFileInfo(log).size() <= 0)
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // Bytes 18 and 19: the file's write and read versions, 1 for a rollback journal.
    return file.read(20).mid(18, 2) == QByteArray("\1\1", 2) ? log : QString();
}

QString RealFilePath(const QString& path) {
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

QString JournalModeNotePath(const QString& path) {
    return RealFilePath(path) + QStringLiteral(".tolvane.journal-mode");
}

QString NotedJournalMode(const QString& path) {
    QFile note(JournalModeNotePath(path));
    if (!note.open(QIODevice::ReadOnly))
        return QString();
    const QString mode = QString::fromLatin1(note.readLine()).trimmed();
    // The modes a file can be in of its own outside WAL.
    for (const char* known : {"delete", "truncate", "persist"})
        if (mode == QLatin1String(known))
            return mode;
    // A note is written only for a file that was not in WAL of its own: where it was
    // damaged, the file goes back to SQLite's own default rather than stay in WAL.
    return QStringLiteral("delete");
}

bool NoteJournalMode(const QString& path, const QString& mode) {
    if (!NotedJournalMode(path).isEmpty())
        return true;
    QSaveFile note(JournalModeNotePath(path));
    if (!note.open(QIODevice::WriteOnly))
        return false;
    note.write(mode.toLatin1() + "\nThe journal mode " + QFileInfo(path).fileName().toUtf8() +
               " had before a Tolvane run switched it to WAL; the next run on the file puts "
               "it back and deletes this file.\n");
    return note.commit();
}

void ForgetJournalMode(const QString& path) {
    QFile::remove(JournalModeNotePath(path));
}

bool IsNetworkFileSystemType(const QByteArray& type) {
    QByteArray name = type.toLower();
    // FUSE file systems are named "fuse.<kind>".
    if (name.startsWith("fuse."))
        name = name.mid(5);
    for (const char* network :
         {"nfs",    "nfs4",  "cifs",   "smb",       "smb2",      "smb3",   "smbfs", "ncpfs",
          "afs",    "9p",    "ceph",   "ceph-fuse", "glusterfs", "lustre", "gpfs",  "afpfs",
          "webdav", "davfs", "davfs2", "sshfs",     "rclone",    "s3fs"})
        if (name == network)
            return true;
    return false;
}

QString NetworkFileSystem(const QString& path) {
    const QString real = RealFilePath(path);
    const QStorageInfo storage(real);
#ifdef Q_OS_WIN
    // A mapped drive reports the file system of the machine it lies on ("NTFS"); Windows
    // itself knows it as a remote drive. A UNC path (\\server\share) is on one anyway.
    if (QDir::toNativeSeparators(QFileInfo(real).absoluteFilePath())
            .startsWith(QLatin1String("\\\\")))
        return QStringLiteral("network share");
    const QString root = QDir::toNativeSeparators(storage.rootPath());
    if (!root.isEmpty() &&
        GetDriveTypeW(reinterpret_cast<const wchar_t*>(root.utf16())) == DRIVE_REMOTE)
        return QStringLiteral("network drive");
#endif
    const QByteArray type = storage.fileSystemType();
    return IsNetworkFileSystemType(type) ? QString::fromLatin1(type) : QString();
}

} // namespace tolvane
