// The second check: what still differs becomes a line of the grid.
#include "support/shop_fixture.h"

#include "transfer/price_stages.h"

#include <QRegularExpression>

namespace tolvane::testing {
namespace {

std::vector<QString> Line(const RecordingWindow& w, int row) {
    return {w.grid.at(row).begin() + 1, w.grid.at(row).end()};
}

TEST(ShowPriceDiffStage, EachCaseWritesItsColumnsAndNumbersRunAcrossChunks) {
    ShopFixture f;
    f.Chunk(1, {ListRow("A", "123", "120", "110", "NAME", "MODEL"), ListRow("", "200", "20", "18"),
                ListRow("A", "300", "50", "95", "N3", "M3")});
    f.Chunk(2, {ListRow("A", "123", "130", "0", "NEW", "NM"), ListRow("A", "456", "7.25", "7")});
    f.Seed(ShopPart(1, "A", "123", "100", "110"));
    f.Seed(ShopPart(2, "", "200", "20", "18"));
    f.Seed(ShopPart(3, "A", "300", "50", "90"));
    SqliteExec(f.listPath, {"Insert Into PriceListAll (PartNO) Values ('KEEP')"});
    RunState& st = f.OpenBoth();

    ShowPriceDiff(st);

    using V = std::vector<QString>;
    EXPECT_EQ(Line(f.window, 1), (V{"1", "", "A-123", "NAME", "MODEL", "100", "120"}));
    EXPECT_EQ(Line(f.window, 2), (V{"2", "", "A-300", "N3", "M3", "90", "95"}));
    EXPECT_EQ(Line(f.window, 3), (V{"3", "", "A-123", "NEW", "NM", "100", "130"}));
    EXPECT_EQ(Line(f.window, 4), (V{"4", "New", "A - 456", "NAME", "MODEL", "", "7.25"}));
    EXPECT_EQ(Line(f.window, 5), V(7));
    EXPECT_EQ(f.window.GridRows(), 30);
    // The collected list is not touched; the target is re-opened for every chunk.
    EXPECT_EQ(f.Count("PriceListAll"), 1);
    EXPECT_EQ(f.trace.lines.filter(QRegularExpression("^target\tconnect")).size(), 2);
    EXPECT_EQ(f.window.QtyTexts().first(), QStringLiteral("กำลังครวจสอบข้อมูล  TATA"));
    EXPECT_EQ(f.window.txtQTY, QStringLiteral("กำลังตรวจสอบข้อมูล  TATA  100 %"));
    // Start, five rows, four lines, the closing yield.
    EXPECT_EQ(f.window.yields, 11);
}

TEST(ShowPriceDiffStage, TheGridGrowsOneRowAheadOfTheLastLine) {
    for (int lines : {28, 29, 31}) {
        ShopFixture f;
        std::vector<shop::PriceRow> rows;
        for (int i = 0; i < lines; ++i)
            rows.push_back(ListRow("", QString::number(1000 + i), "1", "1"));
        f.Chunk(1, rows);
        RunState& st = f.OpenBoth();
        ShowPriceDiff(st);
        EXPECT_EQ(f.window.GridRows(), lines < 29 ? 30 : lines + 2) << lines;
        EXPECT_EQ(f.window.grid.at(lines).at(1), QString::number(lines));
        EXPECT_EQ(f.window.grid.at(lines).at(3), QString::number(1000 + lines - 1));
    }
}

} // namespace
} // namespace tolvane::testing
