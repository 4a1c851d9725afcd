// The collected list PriceListAll applied once to a real shop database.
#include "support/shop_fixture.h"

#include "transfer/price_stages.h"

#include <QRegularExpression>

namespace tolvane::testing {
namespace {

void Collect(ShopFixture& f, const std::vector<shop::PriceRow>& rows) {
    shop::Db db(f.listPath);
    for (const shop::PriceRow& r : rows)
        db.Insert("PriceListAll",
                  {r.Kind, r.PartNO, r.PartNew, r.FPartNew, r.lKind, r.lAtNO, r.AKind, r.AltNO,
                   r.EName, r.TName, r.Model, r.Import, r.Price, r.Sale});
}

TEST(ApplyPriceListAllStage, AppliesEveryRowAsListedAndCreatesTheMissingParts) {
    ShopFixture f;
    // Link fields of the collected list are not used here.
    Collect(f, {ListRow("A", "100", "150", "0", "N", "M"), ListRow("", "200", "40", "35"),
                Linked(ListRow("B", "300", "70", "65", "N", "M"), "999", "998")});
    f.Seed(ShopPart(1, "A", "100", "1", "1"));
    f.Seed(ShopPart(2, "", "200", "1", "1"));
    RunState& st = f.OpenBoth();

    ApplyPriceListAll(st);

    EXPECT_EQ(f.Prices({"100", "200", "300"}), "150/0 40/35 70/65"); // a sale of 0 stays 0 here
    EXPECT_EQ(f.Count("Pta7", "PartNO In ('999', '998')"), 0);
    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_EQ(f.trace.Of("open").filter("Select UpRec, PartID From Pta7").size(), 3);

    const QString changing = QStringLiteral("กำลังเปลี่ยนราคา  TATA_All  ");
    const QStringList seen = f.window.QtyTexts();
    EXPECT_EQ(seen.mid(0, 4), (QStringList{QStringLiteral("กำลังย้ายข้อมูล  TATA"), changing + "33 %",
                                           changing + "66 %", changing + "100 %"}));
    EXPECT_EQ(seen.last(), QStringLiteral("กำลังเพิ่มข้อมูลใหม่  TATA  100 %"));
    EXPECT_TRUE(f.window.progress.contains("txtPartNO\tA-100 - N   M"));
    EXPECT_TRUE(f.window.progress.contains("txtPartNO\tB-300 - N   M"));
}

TEST(ApplyPriceListAllStage, StagingIsCleanedOnceWithoutReconnectingEvenForAnEmptyList) {
    ShopFixture f;
    f.Exec("Insert Into PriceList Values (7, 'OLD', '', '', '', '', '', 'E', 'T', 'M', '', 1, 1), "
           "(8, 'OTHER', '', '', '', '', '', 'E', 'T', 'M', '', 1, 1)");
    RunState& st = f.OpenBoth();

    ApplyPriceListAll(st);

    // The brand's left-over row is gone before the insertion could make a part of it.
    EXPECT_EQ(f.Count("Pta7", "PartNO = 'OLD'"), 0);
    EXPECT_EQ(f.Count("PriceList"), 1);
    const qsizetype clean =
        f.trace.lines.indexOf("target\texecute\tDelete From PriceList Where BrandID = 7");
    ASSERT_GE(clean, 0);
    const qsizetype firstConnect = f.trace.lines.indexOf(QRegularExpression("^target\tconnect"));
    EXPECT_TRUE(firstConnect < 0 || firstConnect > clean);
    EXPECT_EQ(f.window.txtQTY, QStringLiteral("กำลังเพิ่มข้อมูลใหม่  TATA  100 %"));
}

} // namespace
} // namespace tolvane::testing
