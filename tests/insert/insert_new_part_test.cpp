#include "insert/insert_new_part.h"

#include "support/error_of.h"
#include "support/shop_fixture.h"

namespace tolvane::testing {
namespace {

TEST(InsertNewPart, CreatesOrFindsTheRowsPartsAndLinksThemBothWays) {
    ShopFixture f;
    // An old program's part under ID 0 is a part.
    f.Seed(ShopPart(500, "A", "12-345", "99", "88"), false);
    f.Seed(ShopPart(0, "", "ZERO-1", "99", "88"), false);
    f.Stage({"A", "12-345", "B", "999", "C", "777"});
    f.Stage({"", "NEW-1", "", "ZERO-1"});
    f.Stage({"D", "88", "B", "88", "C", "88"}); // related numbers equal to its own
    f.OpenTarget();

    InsertNewPart(f.st(), 1);

    EXPECT_EQ(f.Lines("Select PartID, Kind, PartNO, EName, Price From Pta7 Order By PartID"),
              QStringList({"0||ZERO-1|OLD|99", "500|A|12-345|OLD|99", "1001|B|999|FILTER|150.25",
                           "1002|C|777|FILTER|150.25", "1003|D|88|FILTER|150.25",
                           "1004||NEW-1|FILTER|150.25"}));
    EXPECT_EQ(f.Links(), "500>1001 500>1002 1001>500 1001>1002 1002>500 1002>1001 1003>0 1004>0");
    EXPECT_EQ(f.Counter(), "1004");
    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_FALSE(f.st().rsList.IsOpen() || f.st().rsData.IsOpen());
    EXPECT_FALSE(f.st().Data().InTransaction());
}

TEST(InsertNewPart, EqualRelatedNumbersMakeOnePartAndKeyedVersionsLookUpCompactNumbers) {
    ShopFixture f;
    f.Stage({"A", "12-345", "B", "999", "B", "999"});
    f.OpenTarget();
    InsertNewPart(f.st(), 1);
    EXPECT_EQ(f.Lines("Select PartID, PartNO From Pta7 Order By PartID"),
              QStringList({"1001|12-345", "1002|999"}));
    EXPECT_EQ(f.Links(), "1001>1002 1002>1001");

    // Own parts by kind and compact number, related parts by compact number alone.
    for (const QString version : {"P.45 (Bar)", "P.48 (Bar)", "P.49 (Bar)", "P.64 (Bar)"}) {
        SCOPED_TRACE(version);
        ShopFixture g(version);
        g.Seed(ShopPart(500, "A", "12/345", "99", "88"), false);
        g.Seed(ShopPart(600, "Q", "9-9-9", "99", "88"), false);
        g.Stage({"A", "12-345", "B", "99-9", "C", "9/99"});
        g.Stage({"Z", "12 345"}); // another kind: a part of its own
        g.OpenTarget();
        InsertNewPart(g.st(), 1);
        EXPECT_EQ(g.Lines("Select PartID, Kind, PartNO, FPartNO From Pta7 Order By PartID"),
                  QStringList({"500|A|12/345|12345", "600|Q|9-9-9|999", "1001|Z|12 345|12345"}));
        EXPECT_EQ(g.Links(), "500>600 600>500 1001>0");
    }
}

// One number staged under two kinds: handling one leaves the other staged. A row with
// a linked part only is linked all the same.
TEST(InsertNewPart, TheStagedRowIsDeletedByItsKindAndNumber) {
    ShopFixture f;
    f.Stage({"A", "12"});
    f.Stage({"B", "12", "", "L-1"});
    f.OpenTarget();
    InsertNewPart(f.st(), 1);
    EXPECT_EQ(f.Lines("Select PartID, Kind, PartNO From Pta7 Order By PartID"),
              QStringList({"1001|A|12", "1002|B|12", "1003||L-1"}));
    EXPECT_EQ(f.Links(), "1001>0 1002>1003 1003>1002");
}

TEST(InsertNewPart, CleanUpLeavesOnePlaceholderAndNoLinksOfPartZero) {
    for (const QString version : {"V.31", "P.49 (Bar)", "V.99"}) {
        SCOPED_TRACE(version);
        ShopFixture f(version == "V.99" ? "V.31" : version);
        f.Exec("Insert Into AltG7 Values (0, 0, 5), (0, 6, 0)");
        f.Stage({"A", "12-345"});
        f.OpenTarget().strVer = version;
        InsertNewPart(f.st(), 1);
        InsertNewPart(f.st(), 1);
        EXPECT_EQ(f.Lines("Select * From AltG7 Where PartID <> 1001"), QStringList({"0|6|0"}));
        EXPECT_EQ(f.Lines("Select * From Alt7 Where AltID = 0"),
                  QStringList({version == "P.49 (Bar)" ? "0|0|||0|0" : "0|||0"}));
        // A version without a layout handles no staged row.
        EXPECT_EQ(f.Count("PriceList"), version == "V.99" ? 1 : 0);
    }
}

TEST(InsertNewPart, AFailingRowIsRolledBackWholeAndEndsTheRun) {
    struct Case {
        const char* name;
        QString failWith; // statement that fails; empty: the table is damaged instead
        QString damage;
        QString message;
    };
    const Case cases[] = {
        {"linked part's price row", "Insert Into Alt7 Values( 1003", "", "Injected failure."},
        {"Null in the staged row", "", "Update PriceList Set TName = Null Where PartNO = '12-345'",
         "The field TName is Null"},
        // The driver's reason comes with the refusal.
        {"no counter table", "", "Drop Table LastID", "No new ID could be drawn for Pta7: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShopFixture f;
        f.Stage({"A", "11"});
        f.OpenTarget();
        InsertNewPart(f.st(), 1); // a row that stands
        f.Stage({"A", "12-345", "B", "999"});
        f.Exec("Insert Into OldID Values ('Pta7', 1001)"); // in use: the draw removes it
        if (!c.damage.isEmpty())
            f.Exec(c.damage);
        f.faults.failStatementWith = c.failWith;
        const Error e = ErrorOf([&] { InsertNewPart(f.st(), 1); });
        EXPECT_TRUE(e.message().startsWith(c.message)) << e.detail();
        // The first row stands, nothing of the failed one: no part, counter back, row staged.
        EXPECT_EQ(f.Lines("Select PartID, PartNO From Pta7"), QStringList({"1001|11"}));
        if (!c.damage.startsWith("Drop")) {
            EXPECT_EQ(f.Counter(), "1001");
        }
        EXPECT_EQ(f.Lines("Select OldID From OldID"), QStringList{"1001"}); // repair undone too
        EXPECT_EQ(f.Count("PriceList"), 1);
        EXPECT_FALSE(f.st().Data().InTransaction());
        EXPECT_FALSE(f.st().rsList.IsOpen());
    }
}

TEST(InsertNewPart, StagedRowTheDeletionCannotMatchEndsTheRun) {
    ShopFixture f;
    f.Stage({"A", " 12-345"}); // read back trimmed, so the deletion finds no row
    f.OpenTarget();
    f.faults.failKind = TraceKind::Begin; // a second transaction would read it again
    f.faults.failAt = 2;
    EXPECT_TRUE(
        ErrorOf([&] { InsertNewPart(f.st(), 1); }).statement().startsWith("Delete From PriceList"));
    EXPECT_EQ(f.Count("Pta7"), 0);
    EXPECT_EQ(f.Counter(), "1000");
}

TEST(InsertNewPart, ShowsEveryRowAndTakesTheEnglishNameForAMissingThaiName) {
    ShopFixture f("V.46 (Bar)");
    Staged noThaiName("", "13");
    noThaiName.TName = "  ";
    f.Stage({"A", "11"});
    f.Stage({"A", "12"});
    f.Stage(noThaiName);
    int days = 0;
    f.OpenTarget().today = [&days] { return QDate(2026, 12, 5).addDays(days++); };

    InsertNewPart(f.st(), 3);

    const QString phrase = "กำลังเพิ่มข้อมูลใหม่  TATA_3  ";
    EXPECT_EQ(f.window.progress,
              QStringList({"txtQTY\t" + phrase + "33 %", "txtPartNO\tA-11 - ไส้กรอง   KT-1",
                           "txtQTY\t" + phrase + "66 %", "txtPartNO\tA-12 - ไส้กรอง   KT-1",
                           "txtQTY\t" + phrase + "100 %", "txtPartNO\t13 - FILTER   KT-1"}));
    EXPECT_EQ(f.window.yields, 3);
    EXPECT_EQ(f.Lines("Select TName, IndTName, KindPartNO From Pta7 Where PartNO = '13'"),
              QStringList({"FILTER|FILTER|13"}));
    // One date stamp for the whole run.
    EXPECT_EQ(days, 1);
    EXPECT_EQ(f.Lines("Select Distinct DateStamp From Pta7"), QStringList({"25691205"}));
}

} // namespace
} // namespace tolvane::testing
