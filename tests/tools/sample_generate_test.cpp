// The sample-shop generator: repeatable, the sizes asked for, counters a shop can trust.
#include "sample/sample_generate.h"
#include "shop/db.h"
#include "support/shop_fixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tolvane::sample::Generate;
using tolvane::sample::Options;
using tolvane::shop::Db;
using tolvane::testing::Dump;

TEST(SampleGenerator, SameOptionsGiveTheSameFilesAndTheSeedMatters) {
    QTemporaryDir a, b, c;
    Options o{.outDir = a.path(), .version = "P.49 (Bar)", .parts = 300, .rows = 200,
              .chunk = 45, .movement = 600, .seed = 4711};
    const auto summary = Generate(o);
    o.outDir = b.path();
    Generate(o);
    o.outDir = c.path();
    o.seed = 4712;
    Generate(o);
    for (const char* file : {"Velmora.accdb", "PriceList_TATA.mdb"}) {
        EXPECT_EQ(Dump(a.filePath(file)), Dump(b.filePath(file)));
        EXPECT_NE(Dump(a.filePath(file)), Dump(c.filePath(file)));
    }
    // The sizes asked for; the counter past every ID in use and no freed ID in use.
    Db shop(a.filePath("Velmora.accdb"));
    EXPECT_EQ(shop.Count("Pta7"), 300);
    EXPECT_EQ(shop.Count("MovementStock"), 600);
    EXPECT_EQ(shop.Count("Alt7", "AltID = 0"), 1);
    const QString last = shop.Scalar("SELECT LastID FROM LastID WHERE NameID = 'Pta7'").toString();
    EXPECT_EQ(shop.Count("Pta7", "PartID > " + last), 0);
    EXPECT_EQ(shop.Count("OldID", "NameID = 'Pta7' AND (OldID IN (SELECT PartID FROM Pta7) OR "
                                  "OldID > " +
                                      last + " OR OldID < 1)"),
              0);
    EXPECT_EQ(summary.chunks, 5); // 200 rows by 45
    EXPECT_EQ(summary.newRows + summary.changedRows + summary.unchangedRows, 200);
}

} // namespace
