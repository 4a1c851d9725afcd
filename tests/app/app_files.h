#pragma once

// A supplier's file and a shop database for the window and runner tests, and the
// small run of the transfer tests: chunk 1 changes part A-100 and adds a new part,
// chunk 2 lists A-100 again at another price, so the run collects a list, enlarges
// the window and leaves one line in the grid.

#include "app/batch_run.h"
#include "shop/db.h"
#include "shop/price_list_file.h"
#include "shop/shop_tables.h"
#include "support/parts.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tolvane::testing {

struct AppFiles {
    explicit AppFiles(const QString& version = QStringLiteral("P.52"),
                      const QString& brandName = QStringLiteral("TATA"))
        : source(dir.filePath("PriceList_TATA.mdb")), target(dir.filePath("Velmora.accdb")) {
        shop::CreateSource(source);
        shop::CreateTarget(target, version, 7, brandName);
        shop::AddChunk(source, 1,
                           {ListRow("A", "100", "150", "140"), ListRow("", "NEW-1", "80", "70")});
        shop::AddChunk(source, 2, {ListRow("A", "100", "155", "140")});
        shop::SeedPart(target, version, 7, ShopPart(1, "A", "100", "1", "1"));
        // The shop's ID counter knows the part: new parts start after it.
        shop::Db(target).Exec("Insert Into LastID Values( 'Pta7', 1 )");
    }

    QTemporaryDir dir;
    QString source, target;
};

// What the headless runner printed and returned.
struct Result {
    int status;
    QString out, err;
};

inline Result Runner(QStringList args, bool live = false) {
    args.prepend("tolvane-batch");
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = batch::RunBatch(args, outStream, errStream, live);
    return {status, out, err};
}

// The lines of a file the runner wrote, each ended by a newline.
inline QStringList Lines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.isEmpty() || text.endsWith('\n'));
    text.chop(1);
    return text.isEmpty() ? QStringList() : text.split('\n');
}

} // namespace tolvane::testing
