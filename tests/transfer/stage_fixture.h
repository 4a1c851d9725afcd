#pragma once

// A run's two database files for the stage tests: the supplier's price list and the shop
// database of a chosen version, opened the way the Update command opens them.

#include "data/open_connection.h"
#include "data/run_state.h"
#include "data/version_brand.h"
#include "shop/db.h"
#include "shop/price_list_file.h"
#include "support/parts.h"
#include "support/run_fixture.h"
#include "text/versions.h"

#include <gtest/gtest.h>

namespace tolvane::testing {

constexpr int kBrand = 7;

// RunFixture with the supplier's file opened too, and the version and brand read from
// the shop database as the Update command reads them.
class StageFiles : public RunFixture {
public:
    explicit StageFiles(const QString& version = QStringLiteral("V.31"))
        : RunFixture(version, kBrand) {
        // The shop's part counter stands past the parts the tests seed.
        SqliteExec(targetPath, {"Insert Into LastID Values( 'Pta7', 1000 )"});
    }
    ~StageFiles() {
        state->rsList.Close();
        state->rsData.Close();
        state->rsWork.Close();
        if (state->cnPriceList)
            state->cnPriceList->Close();
        state->DiscardData();
    }

    void Chunk(int n, const std::vector<shop::PriceRow>& rows) {
        shop::AddChunk(sourcePath, n, rows);
    }

    // Both connections open, version and brand read: what a stage may take for granted.
    RunState& Open() {
        Reopen();
        RunState& s = st();
        s.strVer.clear();
        s.lngBrandID = 0;
        OpenPriceListConnection(s);
        EXPECT_EQ(GetDBVersion(s), 1);
        GetBrandID(s);
        EXPECT_EQ(s.lngBrandID, kBrand);
        window.progress.clear();
        window.yields = 0;
        trace.lines.clear();
        return s;
    }

    // Column names that hold a part's prices in this version.
    QString PriceColumn() const { return IsPrice1Version(version) ? "Price1" : "Price"; }
    QString SaleColumn() const { return IsPrice1Version(version) ? "Sale1" : "Sale"; }

    // "<price>/<sale>" of the part rows with this number, in PartID order; "" when none.
    QString Prices(const QString& partNO) {
        QStringList out;
        for (const shop::Row& r : Query(
                 targetPath, QString("Select %1, %2 From Pta7 Where PartNO = '%3' Order By PartID")
                                 .arg(PriceColumn(), SaleColumn(), partNO)))
            out << r[0].toString() + "/" + r[1].toString();
        return out.join(',');
    }
    // Rows of a table: PriceListAll in the supplier's file, any other in the shop's.
    int Count(const QString& table, const QString& where = QString()) {
        shop::Db db(table == "PriceListAll" ? sourcePath : targetPath);
        return db.Count(table, where);
    }
    std::vector<shop::Row> Query(const QString& path, const QString& sql) {
        shop::Db db(path);
        return db.Query(sql);
    }
};

} // namespace tolvane::testing
