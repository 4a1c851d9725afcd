#include "transfer/update_part.h"

#include "support/error_of.h"
#include "support/shop_fixture.h"

namespace tolvane::testing {
namespace {

// An entry for kind/number with every other text empty and price 0 / sale 0.
PartEntry Entry(const QString& kind, const QString& number) {
    PartEntry e;
    e.Kind = kind, e.PartNO = number;
    return e;
}

shop::Part SeedOf(int id, const QString& kind, const QString& number, int upRec = 0) {
    shop::Part p = ShopPart(id, kind, number, "10", "9");
    p.EName = "OLD E";
    p.TName = "OLD T";
    p.Model = "OLD M";
    p.Import = "OLD I";
    p.lAtNO = "OLD L";
    p.UpRec = upRec;
    return p;
}

// A part's row and its copies: Pta7, Alt7, MovementStock, SPG, Price, Sale.
QStringList PartAndCopies(ShopFixture& f, int id, int brand = 7) {
    const QString key =
        " Where PartID = " + QString::number(id) + " And BrandID = " + QString::number(brand);
    QStringList out = f.Lines("Select lAtNO, EName, TName, Model, Import, Price, Sale From Pta7 "
                              "Where PartID = " +
                              QString::number(id)) +
                      f.Lines("Select APrice From Alt7 Where AltID = " + QString::number(id));
    for (const char* select : {"Select EName, TName, Model From MovementStock",
                               "Select EName, TName, Model, Price From SPG",
                               "Select TName, Model From Price", "Select TName, Model From Sale"})
        out << f.Lines(select + key);
    return out;
}

// Quotes are stored as they are.
PartEntry FullEntry() {
    return {"A", "12-345", "", "B-1", "", "", "O'RING", "เบรก", "1/2\" NPR", "JP",
            Currency::FromUnits(125000), Currency::FromWhole(10)};
}

TEST(UpdatePart, UpdatesThePartAndEveryCopyInOrderAndNothingElse) {
    ShopFixture f;
    f.Seed(SeedOf(101, "A", "12-345"));
    f.Seed(SeedOf(102, "A", "777"));
    // The same part ID under another brand in the shared tables stays as it is.
    f.Exec("Insert Into MovementStock Values (101, 8, 'X', 'X', 'X', 0)");
    f.Exec("Insert Into SPG Values (8, 101, 'X', 'X', 'X', 1)");
    f.OpenTarget();

    UpdatePart(f.st(), FullEntry());

    const QString model = "1/2\" NPR";
    EXPECT_EQ(
        f.Statements(),
        QStringList({
            "Select UpRec, PartID From Pta7 Where Kind = 'A' And PartNO = '12-345'",
            "Update Pta7 Set lAtNO = 'B-1' Where PartID = 101",
            "Update Pta7 Set EName = 'O''RING' Where PartID = 101",
            "Update Pta7 Set IndTName = 'บเรก', TName = 'เบรก' Where PartID = 101",
            "Update MovementStock Set EName = 'O''RING' Where PartID = 101 And BrandID = 7",
            "Update SPG Set EName = 'O''RING' Where BrandID = 7 And PartID = 101",
            "Update MovementStock Set TName = 'เบรก' Where PartID = 101 And BrandID = 7",
            "Update SPG Set TName = 'เบรก' Where BrandID = 7 And PartID = 101",
            "Update Price Set TName = 'เบรก' Where PartID = 101 And BrandID = 7",
            "Update Sale Set TName = 'เบรก' Where PartID = 101 And BrandID = 7",
            "Update Pta7 Set Model = '" + model + "' Where PartID = 101",
            "Update MovementStock Set Model = '" + model + "' Where PartID = 101 And BrandID = 7",
            "Update SPG Set Model = '" + model + "' Where BrandID = 7 And PartID = 101",
            "Update Price Set Model = '" + model + "' Where PartID = 101 And BrandID = 7",
            "Update Sale Set Model = '" + model + "' Where PartID = 101 And BrandID = 7",
            "Update Pta7 Set Import = 'JP' Where PartID = 101",
            "Update Pta7 Set Price = 12.5, Sale = 10 Where PartID = 101",
            "Update Alt7 Set APrice = 12.5 Where AltID = 101",
            "Update SPG Set Price = 12.5 Where BrandID = 7 And PartID = 101",
            "Select PartID From Pta7 Where PartID = 101 And Price = 12.5 And Sale = 10",
        }));
    EXPECT_EQ(
        PartAndCopies(f, 101),
        QStringList({"B-1|O'RING|เบรก|" + model + "|JP|12.5|10", "12.5", "O'RING|เบรก|" + model,
                     "O'RING|เบรก|" + model + "|12.5", "เบรก|" + model, "เบรก|" + model}));
    EXPECT_EQ(PartAndCopies(f, 102),
              QStringList({"OLD L|OLD E|OLD T|OLD M|OLD I|10|9", "10", "OLD E|OLD T|OLD M",
                           "OLD E|OLD T|OLD M|10", "OLD T|OLD M", "OLD T|OLD M"}));
    EXPECT_EQ(PartAndCopies(f, 101, 8).mid(2), QStringList({"X|X|X", "X|X|X|1"}));
    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_FALSE(f.st().rsData.IsOpen() || f.st().rsWork.IsOpen());
    EXPECT_EQ(f.st().strSQL, f.Statements().last());
}

// A row marked in UpRec, and an entry without texts, get the prices only; an empty
// kind matches the number in every kind.
TEST(UpdatePart, MarkedRowsAndEntriesWithoutTextsGetOnlyPrices) {
    for (int upRec : {1, -1, 0}) {
        SCOPED_TRACE(upRec);
        ShopFixture f;
        f.Seed(SeedOf(101, "A", "12-345", upRec));
        f.Seed(SeedOf(102, "B", "12-345", upRec));
        f.OpenTarget();
        PartEntry e = upRec == 0 ? Entry("", "12-345") : FullEntry();
        e.Kind.clear();
        e.Price = Currency::FromWhole(20);
        e.Sale = Currency::FromWhole(18);
        UpdatePart(f.st(), e);
        for (int id : {101, 102})
            EXPECT_EQ(PartAndCopies(f, id),
                      QStringList({"OLD L|OLD E|OLD T|OLD M|OLD I|20|18", "20", "OLD E|OLD T|OLD M",
                                   "OLD E|OLD T|OLD M|20", "OLD T|OLD M", "OLD T|OLD M"}));
        EXPECT_EQ(f.st().lngPartMatchUB, 2);
    }
}

TEST(UpdatePart, AMissingPartIsStagedWithNumbersBeforeKinds) {
    ShopFixture f;
    f.Seed(SeedOf(101, "A", "777"));
    f.OpenTarget();
    const PartEntry e{"A", "12-345", "B", "L-1", "C", "A-1", "O'RING", "เบรก", "1/2\" NPR", "JP",
                      Currency::FromWhole(125), Currency::FromUnits(1250)};
    UpdatePart(f.st(), e);
    UpdatePart(f.st(), e); // each entry gets a row of its own
    UpdatePart(f.st(), Entry("", "99"));
    EXPECT_EQ(f.Lines("Select * From PriceList"),
              QStringList({"7|12-345|A|L-1|B|A-1|C|O'RING|เบรก|1/2\" NPR|JP|125|0.125",
                           "7|12-345|A|L-1|B|A-1|C|O'RING|เบรก|1/2\" NPR|JP|125|0.125",
                           "7|99||||||||||0|0"}));
    // The read-back asks for the kind only where there is one.
    EXPECT_TRUE(f.Statements().contains(
        "Select PartNO From PriceList Where BrandID = 7 And Kind = 'A' And PartNO = '12-345'"));
    EXPECT_EQ(f.Statements().last(),
              "Select PartNO From PriceList Where BrandID = 7 And PartNO = '99'");
    EXPECT_EQ(PartAndCopies(f, 101).value(0), "OLD L|OLD E|OLD T|OLD M|OLD I|10|9");
}

// The version decides the look-up key, the price columns, ASale and the search texts.
TEST(UpdatePart, TheVersionDecidesKeysPriceColumnsAndSearchTexts) {
    struct Case {
        const char* version;
        const char* stored;          // the part's number in the shop
        QString prices, alt, search; // read back after the update
    };
    const Case cases[] = {
        {"P.48 (Bar)", "12-345/A", "Price, Sale", "APrice", ""},
        {"P.45 (Bar)", "12345 A", "Price1, Sale1", "APrice", ""},
        {"P.49 (Bar)", "12345A", "Price, Sale", "APrice || '|' || ASale", ""},
        {"P.52", "12-345 / A", "Price, Sale", "APrice", "EFind || '|' || TFind"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ShopFixture f(c.version);
        f.Seed(SeedOf(101, "A", c.stored));
        f.OpenTarget();
        UpdatePart(f.st(), {"A", "12-345 / A", "", "", "", "", "BOLT", "เบรก", "NPR", "",
                            Currency::FromWhole(100), Currency::FromWhole(90)});
        EXPECT_EQ(f.Count("PriceList"), 0) << "the part was not found";
        EXPECT_EQ(f.Lines("Select " + c.prices + " From Pta7"), QStringList({"100|90"}));
        EXPECT_EQ(f.Lines("Select " + c.alt + " From Alt7 Where AltID = 101"),
                  QStringList({c.alt.contains("ASale") ? "100|90" : "100"}));
        if (!c.search.isEmpty()) {
            EXPECT_EQ(f.Lines("Select " + c.search + " From Pta7"),
                      QStringList({"BOLT  NPR|เบรก  NPR"}));
        }
        EXPECT_EQ(f.Statements().filter("IndTName").isEmpty(), !c.search.isEmpty());
    }
    // Elsewhere the number must equal PartNO exactly: the entry is staged.
    ShopFixture f;
    f.Seed(SeedOf(101, "A", "12-345/A"));
    f.OpenTarget();
    UpdatePart(f.st(), Entry("A", "12-345 / A"));
    EXPECT_EQ(f.Count("PriceList"), 1);
}

// A write that never reads back (a trigger changes every price written, or removes
// every staged row) ends the call after the limit instead of looping.
TEST(UpdatePart, AWriteThatNeverReadsBackGivesUpAtTheLimit) {
    struct Case {
        const char* trigger;
        QString write, readBack;
    };
    const Case cases[] = {
        {"After Update Of Price On Pta7 Begin Update Pta7 Set Price = Price + 1; End",
         "Update SPG Set Price = 20",
         "Select PartID From Pta7 Where PartID = 101 And Price = 20 And Sale = 0"},
        {"After Insert On PriceList Begin Delete From PriceList; End", "Insert Into PriceList",
         "Select PartNO From PriceList Where BrandID = 7 And Kind = 'A' And PartNO = '99'"},
    };
    for (const Case& c : cases) {
        ShopFixture f;
        f.Seed(SeedOf(101, "A", "12-345"));
        f.Exec(QString("Create Trigger Drift ") + c.trigger);
        f.OpenTarget();
        PartEntry e = Entry("A", c.write.startsWith("Insert") ? "99" : "12-345");
        e.Price = Currency::FromWhole(20);
        const Error error = ErrorOf([&] { UpdatePart(f.st(), e); });
        EXPECT_EQ(error.statement(), c.readBack);
        EXPECT_EQ(f.Statements().filter(c.readBack).size(), kReadBackLimit);
        EXPECT_EQ(f.Statements().filter(c.write).size(), kReadBackLimit);
        EXPECT_FALSE(f.st().rsWork.IsOpen());
    }
}

TEST(UpdatePart, NullInUpRecOrPartIdIsAConversionError) {
    for (const QString column : {"UpRec", "PartID"}) {
        SCOPED_TRACE(column);
        ShopFixture f;
        f.Seed(SeedOf(101, "A", "12-345"));
        f.Exec("Update Pta7 Set " + column + " = Null");
        f.OpenTarget();
        EXPECT_THROW(UpdatePart(f.st(), FullEntry()), Error);
        EXPECT_EQ(f.Statements().size(), 1); // the look-up only
    }
}

} // namespace
} // namespace tolvane::testing
