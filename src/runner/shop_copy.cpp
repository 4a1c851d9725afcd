#include "runner/shop_copy.h"

#include "text/error.h"

#include <QFile>
#include <sqlite3.h>

namespace tolvane::batch {

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

void Open(Handle& h, const QString& path, int flags) {
    const int code = sqlite3_open_v2(path.toUtf8().constData(), &h.db, flags, nullptr);
    if (code != SQLITE_OK)
        throw Error(QStringLiteral("%1: %2").arg(path, Reason(h.db, code)));
    sqlite3_busy_timeout(h.db, 20000);
}

} // namespace

void CopyDatabaseFile(const QString& from, const QString& to) {
    Handle source, copy;
    Open(source, from, SQLITE_OPEN_READONLY);
    QFile::remove(to);
    Open(copy, to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_backup* backup = sqlite3_backup_init(copy.db, "main", source.db, "main");
    if (backup == nullptr) {
        const QString reason = Reason(copy.db, SQLITE_ERROR);
        copy.Close();
        QFile::remove(to);
        throw Error(QStringLiteral("%1 cannot be copied to %2: %3").arg(from, to, reason));
    }
    // All pages in one step: the copy is of one moment of the file.
    const int code = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (code != SQLITE_DONE) {
        const QString reason = Reason(copy.db, code);
        copy.Close();
        QFile::remove(to);
        throw Error(QStringLiteral("%1 cannot be copied to %2: %3").arg(from, to, reason));
    }
}

} // namespace tolvane::batch
