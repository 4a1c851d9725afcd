// The shop databases the tests build must take a new part row of every version as the
// program writes it, by position, and must hold every column the run reads or writes.
#include "fixtures/fixtures.h"
#include "insert/row_layouts.h"
#include "support/rows.h"
#include "text/versions.h"

#include <QTemporaryDir>
#include <cctype>
#include <gtest/gtest.h>

namespace tolvane::fixtures {
namespace {

using testing::RowTexts;

std::vector<std::string> AllVersionTexts() {
    int count = 0;
    const VersionInfo* versions = SupportedVersions(&count);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.emplace_back(versions[i].text);
    return texts;
}

class LayoutFixture : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("velmora.db");
        CreateTarget(path_, Version(), 7, "TATA");
    }
    QString Version() const { return QString::fromStdString(GetParam()); }
    QString Prices() const { return IsPrice1Version(Version()) ? "Price1, Sale1" : "Price, Sale"; }

    QTemporaryDir dir_;
    QString path_;
};

TEST_P(LayoutFixture, TableHasOneColumnPerLayoutValueAndTheRunsColumns) {
    const RowLayout* layout = LayoutForVersion(Version());
    ASSERT_NE(layout, nullptr);
    Db db(path_);
    const QStringList columns = db.Columns("Pta7");
    EXPECT_EQ(columns.size(), static_cast<qsizetype>(layout->values.size()));
    EXPECT_EQ(columns, PtaColumns(Version()));
    // The columns the part update, the checks and the rebuild use.
    QStringList needed = {"PartID", "UpRec", "Kind",  "PartNO", "FPartNO",
                          "lAtNO",  "EName", "TName", "Model",  "Import"};
    needed << (IsSearchTextVersion(Version()) ? QStringList{"EFind", "TFind"}
                                              : QStringList{"IndTName"})
           << Prices().split(", ");
    for (const QString& column : needed)
        EXPECT_TRUE(columns.contains(column, Qt::CaseInsensitive)) << column.toStdString();
    EXPECT_EQ(db.Scalar("Select Ver From System").toString(), Version());
    EXPECT_EQ(db.Scalar("Select BrandID From Brand Where BrandName = 'TATA'").toInt(), 7);
}

TEST_P(LayoutFixture, NewPartRowGoesInByPositionAndReadsBackByName) {
    Db db(path_);
    db.Exec("Insert Into Pta7 Values( " + SampleRowValues(Version(), 7) + " )");
    // UpRec 0: a new part is open to later updates.
    EXPECT_EQ(RowTexts(db, "Select PartID, Kind, PartNO, " + Prices() +
                               ", TName, FPartNO, lKind, lAtNO, EName, Model, Import, UpRec "
                               "From Pta7"),
              QStringList{"1001|A|12-345|150.25|135|ไส้กรอง|12345|B|999|FILTER|KT-1|1|0"});
    if (IsSearchTextVersion(Version())) {
        EXPECT_EQ(RowTexts(db, "Select EFind, TFind From Pta7"),
                  QStringList{"FILTER  KT-1|ไส้กรอง  KT-1"});
    }
}

TEST_P(LayoutFixture, SeededPartLandsInItsColumnsAndCopies) {
    Part part;
    part.PartID = 55;
    part.Kind = "K";
    part.PartNO = "9-876";
    part.FPartNO = "9876";
    part.EName = "O'RING";
    part.TName = "โอริง";
    part.Model = "NPR";
    part.Price = "12.5";
    part.Sale = "10";
    part.UpRec = 1;
    SeedPart(path_, Version(), 7, part);
    Db db(path_);
    EXPECT_EQ(RowTexts(db, "Select PartID, Kind, PartNO, FPartNO, EName, TName, Model, " +
                               Prices() + ", UpRec From Pta7"),
              QStringList{"55|K|9-876|9876|O'RING|โอริง|NPR|12.5|10|1"});
    EXPECT_EQ(db.Count("Alt7", "AltID = 55 And Kind = 'K' And PartNO = '9-876' And "
                               "APrice = 12.5"),
              1);
    if (IsAltSaleVersion(Version())) {
        EXPECT_EQ(db.Count("Alt7", "ASale = 10"), 1);
    }
    EXPECT_EQ(db.Count("MovementStock", "PartID = 55 And BrandID = 7 And Model = 'NPR'"), 1);
    EXPECT_EQ(db.Count("SPG", "PartID = 55 And BrandID = 7 And Price = 12.5"), 1);
    EXPECT_EQ(db.Count("Price", "PartID = 55 And TName = 'โอริง'"), 1);
    EXPECT_EQ(db.Count("Sale", "PartID = 55 And BrandID = 7"), 1);
}

INSTANTIATE_TEST_SUITE_P(AllVersions, LayoutFixture, ::testing::ValuesIn(AllVersionTexts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name;
                             for (char c : info.param)
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(LayoutFixtureTables, AltRowsAndStagedRowsGoInByPosition) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CreateTarget(dir.filePath("plain.db"), "V.31", 12);
    CreateTarget(dir.filePath("sale.db"), "P.49 (Bar)", 12);
    {
        Db db(dir.filePath("plain.db"));
        db.Exec("Insert Into Alt12 Values( 1001, 'A', '12-345', 150 )");
        EXPECT_EQ(db.Count("Alt12", "AltID = 1001 And Kind = 'A' And APrice = 150"), 1);
        db.Exec("Insert Into PriceList Values( 12, '12-345', 'A', '999', 'B', '777', 'C', "
                "'FILTER', 'TF', 'KT-1', '1', 12.5, 10 )");
        EXPECT_EQ(RowTexts(db, "Select BrandID, PartNO, Kind, lAtNO, lKind, AltNO, AKind, "
                               "Import, Price, Sale From PriceList"),
                  QStringList{"12|12-345|A|999|B|777|C|1|12.5|10"});
        for (const char* table : {"AltG12", "FacD12", "Fac", "AltGX", "LastID", "OldID"})
            EXPECT_EQ(db.Count(table), 0) << table;
    }
    Db db(dir.filePath("sale.db"));
    db.Exec("Insert Into Alt12 Values( 1001, 1, 'A', '12-345', 150, 135 )");
    EXPECT_EQ(db.Count("Alt12", "AType = 1 And PartNO = '12-345' And ASale = 135"), 1);
}

TEST(LayoutFixtureTables, SourceFileListsChunksWithTheirRows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("PriceList_TATA.db");
    CreateSource(path);
    PriceRow row;
    row.Kind = "A";
    row.PartNO = "12-345";
    row.TName = "ไส้กรอง";
    row.Price = "150.25";
    AddChunk(path, 2, {row, row});
    AddChunk(path, 1, {});
    Db db(path);
    EXPECT_EQ(RowTexts(db, "Select Count From PriceList_Count Order By Count"),
              (QStringList{"1", "2"}));
    EXPECT_EQ(db.Columns("PriceList_2"), db.Columns("PriceListAll"));
    EXPECT_EQ(db.Columns("PriceListAll").size(), 14);
    EXPECT_EQ(db.Count("PriceList_1") + db.Count("PriceListAll"), 0);
    EXPECT_EQ(db.Count("PriceList_2", "Price = 150.25 And Sale = 0 And TName = 'ไส้กรอง'"), 2);
}

} // namespace
} // namespace tolvane::fixtures
