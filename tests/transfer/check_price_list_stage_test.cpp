// The first check: what still differs is collected in PriceListAll.
#include "stage_fixture.h"

#include "text/error.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"

namespace tolvane::testing {
namespace {

const QString kCheckStart = QStringLiteral("กำลังครวจสอบข้อมูล  TATA");
const QString kChecking = QStringLiteral("กำลังตรวจสอบข้อมูล  TATA");

TEST(CheckPriceListStage, ACheckThatListsNothingLeavesTheCollectedListEmpty) {
    StageFiles f;
    f.Chunk(1, {Row("A", "100", "10", "9", "N", "M"), Row("", "200", "20", "18"),
                Row("", "300", "30", "27")});
    f.Seed(Part(1, "A", "100", "10", "9"));
    f.Seed(Part(2, "", "200", "20", "18"));
    f.Seed(Part(3, "", "300", "30", "27"));
    SqliteExec(f.sourcePath, {"Insert Into PriceListAll (PartNO) Values ('LEFT-OVER')"});
    RunState& st = f.Open();

    CheckPriceList(st);

    EXPECT_EQ(f.Count("PriceListAll"), 0);
    EXPECT_EQ(HasPriceListAll(st), 0);
    EXPECT_FALSE(st.rsList.IsOpen());
    EXPECT_EQ(f.window.QtyTexts(),
              (QStringList{kCheckStart, kChecking + "_1  33 %", kChecking + "_1  66 %",
                           kChecking + "_1  100 %", kChecking + "  100 %"}));
    EXPECT_TRUE(f.window.progress.contains("txtPartNO\tA-100 - N  M"));
    // Start, one per row, one before the closing text.
    EXPECT_EQ(f.window.yields, 5);
}

TEST(CheckPriceListStage, EntriesStillNewOrDifferentAreCollectedWithTheListsValues) {
    StageFiles f;
    fixtures::PriceRow saleOnly = Row("A", "100", "10", "95", "N", "M");
    saleOnly.PartNew = "PN";
    saleOnly.FPartNew = "FPN";
    saleOnly.lKind = "L";
    saleOnly.lAtNO = "LN";
    saleOnly.AKind = "K";
    saleOnly.AltNO = "AN";
    f.Chunk(2, {Row("", "400", "12.5", "12.5")});
    f.Chunk(1, {saleOnly, Row("", "200", "20", "18"), Row("", "300", "31", "27"),
                Row("", "O'RING", "5", "5")});
    f.Seed(Part(1, "A", "100", "10", "90"));
    f.Seed(Part(2, "", "200", "20", "18"));
    f.Seed(Part(3, "", "300", "30", "27"));
    RunState& st = f.Open();

    CheckPriceList(st);

    const auto rows = f.Query(f.sourcePath, "Select * From PriceListAll");
    ASSERT_EQ(rows.size(), 4u);
    // Chunk by chunk, by part number within a chunk; every column as the list has
    // it.
    QStringList first;
    for (const QVariant& v : rows[0])
        first << v.toString();
    EXPECT_EQ(first, (QStringList{"A", "100", "PN", "FPN", "L", "LN", "K", "AN", "E-100", "N", "M",
                                  "1", "10", "95"}));
    EXPECT_EQ(rows[1][1].toString(), "300");
    EXPECT_EQ(rows[2][1].toString(), "O'RING");
    EXPECT_EQ(rows[3][1].toString(), "400");
    EXPECT_EQ(rows[3][12].toString(), "12.5");
    EXPECT_EQ(HasPriceListAll(st), 1);
    EXPECT_FALSE(st.rsList.IsOpen());
    EXPECT_TRUE(f.trace.Of("open").contains(
        "Select PartNO From PriceListAll Where Kind = 'A' And PartNO = '100'"));
    EXPECT_TRUE(
        f.trace.Of("open").contains("Select PartNO From PriceListAll Where PartNO = '300'"));
}

TEST(CheckPriceListStage, TheLookUpFollowsTheVersion) {
    {
        StageFiles f("P.45 (Bar)");
        f.Chunk(1, {Row("", "12-34 5/6", "10", "9"), Row("", "777", "10", "9")});
        f.Seed(Part(1, "", "123456", "10",
                    "9")); // found by search number, prices in Price1
        f.Seed(Part(2, "", "777", "10", "8"));
        RunState& st = f.Open();
        CheckPriceList(st);
        const auto rows = f.Query(f.sourcePath, "Select PartNO From PriceListAll");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0].toString(), "777");
        EXPECT_TRUE(
            f.trace.Of("open").contains("Select Price1, Sale1 From Pta7 Where FPartNO = '123456'"));
    }
    {
        StageFiles f("V.31");
        f.Chunk(1, {Row("", "12-34 5/6", "10", "9")});
        f.Seed(Part(1, "", "123456", "10", "9"));
        RunState& st = f.Open();
        CheckPriceList(st);
        EXPECT_EQ(f.Count("PriceListAll"), 1);
        EXPECT_TRUE(
            f.trace.Of("open").contains("Select Price, Sale From Pta7 Where PartNO = '12-34 5/6'"));
    }
}

TEST(CheckPriceListStage, AnAppendThatNeverShowsUpEndsTheRunAtTheLimit) {
    StageFiles f;
    f.Chunk(1, {Row("", "100", "10", "9")});
    SqliteExec(f.sourcePath, {"Create Trigger lose After Insert On PriceListAll Begin "
                              "Delete From PriceListAll Where rowid = new.rowid; End"});
    RunState& st = f.Open();

    try {
        CheckPriceList(st);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.statement(), "Select PartNO From PriceListAll Where PartNO = '100'");
    }
    EXPECT_EQ(f.trace.Of("execute").filter("Insert Into PriceListAll").size(), kReadBackLimit);
}

TEST(CheckPriceListStage, BadChunksRaiseErrors) {
    {
        StageFiles f;
        f.Chunk(1, {Row("", "100", "10", "9")});
        SqliteExec(f.sourcePath, {"Insert Into PriceList_Count Values( 2 )"});
        RunState& st = f.Open();
        EXPECT_THROW(CheckPriceList(st), Error);
        EXPECT_EQ(f.Count("PriceListAll"), 1); // chunk 1 was collected
    }
    {
        StageFiles f;
        f.Chunk(1, {Row("", "100", "10", "9")});
        SqliteExec(f.sourcePath, {"Update PriceList_1 Set Sale = Null"});
        RunState& st = f.Open();
        EXPECT_THROW(CheckPriceList(st), Error);
    }
    {
        StageFiles f;
        SqliteExec(f.sourcePath, {"Insert Into PriceList_Count Values( -40000 )"});
        RunState& st = f.Open();
        EXPECT_THROW(CheckPriceList(st), Error);
    }
}

} // namespace
} // namespace tolvane::testing
