#include "data/database_file.h"

#include <QFile>

namespace tolvane {

DatabaseFile KindOfDatabaseFile(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return DatabaseFile::Missing;
    const QByteArray header = file.read(20);
    if (header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return DatabaseFile::SQLite;
    // Access files carry their engine's name from the fifth byte on.
    const QByteArray engine = header.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return DatabaseFile::Access;
    return DatabaseFile::Other;
}

} // namespace tolvane
