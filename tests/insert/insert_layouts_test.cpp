#include "insert/insert_new_part.h"

#include "insert/insert_fixture.h"
#include "text/versions.h"

#include <cctype>
#include <set>

namespace tolvane::testing {
namespace {

enum class Role { Own, Linked, Alternate };

// The sample staged row: own part A/12-345, linked part B/99-9, alternate part C/7/77.
Staged Sample() {
    Staged r;
    r.Kind = "A";
    r.PartNO = "12-345";
    r.lKind = "B";
    r.lAtNO = "99-9";
    r.AKind = "C";
    r.AltNO = "7/77";
    return r;
}

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
const std::set<QString> kLinkedWithoutImport = {"V.31", "V.32", "V.41", "V.51",
                                                "V.61", "P.42", "P.44 (Bar)"};

// The value a column of a new part row must hold after the sample row was inserted.
QString Expected(const QString& version, Role role, const QString& column, const QString& kind) {
    const Expect& e = role == Role::Own ? kOwn : role == Role::Linked ? kLinked : kAlternate;
    const bool own = role == Role::Own;
    const bool price1 = version == "P.45 (Bar)";
    const QMap<QString, QString> named = {
        {"PartID", QString::number(e.id)},
        {"Kind", e.kind},
        {"PartNO", e.number},
        {"PartNO2", e.number},
        {"FPartNO", kSearchKeyVersions.count(version) ? e.searchNumber : ""},
        {"lKind", own ? "B" : ""},
        {"lAtNO", own ? "99-9" : ""},
        {"EName", "FILTER"},
        {"TName", "ไส้กรอง"},
        {"IndTName", "สไ้กรอง"},
        {"EFind", "FILTER  KT-1"},
        {"TFind", "ไส้กรอง  KT-1"},
        {"Model", "KT-1"},
        {"Import", role == Role::Linked && kLinkedWithoutImport.count(version) ? "" : "1"},
        {"Price", price1 ? "0" : "150.25"},
        {"Sale", price1 ? "0" : "135"},
        {"Price1", "150.25"},
        {"Sale1", "135"},
        {"BrandID", "7"},
        {"KindPartNO", e.kindNumber},
        {"WFlag", own ? "1" : "0"},
        {"DiffFlag", "1"},
        {"DateStamp", "25691205"},
        {"UpRec", "0"},
    };
    if (named.contains(column))
        return named.value(column);
    // The columns the transfer never reads hold what every new row writes there: the
    // yes/no flags, the unit, the row kind (1 for an alternate part in P.49) and
    // 0 or '' in the rest.
    if (column == "Active" || column == "Unit")
        return "1";
    if (column == "PType")
        return version == "P.49 (Bar)" && role == Role::Alternate ? "1" : "0";
    return kind == "TEXT" ? "" : "0";
}

class InsertLayout : public ::testing::TestWithParam<std::string> {};

TEST_P(InsertLayout, WritesOwnLinkedAndAlternatePartsInTheVersionsRow) {
    const QString version = QString::fromStdString(GetParam());
    InsertFixture f(version);
    f.SetCounter("Pta7", 1000);
    f.Stage(Sample());

    EXPECT_EQ(InsertNewPart(f.st, 3), 0);

    EXPECT_EQ(f.Count("Pta7"), 3);
    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_EQ(f.Counter(), "1003");
    const QStringList columns = shop::PtaColumns(version);
    const QStringList kinds = shop::PtaColumnKinds(version);
    for (Role role : {Role::Own, Role::Linked, Role::Alternate}) {
        const Expect& e = role == Role::Own ? kOwn : role == Role::Linked ? kLinked : kAlternate;
        const QMap<QString, QString> row = f.PtaRow(e.id);
        for (int i = 0; i < columns.size(); ++i)
            EXPECT_EQ(row.value(columns[i]), Expected(version, role, columns[i], kinds[i]))
                << "part " << e.id << ", column " << columns[i].toStdString();
    }

    const bool withSale = version == "P.49 (Bar)";
    const QStringList alt = f.Lines("Select * From Alt7 Order By AltID");
    const QStringList expectedAlt =
        withSale ? QStringList{"0|0|||0|0", "1001|1|A|12-345|150.25|135",
                               "1002|1|B|99-9|150.25|135", "1003|1|C|7/77|150.25|135"}
                 : QStringList{"0|||0", "1001|A|12-345|150.25", "1002|B|99-9|150.25",
                               "1003|C|7/77|150.25"};
    EXPECT_EQ(alt, expectedAlt);
}

std::vector<std::string> AllVersions() {
    int count = 0;
    const VersionInfo* versions = SupportedVersions(&count);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.emplace_back(versions[i].text);
    return texts;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name;
    for (char c : info.param)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(AllVersions, InsertLayout, ::testing::ValuesIn(AllVersions()), TestName);

} // namespace
} // namespace tolvane::testing
