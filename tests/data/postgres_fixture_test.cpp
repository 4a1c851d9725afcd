// The PostgreSQL flavour of the shop database, reached as the program reaches a SQL
// Server: through the ODBC driver named "SQL Server" with the keys server, uid, pwd
// and database. Needs the private server that scripts/test starts.
#include "fixtures/fixtures.h"
#include "insert/row_layouts.h"
#include "text/amount.h"
#include "text/versions.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace tolvane::fixtures {
namespace {

class PgFixture : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = PgServerFromEnvironment();
        if (!server_.available())
            GTEST_SKIP() << "TOLVANE_PG_SOCKET_DIR not set: run through scripts/test";
        database_ = std::make_unique<PgDatabase>(server_);
        db_ = std::make_unique<Db>(OdbcText{database_->ConnectionText()});
    }
    void TearDown() override {
        db_.reset();
        database_.reset();
    }

    PgServer server_;
    std::unique_ptr<PgDatabase> database_;
    std::unique_ptr<Db> db_;
};

TEST_F(PgFixture, ProgramConnectionTextReachesTheServerAndChecksThePassword) {
    EXPECT_EQ(db_->Scalar("SELECT current_user").toString(), "shop");
    EXPECT_EQ(db_->Scalar("SELECT current_database()").toString(), database_->name());
    PgServer wrong = server_;
    wrong.password = "not-the-password";
    EXPECT_THROW(Db(OdbcText{wrong.ConnectionText(server_.database)}), std::runtime_error);
}

TEST_F(PgFixture, TargetsOfSeveralVersionsTakeTheirPartRows) {
    // Each version in a schema of its own inside this test's database.
    for (const char* text : {"V.31", "P.45 (Bar)", "P.49 (Bar)", "P.64 (Bar)"}) {
        SCOPED_TRACE(text);
        const QString version = QString::fromLatin1(text);
        const QString schema = "v_" + version.left(4).remove('.').toLower();
        db_->Exec("CREATE SCHEMA " + schema);
        db_->Exec("SET search_path TO " + schema);
        CreateTargetOn(db_->database(), version, 7, "TATA", Flavour::PostgreSQL);

        const QStringList columns = db_->Columns("Pta7");
        ASSERT_EQ(columns.size(), static_cast<qsizetype>(LayoutForVersion(version)->values.size()));
        EXPECT_EQ(columns.join(','), PtaColumns(version).join(',').toLower());

        db_->Exec("Insert Into Pta7 Values( " + SampleRowValues(version, 7) + " )");
        const QString prices = IsPrice1Version(version) ? "Price1, Sale1" : "Price, Sale";
        const auto rows =
            db_->Query("Select PartID, Kind, PartNO, " + prices + ", TName, UpRec From Pta7");
        ASSERT_EQ(rows.size(), 1u);
        const Row& row = rows.front();
        EXPECT_EQ(QStringList({row[0].toString(), row[1].toString(), row[2].toString(),
                               Currency::FromVariant(row[3]).ToText(),
                               Currency::FromVariant(row[4]).ToText(), row[5].toString(),
                               row[6].toString()}),
                  QStringList({"1001", "A", "12-345", "150.25", "135", "ไส้กรอง", "0"}));
        EXPECT_EQ(db_->Scalar("Select Ver From System").toString(), version);
    }
}

TEST_F(PgFixture, AmountsAreExactAndYesNoColumnsBoolean) {
    CreateTargetOn(db_->database(), "V.31", 7, "TATA", Flavour::PostgreSQL);
    const auto types = db_->Query(
        "SELECT table_name, column_name, data_type, numeric_precision, numeric_scale "
        "FROM information_schema.columns WHERE table_schema = 'public' AND "
        "(data_type IN ('numeric', 'boolean') OR column_name IN ('price', 'sale', 'aprice')) "
        "ORDER BY table_name, ordinal_position");
    QStringList seen;
    for (const Row& t : types) {
        seen << t[0].toString() + "." + t[1].toString();
        if (t[2].toString() == "numeric") {
            EXPECT_EQ(t[3].toInt(), 19) << seen.last().toStdString();
            EXPECT_EQ(t[4].toInt(), 4) << seen.last().toStdString();
        }
    }
    for (const char* amount : {"pta7.price", "pta7.sale", "alt7.aprice", "pricelist.price",
                               "pricelist.sale", "spg.price"})
        EXPECT_TRUE(seen.contains(amount)) << amount;
    // V.31 writes True, False at its 21st and 22nd values.
    EXPECT_TRUE(seen.contains("pta7.c21") && seen.contains("pta7.c22"));

    // A staged row goes in by position; an amount keeps its four places exactly.
    db_->Exec("Insert Into PriceList Values( 7, '12-345', 'A', '', '', '', '', 'FILTER', "
              "'ไส้กรอง', 'KT-1', '1', 150.1234, 135 )");
    EXPECT_EQ(db_->Count("PriceList", "BrandID = 7 And Kind = 'A' And PartNO = '12-345' And "
                                      "Price = 150.1234 And Sale = 135"),
              1);
}

TEST_F(PgFixture, SeededPartsReadBackThroughTheirColumns) {
    CreateTargetOn(db_->database(), "P.49 (Bar)", 7, "TATA", Flavour::PostgreSQL);
    Part part;
    part.PartID = 55;
    part.Kind = "K";
    part.PartNO = "9-876";
    part.FPartNO = "9876";
    part.EName = "O'RING";
    part.TName = "โอริง";
    part.Price = "12.5";
    part.Sale = "10";
    SeedPartOn(db_->database(), "P.49 (Bar)", 7, part);
    EXPECT_EQ(db_->Count("Pta7", "PartID = 55 And FPartNO = '9876' And EName = 'O''RING' And "
                                 "Price = 12.5 And Sale = 10 And UpRec = 0"),
              1);
    EXPECT_EQ(db_->Count("Alt7", "AltID = 55 And APrice = 12.5 And ASale = 10"), 1);
    EXPECT_EQ(db_->Count("SPG", "PartID = 55 And BrandID = 7 And Price = 12.5"), 1);
    EXPECT_EQ(db_->Count("Sale", "PartID = 55 And TName = 'โอริง'"), 1);
}

} // namespace
} // namespace tolvane::fixtures
