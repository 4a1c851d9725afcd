#pragma once

#include <QByteArray>
#include <QString>

namespace tolvane {

// What a file named as an Access database really is, by its first bytes.
enum class DatabaseFile {
    SQLite,     // opens in the embedded engine
    Access,     // a Jet or ACE file: needs an Access ODBC driver
    Other,      // neither: random bytes, an empty file, a text, ...
    Missing,    // no file of that name
    Unreadable, // there, but this program may not read it (the reason tells why)
};

// `reason`, when given, receives why an Unreadable file cannot be opened.
DatabaseFile KindOfDatabaseFile(const QString& path, QString* reason = nullptr);

// The write-ahead log beside a SQLite file whose header says it keeps a rollback journal,
// when that log holds anything: no run of this file left it (a file in WAL says so in its
// header), so it belongs to another file once under this name, and SQLite would read it
// into this one. Empty when there is none.
QString StaleLogBeside(const QString& path);

// The file a path names with every symbolic link resolved (the path itself when it
// names no file): two paths to one file give one name.
QString RealFilePath(const QString& path);

// The journal mode a SQLite file had before a run switched it to WAL, kept beside the
// file ("<file>.tolvane.journal-mode") from before the switch until the file is back
// in that mode. A run killed in between leaves it, and the next connection on the file
// finds it and puts the mode back.
QString JournalModeNotePath(const QString& path);
// The noted mode; empty when there is no note. A note that names no mode (damaged)
// gives "delete", SQLite's default: only a file not in WAL of its own gets a note.
QString NotedJournalMode(const QString& path);
// Notes `mode` unless a note is there already (that one holds the mode from before
// an earlier switch); false when the note cannot be written.
bool NoteJournalMode(const QString& path, const QString& mode);
void ForgetJournalMode(const QString& path);

// Whether a file system of this type (as Qt's QStorageInfo names it: "ext4", "nfs4",
// "cifs", "fuse.sshfs", ...) lies on another machine. WAL keeps its readers and
// writers in step through memory shared on one machine, which a network file system
// does not give, so a file on one keeps its own journal mode.
bool IsNetworkFileSystemType(const QByteArray& type);
// The kind of network file system the file lies on ("cifs", "nfs4", "network drive");
// empty for a local one.
QString NetworkFileSystem(const QString& path);

} // namespace tolvane
