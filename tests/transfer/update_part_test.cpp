#include "transfer/update_part.h"

#include "data/run_state.h"
#include "support/error_of.h"
#include "support/shop_fixture.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::ErrorOf;
using testing::ShopFixture;

// An entry for kind/number with every other text empty and price 0 / sale 0.
PartEntry Entry(const QString& kind, const QString& number) {
    PartEntry e;
    e.Kind = kind;
    e.PartNO = number;
    return e;
}

Currency Units(std::int64_t tenThousandths) {
    return Currency::FromUnits(tenThousandths);
}

shop::Part SeedOf(int id, const QString& kind, const QString& number, int upRec = 0) {
    shop::Part p;
    p.PartID = id;
    p.Kind = kind;
    p.PartNO = number;
    p.FPartNO = QString(number).remove(' ').remove('/').remove('-');
    p.EName = "OLD E";
    p.TName = "OLD T";
    p.Model = "OLD M";
    p.Import = "OLD I";
    p.lAtNO = "OLD L";
    p.Price = "10";
    p.Sale = "9";
    p.UpRec = upRec;
    return p;
}

// A part's copies, one line per table: MovementStock, SPG, Price, Sale.
QStringList Copies(ShopFixture& f, int id, int brand = 7) {
    const QString key =
        " Where PartID = " + QString::number(id) + " And BrandID = " + QString::number(brand);
    QStringList out;
    for (const char* select :
         {"Select EName, TName, Model From MovementStock",
          "Select EName, TName, Model, Price From SPG", "Select TName, Model From Price",
          "Select TName, Model From Sale"})
        out << f.Lines(select + key);
    return out;
}

// Columns of the part row, "|"-joined.
QString PtaRow(ShopFixture& f, int id,
               const QString& columns = "lAtNO, EName, TName, Model, Import, Price, Sale") {
    return f.Lines("Select " + columns + " From Pta7 Where PartID = " + QString::number(id))
        .join('/');
}

PartEntry FullEntry() {
    PartEntry e = Entry("A", "12-345");
    e.lAtNO = "B-1";
    e.EName = "O'RING"; // quotes are stored as they are
    e.TName = QString::fromUtf8("เบรก");
    e.Model = "1/2\" NPR";
    e.Import = "JP";
    e.Price = Units(125000); // 12.5
    e.Sale = Currency::FromWhole(10);
    return e;
}

TEST(UpdatePart, DefaultVersionUpdatesThePartAndEveryCopyAndNothingElse) {
    ShopFixture f("V.31");
    f.Seed(SeedOf(101, "A", "12-345"));
    f.Seed(SeedOf(102, "A", "777"));
    // The same part ID under another brand in the shared tables must stay as it is.
    for (const char* sql : {"Insert Into MovementStock Values (101, 8, 'X', 'X', 'X', 0)",
                            "Insert Into SPG Values (8, 101, 'X', 'X', 'X', 1)",
                            "Insert Into Price Values (101, 8, 'X', 'X')",
                            "Insert Into Sale Values (101, 8, 'X', 'X')"})
        f.Exec(sql);
    f.OpenTarget();

    UpdatePart(f.st(), FullEntry());

    const QString thai = QString::fromUtf8("เบรก");
    const QString key = QString::fromUtf8("บเรก");
    EXPECT_EQ(
        f.Statements(),
        QStringList({
            "Select UpRec, PartID From Pta7 Where Kind = 'A' And PartNO = '12-345'",
            "Update Pta7 Set lAtNO = 'B-1' Where PartID = 101",
            "Update Pta7 Set EName = 'O''RING' Where PartID = 101",
            "Update Pta7 Set IndTName = '" + key + "', TName = '" + thai + "' Where PartID = 101",
            "Update MovementStock Set EName = 'O''RING' Where PartID = 101 And BrandID = 7",
            "Update SPG Set EName = 'O''RING' Where BrandID = 7 And PartID = 101",
            "Update MovementStock Set TName = '" + thai + "' Where PartID = 101 And BrandID = 7",
            "Update SPG Set TName = '" + thai + "' Where BrandID = 7 And PartID = 101",
            "Update Price Set TName = '" + thai + "' Where PartID = 101 And BrandID = 7",
            "Update Sale Set TName = '" + thai + "' Where PartID = 101 And BrandID = 7",
            "Update Pta7 Set Model = '1/2\" NPR' Where PartID = 101",
            "Update MovementStock Set Model = '1/2\" NPR' Where PartID = 101 And BrandID = 7",
            "Update SPG Set Model = '1/2\" NPR' Where BrandID = 7 And PartID = 101",
            "Update Price Set Model = '1/2\" NPR' Where PartID = 101 And BrandID = 7",
            "Update Sale Set Model = '1/2\" NPR' Where PartID = 101 And BrandID = 7",
            "Update Pta7 Set Import = 'JP' Where PartID = 101",
            "Update Pta7 Set Price = 12.5, Sale = 10 Where PartID = 101",
            "Update Alt7 Set APrice = 12.5 Where AltID = 101",
            "Update SPG Set Price = 12.5 Where BrandID = 7 And PartID = 101",
            "Select PartID From Pta7 Where PartID = 101 And Price = 12.5 And Sale = 10",
        }));

    EXPECT_EQ(PtaRow(f, 101, "lAtNO, EName, TName, IndTName, Model, Import, Price, Sale"),
              "B-1|O'RING|" + thai + "|" + key + "|1/2\" NPR|JP|12.5|10");
    EXPECT_EQ(f.Scalar("Select APrice From Alt7 Where AltID = 101"), "12.5");
    EXPECT_EQ(Copies(f, 101),
              QStringList({"O'RING|" + thai + "|1/2\" NPR", "O'RING|" + thai + "|1/2\" NPR|12.5",
                           thai + "|1/2\" NPR", thai + "|1/2\" NPR"}));
    // The other part and the other brand's copies keep their values.
    EXPECT_EQ(PtaRow(f, 102), "OLD L|OLD E|OLD T|OLD M|OLD I|10|9");
    EXPECT_EQ(f.Scalar("Select APrice From Alt7 Where AltID = 102"), "10");
    EXPECT_EQ(Copies(f, 102), QStringList({"OLD E|OLD T|OLD M", "OLD E|OLD T|OLD M|10",
                                           "OLD T|OLD M", "OLD T|OLD M"}));
    EXPECT_EQ(Copies(f, 101, 8), QStringList({"X|X|X", "X|X|X|1", "X|X", "X|X"}));
    EXPECT_EQ(f.Count("PriceList"), 0);

    EXPECT_FALSE(f.st().rsData.IsOpen());
    EXPECT_FALSE(f.st().rsWork.IsOpen());
    EXPECT_EQ(f.st().lngPartMatchUB, 1);
    EXPECT_EQ(f.st().strSQL, f.Statements().last());
}

// A row marked in UpRec, and an entry without texts, get the price statements only.
TEST(UpdatePart, MarkedRowsAndEntriesWithoutTextsGetOnlyPrices) {
    for (int upRec : {1, -1, 0}) {
        SCOPED_TRACE(upRec);
        ShopFixture f("V.31");
        f.Seed(SeedOf(101, "A", "12-345", upRec));
        f.OpenTarget();
        PartEntry e = upRec == 0 ? Entry("A", "12-345") : FullEntry();
        e.Price = Currency::FromWhole(20);
        e.Sale = Currency::FromWhole(18);

        UpdatePart(f.st(), e);

        EXPECT_EQ(f.Statements(),
                  QStringList({
                      "Select UpRec, PartID From Pta7 Where Kind = 'A' And PartNO = '12-345'",
                      "Update Pta7 Set Price = 20, Sale = 18 Where PartID = 101",
                      "Update Alt7 Set APrice = 20 Where AltID = 101",
                      "Update SPG Set Price = 20 Where BrandID = 7 And PartID = 101",
                      "Select PartID From Pta7 Where PartID = 101 And Price = 20 And Sale = 18",
                  }));
        EXPECT_EQ(PtaRow(f, 101), "OLD L|OLD E|OLD T|OLD M|OLD I|20|18");
        EXPECT_EQ(Copies(f, 101), QStringList({"OLD E|OLD T|OLD M", "OLD E|OLD T|OLD M|20",
                                               "OLD T|OLD M", "OLD T|OLD M"}));
    }
}

TEST(UpdatePart, EmptyKindMatchesTheNumberInEveryKind) {
    ShopFixture f("V.31");
    f.Seed(SeedOf(101, "A", "12-345"));
    f.Seed(SeedOf(102, "B", "12-345"));
    f.Seed(SeedOf(103, "A", "777"));
    f.OpenTarget();
    PartEntry e = Entry("", "12-345");
    e.EName = "NEW";

    UpdatePart(f.st(), e);

    EXPECT_EQ(f.Statements().first(), "Select UpRec, PartID From Pta7 Where PartNO = '12-345'");
    EXPECT_EQ(f.st().lngPartMatchUB, 2);
    EXPECT_EQ(PtaRow(f, 101, "EName") + PtaRow(f, 102, "EName") + PtaRow(f, 103, "EName"),
              "NEWNEWOLD E");
}

TEST(UpdatePart, MissingPartIsStagedOnceAndEachEntryGetsItsOwnRow) {
    ShopFixture f("V.31");
    f.Seed(SeedOf(101, "A", "777"));
    PartEntry e = Entry("A", "12-345");
    e.lKind = "B";
    e.lAtNO = "L-1";
    e.AKind = "C";
    e.AltNO = "A-1";
    e.EName = "O'RING";
    e.TName = "1/2\" HOSE";
    e.Model = "NPR";
    e.Import = "JP";
    e.Price = Units(1250000); // 125
    e.Sale = Units(1250);     // 0.125
    f.OpenTarget();

    UpdatePart(f.st(), e);

    EXPECT_EQ(f.Statements(),
              QStringList({
                  "Select UpRec, PartID From Pta7 Where Kind = 'A' And PartNO = '12-345'",
                  "Insert Into PriceList Values( 7, '12-345', 'A', 'L-1', 'B', 'A-1', 'C', "
                  "'O''RING', '1/2\" HOSE', 'NPR', 'JP', 125, 0.125 )",
                  "Select PartNO From PriceList Where BrandID = 7 And Kind = 'A' And PartNO = "
                  "'12-345'",
              }));
    EXPECT_EQ(f.Lines("Select * From PriceList"),
              QStringList{"7|12-345|A|L-1|B|A-1|C|O'RING|1/2\" HOSE|NPR|JP|125|0.125"});
    EXPECT_EQ(PtaRow(f, 101, "EName"), "OLD E"); // no other write

    UpdatePart(f.st(), e);
    EXPECT_EQ(f.Count("PriceList"), 2);

    // Without a kind the read-back asks for the number only.
    f.OpenTarget();
    UpdatePart(f.st(), Entry("", "99"));
    EXPECT_EQ(f.Statements().last(),
              "Select PartNO From PriceList Where BrandID = 7 And PartNO = '99'");
    EXPECT_FALSE(f.st().rsData.IsOpen());
    EXPECT_FALSE(f.st().rsWork.IsOpen());
}

TEST(UpdatePart, SearchKeyVersionsLookUpTheCompactNumber) {
    const PartEntry e = Entry("A", "12-345 / A");
    {
        ShopFixture f("P.48 (Bar)");
        f.Seed(SeedOf(101, "A", "12-345/A"));
        ASSERT_EQ(PtaRow(f, 101, "FPartNO"), "12345A");
        f.OpenTarget();
        UpdatePart(f.st(), e);
        EXPECT_EQ(f.Statements().first(),
                  "Select UpRec, PartID From Pta7 Where Kind = 'A' And FPartNO = '12345A'");
        EXPECT_EQ(f.st().lngPartMatchUB, 1);
        EXPECT_EQ(f.Count("PriceList"), 0);
    }
    {
        // Elsewhere the number must equal PartNO exactly: the entry is staged.
        ShopFixture f("V.31");
        f.Seed(SeedOf(101, "A", "12-345/A"));
        f.OpenTarget();
        UpdatePart(f.st(), e);
        EXPECT_EQ(f.Count("PriceList"), 1);
    }
}

// P.45 (Bar) keeps its prices in Price1/Sale1, P.49 (Bar) also writes ASale.
TEST(UpdatePart, PriceColumnsFollowTheVersion) {
    struct Case {
        const char* version;
        QString pta, alt, readBack;
    };
    const Case cases[] = {
        {"P.45 (Bar)", "Update Pta7 Set Price1 = 100, Sale1 = 90 Where PartID = 101",
         "Update Alt7 Set APrice = 100 Where AltID = 101",
         "Select PartID From Pta7 Where PartID = 101 And Price1 = 100 And Sale1 = 90"},
        {"P.49 (Bar)", "Update Pta7 Set Price = 100, Sale = 90 Where PartID = 101",
         "Update Alt7 Set APrice = 100, ASale = 90 Where AltID = 101",
         "Select PartID From Pta7 Where PartID = 101 And Price = 100 And Sale = 90"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ShopFixture f(c.version);
        f.Seed(SeedOf(101, "A", "12-345"));
        f.OpenTarget();
        PartEntry e = Entry("A", "12-345");
        e.Price = Currency::FromWhole(100);
        e.Sale = Currency::FromWhole(90);

        UpdatePart(f.st(), e);

        EXPECT_EQ(f.Statements().mid(1),
                  QStringList({c.pta, c.alt,
                               "Update SPG Set Price = 100 Where BrandID = 7 And PartID = 101",
                               c.readBack}));
        const bool price1 = c.pta.contains("Price1");
        EXPECT_EQ(PtaRow(f, 101, price1 ? "Price1, Sale1" : "Price, Sale"), "100|90");
        EXPECT_EQ(PtaRow(f, 101,
                         price1 ? "(Select APrice From Alt7 Where AltID = 101)"
                                : "(Select APrice || '|' || ASale From Alt7 Where "
                                  "AltID = 101)"),
                  price1 ? "100" : "100|90");
    }
}

TEST(UpdatePart, SearchTextVersionWritesEFindAndTFindWithTheModel) {
    for (const QString model : {"", "NPR"}) {
        SCOPED_TRACE(model.toStdString());
        ShopFixture f("P.52");
        f.Seed(SeedOf(101, "A", "12-345"));
        f.OpenTarget();
        PartEntry e = Entry("A", "12-345");
        e.EName = "BOLT";
        e.TName = QString::fromUtf8("เบรก");
        e.Model = model;

        UpdatePart(f.st(), e);

        const QString eFind = model.isEmpty() ? "BOLT" : "BOLT  NPR";
        const QString tFind = e.TName + (model.isEmpty() ? "" : "  NPR");
        const QStringList statements = f.Statements();
        EXPECT_TRUE(statements.contains("Update Pta7 Set EFind = '" + eFind +
                                        "', EName = 'BOLT' Where PartID = 101"));
        EXPECT_TRUE(statements.contains("Update Pta7 Set TFind = '" + tFind + "', TName = '" +
                                        e.TName + "' Where PartID = 101"));
        EXPECT_TRUE(statements.filter("IndTName").isEmpty());
        EXPECT_EQ(PtaRow(f, 101, "EFind, TFind"), eFind + "|" + tFind);
    }
}

// A trigger that changes every price written makes the read-back fail for ever.
TEST(UpdatePart, PriceReadBackGivesUpAfterTheLimit) {
    ShopFixture f("V.31");
    f.Seed(SeedOf(101, "A", "12-345"));
    f.Exec("Create Trigger Drift After Update Of Price On Pta7 Begin "
                    "Update Pta7 Set Price = Price + 1 Where PartID = NEW.PartID; End");
    f.OpenTarget();
    PartEntry e = Entry("A", "12-345");
    e.EName = "NEW";
    e.Price = Currency::FromWhole(20);

    const QString readBack =
        "Select PartID From Pta7 Where PartID = 101 And Price = 20 And Sale = 0";
    const Error error = ErrorOf([&] { UpdatePart(f.st(), e); });
    EXPECT_EQ(error.statement(), readBack);
    EXPECT_TRUE(error.message().contains("10")) << error.message().toStdString();
    const QStringList statements = f.Statements();
    EXPECT_EQ(statements.filter(readBack).size(), kReadBackLimit);
    EXPECT_EQ(statements.filter("Update Pta7 Set EName = 'NEW'").size(), kReadBackLimit);
    EXPECT_EQ(statements.filter("Update SPG Set Price = 20").size(), kReadBackLimit);
    EXPECT_FALSE(f.st().rsWork.IsOpen());
}

TEST(UpdatePart, StagingReadBackGivesUpAfterTheLimit) {
    ShopFixture f("V.31");
    f.Exec("Create Trigger Vanish After Insert On PriceList Begin "
                    "Delete From PriceList Where rowid = NEW.rowid; End");
    f.OpenTarget();

    EXPECT_THROW(UpdatePart(f.st(), Entry("A", "12-345")), Error);

    const QStringList statements = f.Statements();
    EXPECT_EQ(statements.filter("Insert Into PriceList").size(), kReadBackLimit);
    EXPECT_EQ(statements.filter("Select PartNO From PriceList").size(), kReadBackLimit);
    EXPECT_EQ(f.st().strSQL, statements.last());
}

TEST(UpdatePart, NullInUpRecOrPartIdIsAConversionError) {
    for (const QString column : {"UpRec", "PartID"}) {
        SCOPED_TRACE(column.toStdString());
        ShopFixture f("V.31");
        f.Seed(SeedOf(101, "A", "12-345"));
        f.Exec("Update Pta7 Set " + column + " = Null");
        f.OpenTarget();
        PartEntry e = Entry("A", "12-345");
        e.EName = "NEW";

        EXPECT_THROW(UpdatePart(f.st(), e), Error);

        EXPECT_EQ(f.Statements().size(), 1); // the look-up only
        EXPECT_EQ(f.Scalar("Select EName From Pta7"), "OLD E");
    }
}

} // namespace
} // namespace tolvane
