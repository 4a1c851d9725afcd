// The shop databases the tests build must take a new part row of every version as the
// program writes it, by position, and must hold every column the run reads or writes.
#include "fixtures/fixtures.h"
#include "insert/row_layouts.h"
#include "text/versions.h"

#include <QTemporaryDir>
#include <cctype>
#include <gtest/gtest.h>

namespace tolvane::fixtures {
namespace {

std::vector<std::string> AllVersionTexts() {
    int count = 0;
    const VersionInfo* versions = SupportedVersions(&count);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.emplace_back(versions[i].text);
    return texts;
}

// The columns the part update, the checks and the rebuild use for a version.
QStringList ColumnsTheRunTouches(const QString& version) {
    QStringList columns = {"PartID", "UpRec", "Kind",  "PartNO", "FPartNO",
                           "lAtNO",  "EName", "TName", "Model",  "Import"};
    if (IsSearchTextVersion(version))
        columns << "EFind"
                << "TFind";
    else
        columns << "IndTName";
    if (IsPrice1Version(version))
        columns << "Price1"
                << "Sale1";
    else
        columns << "Price"
                << "Sale";
    return columns;
}

class LayoutFixture : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("velmora.db");
        CreateTarget(path_, Version(), 7, "TATA");
    }
    QString Version() const { return QString::fromStdString(GetParam()); }
    QString PriceColumn() const { return IsPrice1Version(Version()) ? "Price1" : "Price"; }
    QString SaleColumn() const { return IsPrice1Version(Version()) ? "Sale1" : "Sale"; }

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
    for (const QString& needed : ColumnsTheRunTouches(Version()))
        EXPECT_TRUE(columns.contains(needed, Qt::CaseInsensitive)) << needed.toStdString();
    EXPECT_EQ(db.Scalar("Select Ver From System").toString(), Version());
    EXPECT_EQ(db.Scalar("Select BrandID From Brand Where BrandName = 'TATA'").toInt(), 7);
}

TEST_P(LayoutFixture, NewPartRowGoesInByPositionAndReadsBackByName) {
    Db db(path_);
    db.Exec("Insert Into Pta7 Values( " + SampleRowValues(Version(), 7) + " )");
    const auto rows = db.Query(QString("Select PartID, Kind, PartNO, %1, %2, TName, FPartNO, "
                                       "lKind, lAtNO, EName, Model, Import, UpRec From Pta7")
                                   .arg(PriceColumn(), SaleColumn()));
    ASSERT_EQ(rows.size(), 1u);
    const Row& row = rows.front();
    EXPECT_EQ(row[0].toInt(), 1001);
    EXPECT_EQ(row[1].toString(), "A");
    EXPECT_EQ(row[2].toString(), "12-345");
    EXPECT_EQ(row[3].toString(), "150.25");
    EXPECT_EQ(row[4].toString(), "135");
    EXPECT_EQ(row[5].toString(), QString("ไส้กรอง"));
    EXPECT_EQ(row[6].toString(), "12345");
    EXPECT_EQ(row[7].toString(), "B");
    EXPECT_EQ(row[8].toString(), "999");
    EXPECT_EQ(row[9].toString(), "FILTER");
    EXPECT_EQ(row[10].toString(), "KT-1");
    EXPECT_EQ(row[11].toString(), "1");
    EXPECT_EQ(row[12].toInt(), 0) << "a new part must be open to later updates";
    if (IsSearchTextVersion(Version())) {
        EXPECT_EQ(db.Scalar("Select EFind From Pta7").toString(), "FILTER  KT-1");
        EXPECT_EQ(db.Scalar("Select TFind From Pta7").toString(), QString("ไส้กรอง  KT-1"));
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
    const auto rows = db.Query(QString("Select PartID, Kind, PartNO, FPartNO, EName, TName, "
                                       "Model, %1, %2, UpRec From Pta7")
                                   .arg(PriceColumn(), SaleColumn()));
    ASSERT_EQ(rows.size(), 1u);
    const Row& row = rows.front();
    EXPECT_EQ(row[0].toInt(), 55);
    EXPECT_EQ(row[1].toString(), "K");
    EXPECT_EQ(row[2].toString(), "9-876");
    EXPECT_EQ(row[3].toString(), "9876");
    EXPECT_EQ(row[4].toString(), "O'RING");
    EXPECT_EQ(row[5].toString(), QString("โอริง"));
    EXPECT_EQ(row[6].toString(), "NPR");
    EXPECT_EQ(row[7].toString(), "12.5");
    EXPECT_EQ(row[8].toString(), "10");
    EXPECT_EQ(row[9].toInt(), 1);
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

std::string VersionTestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name;
    for (char c : info.param)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(AllVersions, LayoutFixture, ::testing::ValuesIn(AllVersionTexts()),
                         VersionTestName);

TEST(LayoutFixtureTables, AltRowsAndStagedRowsGoInByPosition) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath("plain.db");
    const QString withSale = dir.filePath("sale.db");
    CreateTarget(plain, "V.31", 12);
    CreateTarget(withSale, "P.49 (Bar)", 12);
    {
        Db db(plain);
        db.Exec("Insert Into Alt12 Values( 1001, 'A', '12-345', 150 )");
        EXPECT_EQ(db.Count("Alt12", "AltID = 1001 And Kind = 'A' And APrice = 150"), 1);
        db.Exec("Insert Into PriceList Values( 12, '12-345', 'A', '999', 'B', '777', 'C', "
                "'FILTER', 'TF', 'KT-1', '1', 12.5, 10 )");
        const auto rows = db.Query("Select BrandID, PartNO, Kind, lAtNO, lKind, AltNO, AKind, "
                                   "Import, Price, Sale From PriceList");
        ASSERT_EQ(rows.size(), 1u);
        const QStringList expected = {"12",  "12-345", "A", "999",  "B",
                                      "777", "C",      "1", "12.5", "10"};
        for (int i = 0; i < expected.size(); ++i)
            EXPECT_EQ(rows.front()[i].toString(), expected[i]) << "column " << i;
        for (const char* table : {"AltG12", "FacD12", "Fac", "AltGX", "LastID", "OldID"})
            EXPECT_EQ(db.Count(table), 0) << table;
    }
    Db db(withSale);
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
    const auto counts = db.Query("Select Count From PriceList_Count Order By Count");
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0][0].toInt(), 1);
    EXPECT_EQ(counts[1][0].toInt(), 2);
    EXPECT_EQ(db.Columns("PriceList_2"), db.Columns("PriceListAll"));
    EXPECT_EQ(db.Columns("PriceListAll").size(), 14);
    EXPECT_EQ(db.Count("PriceList_1"), 0);
    EXPECT_EQ(db.Count("PriceListAll"), 0);
    EXPECT_EQ(db.Count("PriceList_2", "Price = 150.25 And Sale = 0 And TName = 'ไส้กรอง'"), 2);
}

} // namespace
} // namespace tolvane::fixtures
