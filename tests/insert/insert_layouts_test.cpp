// New part rows in every version's layout, read back by the shop table's own column
// names: a value written one place early or late lands in a column of another name.
#include "insert/insert_new_part.h"

#include "support/shop_fixture.h"
#include "text/versions.h"

#include <QMap>
#include <set>

namespace tolvane::testing {
namespace {

enum class Part { Own, Linked, Alternate }; // new parts 1001, 1002, 1003

struct Expect {
    int id;
    QString kind, number, searchNumber, kindNumber;
};

const Expect kOwn{1001, "A", "12-345", "12345", "A-12-345"};
const Expect kLinked{1002, "B", "99-9", "999", "B-99-9"};
const Expect kAlternate{1003, "C", "7/77", "777", "C-7/77"};

const std::set<QString> kSearchKeyVersions = {"P.45 (Bar)", "P.48 (Bar)", "P.49 (Bar)",
                                              "P.64 (Bar)", "P.65 (Bar)"};
// The databases that keep no import text on a linked part.
const std::set<QString> kLinkedWithoutImport = {"V.31", "V.32", "V.41",      "V.51",
                                                "V.61", "P.42", "P.44 (Bar)"};

// The value a column of a new part row holds after the sample row was inserted.
QString Expected(const QString& version, Part part, const QString& column, const QString& kind) {
    const Expect& e = part == Part::Own ? kOwn : part == Part::Linked ? kLinked : kAlternate;
    const bool own = part == Part::Own;
    const bool price1 = version == "P.45 (Bar)";
    // Active, Unit and PType, which the transfer never reads, as every new row has them.
    // clang-format off
    const QMap<QString, QString> named = {
        {"PartID", QString::number(e.id)}, {"Kind", e.kind}, {"PartNO", e.number},
        {"PartNO2", e.number}, {"FPartNO", kSearchKeyVersions.count(version) ? e.searchNumber : ""},
        {"lKind", own ? "B" : ""}, {"lAtNO", own ? "99-9" : ""}, {"EName", "O'RING"},
        {"TName", "ไส้กรอง"}, {"IndTName", "สไ้กรอง"}, {"EFind", "O'RING  KT-1"},
        {"TFind", "ไส้กรอง  KT-1"}, {"Model", "KT-1"},
        {"Import", part == Part::Linked && kLinkedWithoutImport.count(version) ? "" : "1"},
        {"Price", price1 ? "0" : "150.25"}, {"Sale", price1 ? "0" : "135"}, {"Price1", "150.25"},
        {"Sale1", "135"}, {"BrandID", "7"}, {"KindPartNO", e.kindNumber},
        {"WFlag", own ? "1" : "0"}, {"DiffFlag", "1"}, {"DateStamp", "25691205"}, {"UpRec", "0"},
        {"Active", "1"}, {"Unit", "1"},
        {"PType", version == "P.49 (Bar)" && part == Part::Alternate ? "1" : "0"}};
    // clang-format on
    return named.value(column, kind == "TEXT" ? "" : "0");
}

class InsertLayout : public ::testing::TestWithParam<QString> {};

TEST_P(InsertLayout, WritesOwnLinkedAndAlternatePartsInTheVersionsRow) {
    const QString version = GetParam();
    ShopFixture f(version);
    Staged row("A", "12-345", "B", "99-9", "C", "7/77");
    row.EName = "O'RING";
    f.Stage(row);
    f.OpenTarget();

    EXPECT_EQ(InsertNewPart(f.st(), 3), 0);

    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_EQ(f.Counter(), "1003");
    const QStringList columns = shop::PtaColumns(version);
    const QStringList kinds = shop::PtaColumnKinds(version);
    const QStringList rows = f.Lines("Select " + columns.join(", ") + " From Pta7 Order By PartID");
    ASSERT_EQ(rows.size(), 3);
    for (Part part : {Part::Own, Part::Linked, Part::Alternate}) {
        const QStringList row = rows[static_cast<int>(part)].split('|');
        ASSERT_EQ(row.size(), columns.size()) << "part " << static_cast<int>(part);
        for (int i = 0; i < columns.size(); ++i)
            EXPECT_EQ(row[i], Expected(version, part, columns[i], kinds[i]))
                << "part " << static_cast<int>(part) << ", column " << columns[i];
    }
    const QStringList alt = f.Lines("Select * From Alt7 Order By AltID");
    EXPECT_EQ(alt, (version == "P.49 (Bar)"
                        ? QStringList{"0|0|||0|0", "1001|1|A|12-345|150.25|135",
                                      "1002|1|B|99-9|150.25|135", "1003|1|C|7/77|150.25|135"}
                        : QStringList{"0|||0", "1001|A|12-345|150.25", "1002|B|99-9|150.25",
                                      "1003|C|7/77|150.25"}));
}

QList<QString> AllVersions() {
    int count = 0;
    const VersionInfo* versions = SupportedVersions(&count);
    QList<QString> texts;
    for (int i = 0; i < count; ++i)
        texts << QString::fromLatin1(versions[i].text);
    return texts;
}

INSTANTIATE_TEST_SUITE_P(AllVersions, InsertLayout, ::testing::ValuesIn(AllVersions()),
                         [](const auto& info) { return ParamName(info.param); });

// The statement as the shop's program writes it, and the V.34 marks of equal prices.
TEST(InsertLayout, StatementTextAndTheDifferenceMark) {
    ShopFixture f("V.31");
    f.Stage(Staged("", "12-345"));
    f.OpenTarget();
    InsertNewPart(f.st(), 1);
    EXPECT_TRUE(f.Statements().contains(
        "Insert Into Pta7 Values( 0, 1001, '', '', '12-345', '', '', '', 'FILTER', 'สไ้กรอง', "
        "'ไส้กรอง', '', 'KT-1', '', '1', '', 150.25, 0, 135, 0, True, False, '', 0, 0, 0, 0, 0, "
        "7, 0, 0, '12-345', 0, 0, 0, 0, 0, 0, 0 )"));
    EXPECT_TRUE(f.Statements().contains("Insert Into Alt7 Values( 1001, '', '12-345', 150.25 )"));

    ShopFixture g("V.34");
    Staged same("A", "1");
    same.Sale = same.Price;
    g.Stage(same);
    g.OpenTarget();
    InsertNewPart(g.st(), 1);
    EXPECT_EQ(g.Lines("Select WFlag, DiffFlag From Pta7"), QStringList{"1|0"});
}

} // namespace
} // namespace tolvane::testing
