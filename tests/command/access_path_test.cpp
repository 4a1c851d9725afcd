// The Access path through the stand-in for Microsoft's Access driver: every row layout ends
// as on the shop file; what Jet would cut or refuse is refused before the first write.
#include "data/connection.h"
#include "support/access_odbc.h"
#include "support/error_of.h"
#include "support/shop_fixture.h"

namespace tolvane::testing {
namespace {

const std::map<QString, int> kSizes = {{"Kind", 4},   {"PartNO", 12}, {"FPartNO", 12},
                                       {"lAtNO", 12}, {"AltNO", 12},  {"Model", 10}};

// A shop with two parts and a list that fills some columns to their size, holds a '|'
// and creates parts with linked and alternate parts.
void MakeRun(ShopFixture& f) {
    f.Seed(ShopPart(1, "A", "100", "1", "1"));
    f.Seed(ShopPart(2, "", "300", "5", "5"));
    f.Chunk(1, {ListRow("A", "100", "150", "140", "PIPE|O'NAME", "TEN-CHARS!"),
                Linked(ListRow("", "NEW-1", "80", "70", "ใหม่|", "M|1"), "LNK-1", "ALT-1"),
                Linked(ListRow("ZZZZ", "TWELVE-CHARS", "9", "8"), "300")});
    f.Chunk(2, {ListRow("A", "100", "155", "140"), ListRow("", "NEW-3", "7", "6.5")});
}

// The shop (its texts sized by `sizes`) and list of `f` made Access files of the stand-in.
void ToAccess(ShopFixture& f, const std::map<QString, int>& sizes = kSizes) {
    AccessOdbc::Convert(f.shopPath, sizes);
    AccessOdbc::Convert(f.listPath);
}

class AccessRun : public ::testing::TestWithParam<const char*> {};

TEST_P(AccessRun, EndsAsTheRunOnTheShopFileEnds) {
    ShopFixture file(GetParam()), access(GetParam());
    MakeRun(file);
    MakeRun(access);
    ASSERT_EQ(file.Run().status, 0);
    ToAccess(access);
    const AccessOdbc jet;
    const Result r = access.Run();
    ASSERT_EQ(r.out, "0\tเสร็จแล้วจ้า\n") << r.err;
    EXPECT_EQ(AllRows(AccessOdbc::Underneath(access.shopPath)), AllRows(file.shopPath));
    EXPECT_EQ(AllRows(AccessOdbc::Underneath(access.listPath)), AllRows(file.listPath));
    EXPECT_TRUE(AllRows(AccessOdbc::Underneath(access.shopPath))
                    .contains("Price\t1|7|PIPE|O'NAME|TEN-CHARS!"));
    EXPECT_EQ(AccessOdbc::StaticWrites(), 0);
}

const char* const kVersions[] = {"V.31",       "V.33",       "V.34",       "V.42",
                                 "V.43",       "V.45",       "V.46 (Bar)", "P.43",
                                 "P.44 (Bar)", "P.45 (Bar)", "P.46 (Bar)", "P.48 (Bar)",
                                 "P.49 (Bar)", "P.52",       "P.61 (Bar)", "P.64 (Bar)"};

INSTANTIATE_TEST_SUITE_P(Layouts, AccessRun, ::testing::ValuesIn(kVersions),
                         [](const auto& info) { return ParamName(info.param); });

// What Jet would cut or refuse after the shop was written: refused before the first write.
struct Refusal {
    const char* name;
    std::map<QString, int> sizes;
    QString onList; // done to the list underneath
    QString detail;
};

// clang-format off
const Refusal kRefusals[] = {
    {"a search text longer than its column", {{"EFind", 16}}, "", "PriceList_1, row 1 (part 100-ABC): "
     "Pta7.EFind holds 16 characters, the run would write 17 there ('E-100-ABC  KT-100')"},
    {"a kind-number text longer than its column", {{"KindPartNO", 8}}, "", "PriceList_1, row 1 "
     "(part 100-ABC): Pta7.KindPartNO holds 8 characters, the run would write 10 there ('ZZ-100-ABC')"},
    {"a collected list with a unique index", kSizes, "Create Unique Index One On PriceListAll (PartNO)",
     "PriceListAll: its unique key One would refuse an entry the run appends twice"},
    {"a saved query in place of the collected list", kSizes, "Alter Table PriceListAll Rename To "
     "Collected; Create View PriceListAll As Select * From Collected",
     "PriceListAll: is a saved query, not a table the run can empty and append to"},
    {"a collected list with a number column", kSizes, "Drop Table PriceListAll; Create Table "
     "PriceListAll (Kind TEXT, PartNO REAL, PartNew TEXT, FPartNew TEXT, lKind TEXT, lAtNO TEXT, "
     "AKind TEXT, AltNO TEXT, EName TEXT, TName TEXT, Model TEXT, Import TEXT, Price NUMERIC, Sale "
     "NUMERIC)", "PriceListAll: column PartNO is double, which does not keep the texts"},
};
// clang-format on

class AccessRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(AccessRefusal, NothingIsWrittenAndTheDetailNamesWhereAndWhat) {
    const Refusal& c = GetParam();
    ShopFixture f("P.52");
    f.Seed(ShopPart(1, "ZZ", "100-ABC", "1", "1"));
    f.Chunk(1, {ListRow("ZZ", "100-ABC", "10", "9", "NAME", "KT-100")});
    ToAccess(f, c.sizes);
    for (const QString& statement : c.onList.split("; ", Qt::SkipEmptyParts))
        shop::Db(AccessOdbc::Underneath(f.listPath)).Exec(statement);
    const QStringList before = AllRows(AccessOdbc::Underneath(f.shopPath));
    const AccessOdbc jet;
    const Result r = f.Run();
    EXPECT_EQ(r.out, "0\tไม่สามรถบันทึกได้\n");
    EXPECT_TRUE(r.err.contains("nothing was written to the shop.\n" + c.detail)) << r.err;
    EXPECT_EQ(AllRows(AccessOdbc::Underneath(f.shopPath)), before);
}

INSTANTIATE_TEST_SUITE_P(Lists, AccessRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return ParamName(info.param.name); });

// Jet finds ab-1 by AB-1: two lines naming them compete there, not in the shop file.
TEST(AccessPath, NumbersNamedInAnotherCaseAreNamedTwice) {
    for (const bool onAccess : {false, true}) {
        ShopFixture f;
        f.Chunk(1, {ListRow("", "ab-1", "10", "9"), ListRow("", "AB-1", "11", "9")});
        if (onAccess)
            ToAccess(f);
        const AccessOdbc jet;
        const Result r = f.Run();
        EXPECT_EQ(r.err.contains("ab-1 is named twice in chunk 1 with different values"), onAccess)
            << r.err;
    }
}

// The driver takes only single-quoted strings and Jet's own SQL; a quote inside a string is text.
TEST(AccessPath, TheDriverRefusesWhatJetDoesNotTake) {
    ShopFixture f;
    ToAccess(f);
    const AccessOdbc jet;
    Connection cn(Role::Target, {});
    cn.Open(AccessTextFor(f.shopPath));
    for (const char* refused : {"Update Pta7 Set Model = \"M\" Where PartID = 0",
                                "Update Pta7 Set Model = Coalesce(Model, 'M') Where PartID = 0",
                                "Update Pta7 Set Model = 'M' Where PartID != 0"})
        EXPECT_TRUE(ErrorOf([&] { cn.Execute(refused); }).message().contains("Access Driver"))
            << refused;
    EXPECT_NO_THROW(cn.Execute("Update Pta7 Set Model = '1/2\" M' Where PartID = 0"));
}

} // namespace
} // namespace tolvane::testing
