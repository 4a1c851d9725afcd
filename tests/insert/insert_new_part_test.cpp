#include "insert/insert_new_part.h"

#include "insert/insert_fixture.h"
#include "support/error_of.h"
#include "support/sqlite_file.h"

#include <tuple>

namespace tolvane::testing {
namespace {

Staged Row(const QString& kind, const QString& number, const QString& lKind = "",
           const QString& lAtNO = "", const QString& aKind = "", const QString& altNO = "") {
    Staged r;
    std::tie(r.Kind, r.PartNO, r.lKind, r.lAtNO, r.AKind, r.AltNO) =
        std::tie(kind, number, lKind, lAtNO, aKind, altNO);
    return r;
}

shop::Part Existing(int id, const QString& kind, const QString& number,
                        const QString& searchNumber = "") {
    shop::Part p;
    p.PartID = id;
    p.Kind = kind;
    p.PartNO = number;
    p.FPartNO = searchNumber;
    p.EName = "OLD";
    p.Price = "99";
    p.Sale = "88";
    return p;
}

// The links of AltG7 as "PartID>AltID", ordered.
QStringList Links(InsertFixture& f) {
    return f.Lines("Select PartID || '>' || AltID From AltG7 Order By PartID, AltID");
}

TEST(InsertNewPart, LinksOwnLinkedAndAlternatePartsBothWays) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 1000);
    f.Stage(Row("A", "12-345", "B", "999", "C", "777"));

    InsertNewPart(f.st, 1);

    EXPECT_EQ(f.Lines("Select PartID, Kind, PartNO From Pta7 Order By PartID"),
              QStringList({"1001|A|12-345", "1002|B|999", "1003|C|777"}));
    EXPECT_EQ(Links(f), QStringList({"1001>1002", "1001>1003", "1002>1001", "1002>1003",
                                     "1003>1001", "1003>1002"}));
    EXPECT_FALSE(f.st.rsList.IsOpen());
    EXPECT_FALSE(f.st.rsData.IsOpen());
    EXPECT_FALSE(f.st.Data().InTransaction());
}

TEST(InsertNewPart, ExistingPartIsKeptAndStillLinked) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 1000);
    f.Seed(Existing(500, "A", "12-345"));
    f.Stage(Row("A", "12-345", "B", "999"));

    InsertNewPart(f.st, 1);

    EXPECT_EQ(f.Lines("Select PartID, Kind, PartNO, EName, Price From Pta7 Order By PartID"),
              QStringList({"500|A|12-345|OLD|99", "1001|B|999|FILTER|150.25"}));
    EXPECT_EQ(f.Counter(), "1001");
    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_EQ(Links(f), QStringList({"500>1001", "1001>500"}));
}

TEST(InsertNewPart, RowWithoutRelatedPartsGetsThePlaceholderLink) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 1000);
    // Linked and alternate number equal to the part's own number name no other part.
    f.Stage(Row("A", "12-345", "B", "12-345", "C", "12-345"));

    InsertNewPart(f.st, 1);

    EXPECT_EQ(f.Count("Pta7"), 1);
    EXPECT_EQ(f.Lines("Select Seq, PartID, AltID From AltG7"), QStringList({"0|1001|0"}));
}

TEST(InsertNewPart, EqualLinkedAndAlternateNumbersMakeOnePart) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 1000);
    f.Stage(Row("A", "12-345", "B", "999", "B", "999"));
    InsertNewPart(f.st, 1);
    EXPECT_EQ(f.Lines("Select PartID, PartNO From Pta7 Order By PartID"),
              QStringList({"1001|12-345", "1002|999"}));
    EXPECT_EQ(Links(f), QStringList({"1001>1002", "1002>1001"}));

    // Where parts are keyed by their compact number, equal compact numbers suffice.
    InsertFixture g("P.48 (Bar)");
    g.SetCounter("Pta7", 1000);
    g.Stage(Row("A", "12-345", "B", "99-9", "C", "9/99"));
    InsertNewPart(g.st, 1);
    EXPECT_EQ(g.Lines("Select PartID, Kind, PartNO, FPartNO From Pta7 Order By PartID"),
              QStringList({"1001|A|12-345|12345", "1002|B|99-9|999"}));
}

TEST(InsertNewPart, APartFoundUnderIdZeroIsNotWrittenAgain) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 1000);
    f.Seed(Existing(0, "", "ZERO-1"));
    f.Stage(Row("", "NEW-1", "", "ZERO-1"));
    InsertNewPart(f.st, 1);
    EXPECT_EQ(f.Lines("Select PartID, PartNO From Pta7 Order By PartID"),
              QStringList({"0|ZERO-1", "1001|NEW-1"}));
}

TEST(InsertNewPart, CleanUpLeavesOnePlaceholderAndNoLinksOfPartZero) {
    InsertFixture f("V.31");
    f.Exec("Insert Into AltG7 Values (0, 0, 5), (0, 6, 0)");
    f.Exec("Insert Into Alt7 Values (0, '', '', 0), (0, 'X', 'Y', 1)");

    InsertNewPart(f.st, 1);
    InsertNewPart(f.st, 1);

    EXPECT_EQ(f.Lines("Select * From Alt7"), QStringList({"0|||0"}));
    EXPECT_EQ(f.Lines("Select * From AltG7"), QStringList({"0|6|0"}));
    EXPECT_TRUE(f.window.progress.isEmpty()); // nothing staged, nothing shown

    InsertFixture g("P.49 (Bar)");
    InsertNewPart(g.st, 1);
    InsertNewPart(g.st, 1);
    EXPECT_EQ(g.Lines("Select * From Alt7"), QStringList({"0|0|||0|0"}));
}

TEST(InsertNewPart, UnknownVersionHandlesNoRowButCleansUp) {
    InsertFixture f("V.31");
    f.st.strVer = "V.99";
    f.Stage(Row("A", "12-345"));

    EXPECT_EQ(InsertNewPart(f.st, 1), 0);

    EXPECT_EQ(f.Count("Pta7"), 0);
    EXPECT_EQ(f.Count("PriceList"), 1);
    EXPECT_EQ(f.Lines("Select * From Alt7"), QStringList({"0|||0"}));
    EXPECT_TRUE(f.window.progress.isEmpty());
}

TEST(InsertNewPart, FailingRowIsRolledBackAndEndsTheRun) {
    FaultPlan faults;
    // The linked part's alternate-price row of the second staged row fails.
    faults.failStatementWith = "Insert Into Alt7 Values( 1003";
    InsertFixture f("V.31", DataHooks{nullptr, &faults});
    f.SetCounter("Pta7", 1000);
    f.Stage(Row("A", "11"));
    f.Stage(Row("A", "12-345", "B", "999"));

    EXPECT_THROW(InsertNewPart(f.st, 1), Error);

    // The first row stands, nothing of the second: no part, counter back, row staged.
    EXPECT_EQ(f.Lines("Select PartID, PartNO From Pta7"), QStringList({"1001|11"}));
    EXPECT_EQ(f.Counter(), "1001");
    EXPECT_EQ(f.Lines("Select PartNO From PriceList"), QStringList({"12-345"}));
    EXPECT_EQ(f.Lines("Select * From Alt7"), QStringList({"1001|A|11|150.25"}));
    EXPECT_EQ(f.Lines("Select * From AltG7"), QStringList({"0|1001|0"}));
    EXPECT_FALSE(f.st.Data().InTransaction());
}

TEST(InsertNewPart, NullInAStagedRowEndsTheRunWithNothingWritten) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 1000);
    f.Stage(Row("A", "12-345"));
    f.Exec("Update PriceList Set TName = Null");

    EXPECT_TRUE(ErrorOf([&] { InsertNewPart(f.st, 1); }).message().contains("TName"));
    EXPECT_EQ(f.Count("Pta7"), 0);
    EXPECT_EQ(f.Count("PriceList"), 1);
    EXPECT_EQ(f.Counter(), "1000");
    EXPECT_FALSE(f.st.rsList.IsOpen());
}

TEST(InsertNewPart, NoIdFromTheCountersFailsTheRowInsteadOfWritingIdZero) {
    InsertFixture f("V.31");
    f.Exec("Drop Table LastID");
    f.Stage(Row("A", "12-345"));

    // The detail says why: the driver's own message.
    const Error e = ErrorOf([&] { InsertNewPart(f.st, 1); });
    EXPECT_TRUE(e.message().startsWith("No new ID could be drawn for Pta7: ")) << e.detail();
    EXPECT_TRUE(e.message().contains("LastID")) << e.detail();
    EXPECT_EQ(f.Count("Pta7"), 0);
    EXPECT_EQ(f.Count("PriceList"), 1);
    EXPECT_FALSE(f.st.Data().InTransaction());
}

TEST(InsertNewPart, StagedRowTheDeletionCannotMatchEndsTheRun) {
    FaultPlan guard; // a third row transaction would mean the row is read again
    guard.failKind = TraceKind::Begin;
    guard.failAt = 3;
    InsertFixture f("V.31", DataHooks{nullptr, &guard});
    f.SetCounter("Pta7", 1000);
    f.Stage(Row("A", " 12-345")); // read back trimmed, so the deletion finds no row

    EXPECT_TRUE(
        ErrorOf([&] { InsertNewPart(f.st, 1); }).statement().startsWith("Delete From PriceList"));
    EXPECT_EQ(f.Count("Pta7"), 0);
    EXPECT_EQ(f.Counter(), "1000");
    EXPECT_EQ(f.Count("PriceList"), 1);
}

TEST(InsertNewPart, ShowsProgressPerRow) {
    InsertFixture f("V.31");
    Staged noThaiName = Row("", "13");
    noThaiName.TName = "";
    f.Stage(Row("A", "11"));
    f.Stage(Row("A", "12"));
    f.Stage(noThaiName);

    InsertNewPart(f.st, 3);

    const QString phrase = "กำลังเพิ่มข้อมูลใหม่  TATA_3  ";
    EXPECT_EQ(f.window.progress,
              QStringList({"txtQTY\t" + phrase + "33 %", "txtPartNO\tA-11 - ไส้กรอง   KT-1",
                           "txtQTY\t" + phrase + "66 %", "txtPartNO\tA-12 - ไส้กรอง   KT-1",
                           "txtQTY\t" + phrase + "100 %", "txtPartNO\t13 - FILTER   KT-1"}));
    EXPECT_EQ(f.window.yields, 3);

    f.Stage(Row("A", "14"));
    InsertNewPart(f.st, 0);
    EXPECT_EQ(f.window.txtQTY, "กำลังเพิ่มข้อมูลใหม่  TATA_0  100 %");
}

TEST(InsertNewPart, EmptyThaiNameTakesTheEnglishName) {
    InsertFixture f("V.31");
    Staged r = Row("", "12-345");
    r.TName = "  ";
    f.Stage(r);
    InsertNewPart(f.st, 1);
    EXPECT_EQ(f.Lines("Select TName, IndTName, KindPartNO From Pta7"),
              QStringList({"FILTER|FILTER|12-345"}));

    // Without a model text the search texts carry no trailing blanks.
    InsertFixture g("P.52");
    r.Model = "";
    g.Stage(r);
    InsertNewPart(g.st, 1);
    EXPECT_EQ(g.Lines("Select EFind, TFind, TName From Pta7"),
              QStringList({"FILTER|FILTER|FILTER"}));
}

TEST(InsertNewPart, DateStampIsTakenOnceAtTheStartOfTheRun) {
    InsertFixture f("V.46 (Bar)");
    int calls = 0;
    f.st.today = [&calls] { return QDate(2026, 12, 5).addDays(calls++); };
    f.Stage(Row("A", "11"));
    f.Stage(Row("A", "12"));

    InsertNewPart(f.st, 1);

    EXPECT_EQ(calls, 1);
    EXPECT_EQ(f.Lines("Select DateStamp From Pta7"), QStringList({"25691205", "25691205"}));
}

TEST(InsertNewPart, LinkedPartOfV31CarriesNoImportText) {
    InsertFixture f("V.41"); // a version of the same row layout
    f.SetCounter("Pta7", 1000);
    f.Stage(Row("A", "12-345", "B", "999", "C", "777"));
    InsertNewPart(f.st, 1);
    EXPECT_EQ(f.Lines("Select PartID, Import From Pta7 Order By PartID"),
              QStringList({"1001|1", "1002|", "1003|1"}));
}

// Layouts keyed by compact number find the own part by kind and compact number and
// the linked part by compact number alone.
class SearchNumberLookup : public ::testing::TestWithParam<const char*> {};

TEST_P(SearchNumberLookup, FindsPartsByTheirCompactNumber) {
    InsertFixture f(GetParam());
    f.SetCounter("Pta7", 1000);
    f.Seed(Existing(500, "A", "12/345", "12345"));
    f.Seed(Existing(600, "Q", "9-9-9", "999"));
    f.Stage(Row("A", "12-345", "B", "99-9"));
    f.Stage(Row("Z", "12 345")); // another kind: a part of its own

    InsertNewPart(f.st, 1);

    EXPECT_EQ(f.Lines("Select PartID, Kind, PartNO, FPartNO From Pta7 Order By PartID"),
              QStringList({"500|A|12/345|12345", "600|Q|9-9-9|999", "1001|Z|12 345|12345"}));
    EXPECT_EQ(Links(f), QStringList({"500>600", "600>500", "1001>0"}));
    EXPECT_EQ(f.Count("PriceList"), 0);
}

INSTANTIATE_TEST_SUITE_P(KeyedVersions, SearchNumberLookup,
                         ::testing::Values("P.45 (Bar)", "P.48 (Bar)", "P.49 (Bar)", "P.64 (Bar)"),
                         [](const auto& info) { return "P" + std::to_string(info.index); });

} // namespace
} // namespace tolvane::testing
