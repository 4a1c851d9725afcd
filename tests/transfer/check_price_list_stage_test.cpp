// The first check: what still differs is collected in PriceListAll.
#include "support/shop_fixture.h"

#include "support/error_of.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"

namespace tolvane::testing {
namespace {

const QString kCheckStart = QStringLiteral("กำลังครวจสอบข้อมูล  TATA");
const QString kChecking = QStringLiteral("กำลังตรวจสอบข้อมูล  TATA");

TEST(CheckPriceListStage, ACheckThatListsNothingLeavesTheCollectedListEmpty) {
    ShopFixture f;
    f.Chunk(1, {ListRow("A", "100", "10", "9", "N", "M"), ListRow("", "200", "20", "18")});
    f.Seed(ShopPart(1, "A", "100", "10", "9"));
    f.Seed(ShopPart(2, "", "200", "20", "18"));
    SqliteExec(f.listPath, {"Insert Into PriceListAll (PartNO) Values ('LEFT-OVER')"});
    RunState& st = f.OpenBoth();

    CheckPriceList(st);

    EXPECT_EQ(HasPriceListAll(st), 0);
    EXPECT_EQ(f.window.QtyTexts(), (QStringList{kCheckStart, kChecking + "_1  50 %",
                                                kChecking + "_1  100 %", kChecking + "  100 %"}));
    EXPECT_TRUE(f.window.progress.contains("txtPartNO\tA-100 - N  M"));
    EXPECT_EQ(f.window.yields, 4); // start, one per row, one before the closing text
}

TEST(CheckPriceListStage, EntriesStillNewOrDifferentAreCollectedWithTheListsValues) {
    ShopFixture f;
    shop::PriceRow saleOnly = Linked(ListRow("A", "100", "10", "95", "N", "M"), "LN", "AN");
    saleOnly.PartNew = "PN";
    saleOnly.FPartNew = "FPN";
    saleOnly.lKind = "L";
    saleOnly.AKind = "K";
    f.Chunk(2, {ListRow("", "400", "12.5", "12.5")});
    f.Chunk(1, {saleOnly, ListRow("", "200", "20", "18"), ListRow("", "300", "31", "27"),
                ListRow("", "O'RING", "5", "5")});
    f.Seed(ShopPart(1, "A", "100", "10", "90"));
    f.Seed(ShopPart(2, "", "200", "20", "18"));
    f.Seed(ShopPart(3, "", "300", "30", "27"));
    RunState& st = f.OpenBoth();

    CheckPriceList(st);

    // Chunk by chunk, by part number within a chunk; every column as the list has it.
    EXPECT_EQ(f.ListLines("Select * From PriceListAll"),
              (QStringList{"A|100|PN|FPN|L|LN|K|AN|E-100|N|M|1|10|95",
                           "|300|||||||E-300|NAME|MODEL|1|31|27",
                           "|O'RING|||||||E-O'RING|NAME|MODEL|1|5|5",
                           "|400|||||||E-400|NAME|MODEL|1|12.5|12.5"}));
    EXPECT_EQ(HasPriceListAll(st), 1);
    EXPECT_FALSE(st.rsList.IsOpen());
    EXPECT_TRUE(f.trace.Of("open").contains(
        "Select PartNO From PriceListAll Where Kind = 'A' And PartNO = '100'"));
    EXPECT_TRUE(
        f.trace.Of("open").contains("Select PartNO From PriceListAll Where PartNO = '300'"));
}

// P.45 finds a part by its search number, with prices in Price1; V.31 by the number as
// listed, so 12-34 5/6 is collected there.
TEST(CheckPriceListStage, TheLookUpFollowsTheVersion) {
    for (const auto& [version, collected, lookUp] :
         {std::tuple{"P.45 (Bar)", "777",
                     "Select Price1, Sale1 From Pta7 Where FPartNO = '123456'"},
          {"V.31", "12-34 5/6,777", "Select Price, Sale From Pta7 Where PartNO = '12-34 5/6'"}}) {
        ShopFixture f(version);
        f.Chunk(1, {ListRow("", "12-34 5/6", "10", "9"), ListRow("", "777", "10", "9")});
        f.Seed(ShopPart(1, "", "123456", "10", "9"));
        f.Seed(ShopPart(2, "", "777", "10", "8"));
        CheckPriceList(f.OpenBoth());
        EXPECT_EQ(f.ListLines("Select PartNO From PriceListAll").join(','), collected);
        EXPECT_TRUE(f.trace.Of("open").contains(lookUp)) << version;
    }
}

TEST(CheckPriceListStage, AnAppendThatNeverShowsUpEndsTheRunAtTheLimit) {
    ShopFixture f;
    f.Chunk(1, {ListRow("", "100", "10", "9")});
    SqliteExec(f.listPath, {"Create Trigger lose After Insert On PriceListAll Begin "
                            "Delete From PriceListAll Where rowid = new.rowid; End"});
    RunState& st = f.OpenBoth();

    EXPECT_EQ(ErrorOf([&] { CheckPriceList(st); }).statement(),
              "Select PartNO From PriceListAll Where PartNO = '100'");
    EXPECT_EQ(f.trace.Of("execute").filter("Insert Into PriceListAll").size(), kReadBackLimit);
}

} // namespace
} // namespace tolvane::testing
