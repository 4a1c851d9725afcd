#include "sample/sample_generate.h"

#include "sample/sample_list.h"
#include "sample/sample_shop.h"
#include "text/versions.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace tolvane::sample {

QString Summary::Line() const {
    return QStringLiteral("Wrote %1 (version %2: %3 parts, %4 alternate groups, %5 "
                          "MovementStock rows, LastID %6, %7 freed IDs) and %8 (%9 rows in "
                          "%10 chunks: %11 new, %12 changed, %13 unchanged, %14 with linked or "
                          "alternate numbers), seed %15")
        .arg(shopPath, version)
        .arg(parts)
        .arg(groups)
        .arg(movementRows)
        .arg(lastId)
        .arg(freedIds)
        .arg(listPath)
        .arg(rows)
        .arg(chunks)
        .arg(newRows)
        .arg(changedRows)
        .arg(unchangedRows)
        .arg(linkedRows)
        .arg(seed);
}

QString CheckOptions(const Options& o) {
    if (!FindVersion(o.version))
        return QStringLiteral("unknown database version \"%1\"").arg(o.version);
    if (o.parts < 0 || o.rows < 0 || o.movement < 0)
        return QStringLiteral("--parts, --rows and --movement must not be negative");
    if (o.chunk < 1)
        return QStringLiteral("--chunk must be at least 1");
    if (!(o.newShare >= 0 && o.newShare <= 1) || !(o.linkShare >= 0 && o.linkShare <= 1))
        return QStringLiteral("--new-share and --link-share must lie between 0 and 1");
    return QString();
}

Summary Generate(const Options& o) {
    const QString problem = CheckOptions(o);
    if (!problem.isEmpty())
        throw std::invalid_argument(problem.toStdString());
    QDir dir(o.outDir);
    if (!dir.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create " + o.outDir.toStdString());

    // All draws come from one source in a fixed order: shop, list, then the rows
    // that only the shop's file holds.
    Random random(o.seed);
    PartNumbers numbers;
    const Shop shop = MakeShop(random, numbers, o.parts);
    const std::vector<ListEntry> entries =
        MakeList(random, numbers, shop, {o.rows, o.newShare, o.linkShare});

    Summary s;
    s.shopPath = dir.filePath(QLatin1String(kShopFile));
    s.listPath = dir.filePath(QLatin1String(kListFile));
    s.version = o.version;
    s.seed = o.seed;
    // A run of the program leaves the files in WAL mode; a stale -wal file beside a
    // new file of the same name would be replayed into it.
    for (const QString& path : {s.shopPath, s.listPath}) {
        for (const char* side : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(side));
    }
    const ShopCounts counts = WriteShop(s.shopPath, o.version, shop, o.movement, random);
    s.chunks = WriteList(s.listPath, entries, o.chunk);

    s.parts = static_cast<int>(shop.parts.size());
    s.groups = static_cast<int>(shop.groups.size());
    s.freedIds = static_cast<int>(shop.freedIds.size());
    s.lastId = shop.lastId;
    s.movementRows = counts.movementRows;
    s.rows = static_cast<int>(entries.size());
    for (const ListEntry& e : entries) {
        s.newRows += e.kind == EntryKind::New;
        s.changedRows += e.kind == EntryKind::Changed;
        s.unchangedRows += e.kind == EntryKind::Unchanged;
        s.linkedRows += e.linked;
    }
    return s;
}

} // namespace tolvane::sample
