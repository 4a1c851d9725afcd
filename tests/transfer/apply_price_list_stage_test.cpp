// The brand's price list applied chunk by chunk to a real shop database.
#include "support/shop_fixture.h"

#include "text/error.h"
#include "transfer/price_stages.h"

namespace tolvane::testing {
namespace {

const QString kMoving = QStringLiteral("กำลังย้ายข้อมูล  TATA");
const QString kChanging = QStringLiteral("กำลังเปลี่ยนราคา  TATA");
const QString kAdded = QStringLiteral("กำลังเพิ่มข้อมูลใหม่  TATA  100 %");

TEST(ApplyPriceListStage, ChunksRunInAscendingOrderEachOnAFreshConnectionAndCleanStaging) {
    ShopFixture f;
    f.Chunk(2, {ListRow("", "200", "20", "18")});
    f.Chunk(1, {ListRow("", "100", "10", "9")});
    f.Chunk(3, {}); // an empty chunk still cleans the staging rows and reconnects
    f.Seed(ShopPart(1, "", "100", "1", "1"));
    f.Seed(ShopPart(2, "", "200", "2", "2"));
    f.Exec("Insert Into PriceList Values( 7, 'OLD', '', '', '', '', '', 'E', 'T', 'M', '', 1, 1 )");
    RunState& st = f.OpenBoth();

    ApplyPriceList(st);

    EXPECT_EQ(st.intCount, (std::vector<std::int16_t>{1, 2, 3}));
    EXPECT_EQ(f.Count("Pta7", "PartNO = 'OLD'"), 0);              // deleted, not inserted
    EXPECT_EQ(f.trace.lines.filter("target\tconnect").size(), 6); // a chunk, an insertion
    EXPECT_EQ(f.Prices({"100", "200"}), "10/9 20/18");
    // Per chunk: a new target connection, the staging clean-up, then the chunk's rows.
    QStringList order;
    for (const QString& line : f.trace.lines) {
        if (line.startsWith("target\tconnect"))
            order << "connect";
        else if (line.endsWith("Delete From PriceList Where BrandID = 7"))
            order << "clean";
        else if (line.contains("From PriceList_1 Order By PartNO"))
            order << "chunk 1";
        else if (line.contains("From PriceList_2 Order By PartNO"))
            order << "chunk 2";
    }
    ASSERT_GE(order.size(), 6);
    EXPECT_EQ(order.mid(0, 3), (QStringList{"connect", "clean", "chunk 1"}));
    const qsizetype second = order.indexOf("chunk 2");
    ASSERT_GT(second, 3);
    EXPECT_EQ(order.mid(second - 2, 3), (QStringList{"connect", "clean", "chunk 2"}));
    EXPECT_EQ(f.window.txtQTY, kAdded);
}

TEST(ApplyPriceListStage, ProgressShowsEveryRowWithItsChunkAndWholePercent) {
    ShopFixture f;
    f.Chunk(3, {ListRow("A", "12345", "10", "10", "N", "M"),
                ListRow("", "12346", "10", "10", "N", "M"),
                ListRow("", "12347", "10", "10", "N", "M")});
    for (int i = 0; i < 3; ++i)
        f.Seed(ShopPart(i + 1, i == 0 ? "A" : "", QString::number(12345 + i), "5", "5"));
    RunState& st = f.OpenBoth();

    ApplyPriceList(st);

    EXPECT_EQ(f.window.QtyTexts(),
              (QStringList{kMoving, kChanging + "_3  33 %", kChanging + "_3  66 %",
                           kChanging + "_3  100 %", kAdded}));
    EXPECT_TRUE(f.window.progress.contains("txtPartNO\tA-12345 - N   M"));
    EXPECT_TRUE(f.window.progress.contains("txtPartNO\t12346 - N   M"));
    // One yield at the start and one per row (nothing was staged: no insertion ran).
    EXPECT_EQ(f.window.yields, 4);
}

TEST(ApplyPriceListStage, AMissingSalePriceSellsAtTheListPrice) {
    ShopFixture f;
    f.Chunk(1, {ListRow("", "100", "150", "0"), ListRow("", "200", "150", "120"),
                ListRow("", "300", "80", "0")});
    f.Seed(ShopPart(1, "", "100", "1", "1"));
    f.Seed(ShopPart(2, "", "200", "1", "1"));
    RunState& st = f.OpenBoth();

    ApplyPriceList(st);

    // The new part 300 is created from the staged row, which already carries the price.
    EXPECT_EQ(f.Prices({"100", "200", "300"}), "150/150 150/120 80/80");
    EXPECT_EQ(f.Count("PriceList"), 0);
}

TEST(ApplyPriceListStage, LinkedAndAlternateNumbersAreUpdatedAndCreatedToo) {
    ShopFixture f;
    // S-1 names itself: no second update.
    f.Chunk(1, {Linked(ListRow("", "P-1", "50", "45"), "L-1", "A-1"),
                Linked(ListRow("", "S-1", "60", "55"), "S-1")});
    RunState& st = f.OpenBoth();

    ApplyPriceList(st);

    EXPECT_EQ(f.trace.Of("open").filter("Select UpRec, PartID From Pta7").size(), 4);
    EXPECT_EQ(f.Prices({"P-1", "L-1", "A-1", "S-1"}), "50/45 50/45 50/45 60/55");
    EXPECT_EQ(f.Count("Pta7"), 4);
}

} // namespace
} // namespace tolvane::testing
