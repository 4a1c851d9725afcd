#include "keep/shop_copy.h"

#include "data/database_file.h"
#include "text/error.h"

#include <QFile>
#include <sqlite3.h>

namespace tolvane::keep {

namespace {

// Owns an open SQLite handle.
struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { Close(); }
    void Close() {
        sqlite3_close(db);
        db = nullptr;
    }
};

QString Reason(sqlite3* db, int code) {
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

// `kind`: what a failure to open means, the file unreadable or the copy not writable.
void Open(Handle& h, const QString& path, int flags, Failure kind) {
    const int code = sqlite3_open_v2(path.toUtf8().constData(), &h.db, flags, nullptr);
    if (code != SQLITE_OK)
        throw Error(kind, {path}, QStringLiteral("%1: %2").arg(path, Reason(h.db, code)));
    sqlite3_busy_timeout(h.db, 20000);
}

// The one text a statement answers (a pragma's value); empty on failure.
QString Answer(sqlite3* db, const QString& sql) {
    sqlite3_stmt* statement = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value.toLower();
}

} // namespace

void CopyDatabaseFile(const QString& from, const QString& to) {
    Handle source, copy;
    // Reading a file in WAL makes SQLite put -wal and -shm files beside it; a connection
    // that may write removes them again when it closes (having nothing to write back),
    // one that may only read leaves them. So the source is opened for writing (and only
    // read) unless a -wal file is there already: then another program works on the file,
    // or a run was killed, and what it holds is left to them.
    const bool walThere = QFile::exists(RealFilePath(from) + QStringLiteral("-wal"));
    Open(source, from, walThere ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
         Failure::FileUnreadable);
    // The copy takes the file's own journal mode, not the WAL of a run working on it.
    QString mode = NotedJournalMode(from);
    if (mode.isEmpty())
        mode = Answer(source.db, QStringLiteral("PRAGMA journal_mode"));
    Open(copy, to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, Failure::FileNotWritable);
    const auto fail = [&](const QString& reason) {
        copy.Close();
        throw Error(Failure::FileNotWritable, {to},
                    QStringLiteral("%1 cannot be copied to %2: %3").arg(from, to, reason));
    };
    sqlite3_backup* backup = sqlite3_backup_init(copy.db, "main", source.db, "main");
    if (backup == nullptr)
        fail(Reason(copy.db, SQLITE_ERROR));
    // All pages in one step: the copy is of one moment of the file.
    const int code = sqlite3_backup_step(backup, -1);
    const int pages = sqlite3_backup_pagecount(backup);
    sqlite3_backup_finish(backup);
    if (code != SQLITE_DONE)
        fail(Reason(copy.db, code));
    // Whole: every page of the source arrived and the copy reads as a sound database.
    const QString copied = Answer(copy.db, QStringLiteral("PRAGMA page_count"));
    if (copied != QString::number(pages))
        fail(QStringLiteral("the copy holds %1 of the file's %2 pages").arg(copied).arg(pages));
    const QString check = Answer(copy.db, QStringLiteral("PRAGMA quick_check"));
    if (check != QLatin1String("ok"))
        fail(QStringLiteral("the copy is damaged (%1)")
                 .arg(check.isEmpty() ? Reason(copy.db, 0) : check));
    if (Answer(copy.db, QStringLiteral("PRAGMA journal_mode")) != mode &&
        Answer(copy.db, QStringLiteral("PRAGMA journal_mode=") + mode) != mode)
        fail(QStringLiteral("its journal mode cannot be set to %1").arg(mode));
}

} // namespace tolvane::keep
