#include "keep/shop_backup.h"

#include "keep/shop_copy.h"
#include "text/error.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace tolvane::keep {

namespace {

// The backup's name in `dir`; `n` > 1 tells it from earlier backups of the same second.
QString BackupPath(const QDir& dir, const QFileInfo& shop, const QString& stamp, int n) {
    QString name = shop.completeBaseName() + u'-' + stamp;
    if (n > 1)
        name += u'-' + QString::number(n);
    if (!shop.suffix().isEmpty())
        name += u'.' + shop.suffix();
    return dir.filePath(name);
}

} // namespace

QString BackUpDatabaseFile(const QString& shop, const QString& dir, const QDateTime& at) {
    const QFileInfo info(shop);
    const QDir folder(dir);
    // Created anew under a name no backup has (ending in ".part"), so a run killed while
    // it copies leaves a part file, never a false backup.
    QTemporaryFile part(folder.filePath(info.fileName() + QStringLiteral(".XXXXXX.part")));
    if (!part.open())
        throw Error(
            Failure::FileNotWritable, {dir},
            QStringLiteral("No backup can be written into %1: %2").arg(dir, part.errorString()));
    part.close();
    CopyDatabaseFile(shop, part.fileName());
    const QString stamp = at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // QFile::rename never replaces an existing file: a taken name tries the next.
    for (int n = 1; n <= 1000; ++n) {
        const QString path = BackupPath(folder, info, stamp, n);
        if (!QFileInfo::exists(path) && part.rename(path)) {
            part.setAutoRemove(false);
            return path;
        }
    }
    throw Error(Failure::FileNotWritable, {dir},
                QStringLiteral("The backup %1 cannot be given a backup's name in %2: %3")
                    .arg(part.fileName(), dir, part.errorString()));
}

} // namespace tolvane::keep
