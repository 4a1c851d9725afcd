// The whole run on shop databases of several versions.
#include "support/shop_fixture.h"

#include "transfer/price_stages.h"

#include <QRegularExpression>

namespace tolvane::testing {
namespace {

// Chunk 1 changes A-100, makes a part with linked and alternate parts, gives 300 no sale
// price; chunk 2 lists A-100 at another price: collected, put back, one grid line left.
void BuildRun(ShopFixture& f) {
    f.Chunk(1, {ListRow("A", "100", "150", "140"), ListRow("", "300", "60", "0"),
                Linked(ListRow("", "NEW-1", "80", "70", "ใหม่", "NM"), "LNK-1", "ALT-1")});
    f.Chunk(2, {ListRow("A", "100", "155", "140"), ListRow("", "400", "9.5", "9.5")});
    f.Seed(ShopPart(1, "A", "100", "1", "1"));
    f.Seed(ShopPart(2, "", "300", "5", "5"));
    f.Seed(ShopPart(3, "", "400", "9.5", "9.5"));
}

class RunTransferByVersion : public ::testing::TestWithParam<QString> {};

TEST_P(RunTransferByVersion, PricesNewPartsCollectedListGridAndGroups) {
    ShopFixture f(GetParam());
    BuildRun(f);
    f.window.fields.chkLikelAt = true;
    RunState& st = f.OpenBoth();

    RunTransfer(st);

    EXPECT_EQ(f.Prices({"100", "300", "400", "NEW-1", "LNK-1", "ALT-1"}),
              "150/140 60/0 9.5/9.5 80/70 80/70 80/70");
    EXPECT_EQ(f.Count("Pta7"), 6);
    EXPECT_EQ(f.Count("PriceList"), 0);
    EXPECT_EQ(f.Count("PriceListAll"), 2);

    const std::vector<QString> line(f.window.grid.at(1).begin() + 1, f.window.grid.at(1).end());
    EXPECT_EQ(line, (std::vector<QString>{"1", "", "A-100", "NAME", "MODEL", "150", "155"}));
    EXPECT_EQ(f.window.grid.at(2).at(1), "");

    // Enlarged, then centred with the new size, at the top.
    EXPECT_EQ(f.window.progress.filter(QRegularExpression("^(Height|Left|Top)\t")),
              (QStringList{"Height\t11520", "Left\t6840", "Top\t0"}));

    // ... after the collected list was applied and before the second check began.
    const QStringList& shown = f.window.progress;
    const qsizetype height = shown.indexOf("Height\t11520");
    EXPECT_LT(shown.indexOf(QStringLiteral("txtQTY\tกำลังเปลี่ยนราคา  TATA_All  100 %")), height);
    EXPECT_EQ(shown.indexOf(QStringLiteral("txtQTY\tกำลังครวจสอบข้อมูล  TATA"), height), height + 3);

    // The rebuild ran last: every group linked both ways, the queue empty.
    const int own =
        shop::Db(f.shopPath).Scalar("Select PartID From Pta7 Where PartNO = 'NEW-1'").toInt();
    EXPECT_EQ(f.Count("AltG7", QString("PartID = %1 And AltID > 0").arg(own)), 2);
    EXPECT_EQ(f.Count("AltG7", QString("AltID = %1").arg(own)), 2);
    EXPECT_EQ(f.Count("AltGX"), 0);
    EXPECT_EQ(f.window.txtQTY, QStringLiteral("จัดระเบียบเบอร์แทนใหม่  TATA"));
}

INSTANTIATE_TEST_SUITE_P(Versions, RunTransferByVersion,
                         ::testing::Values("V.31", "V.46 (Bar)", "P.45 (Bar)", "P.48 (Bar)",
                                           "P.49 (Bar)", "P.52", "P.64 (Bar)"),
                         [](const auto& info) { return ParamName(info.param); });

TEST(RunTransfer, ARunWithNothingLeftToCollectKeepsTheWindowAndTheGroups) {
    ShopFixture f("P.52");
    f.Chunk(1, {ListRow("", "100", "10", "9")});
    f.Seed(ShopPart(1, "", "100", "1", "1"));
    SqliteExec(f.shopPath, {"Insert Into AltGX Values( 5 )"});
    RunState& st = f.OpenBoth();

    RunTransfer(st);

    EXPECT_EQ(f.Prices({"100"}), "10/9");
    EXPECT_EQ(f.Count("PriceListAll"), 0);
    EXPECT_EQ(f.window.height, 4080);
    EXPECT_TRUE(f.window.progress.filter(QRegularExpression("^(Height|Left|Top)\t")).isEmpty());
    for (const auto& row : f.window.grid)
        EXPECT_EQ(row, std::vector<QString>(8));
    EXPECT_EQ(f.Count("AltGX"), 1);
    EXPECT_TRUE(f.trace.Of("execute").filter("AltGX").isEmpty());
    EXPECT_EQ(f.window.txtQTY, QStringLiteral("กำลังตรวจสอบข้อมูล  TATA  100 %"));

    // Ticked, the rebuild runs all the same: the queue is worked off.
    f.window.fields.chkLikelAt = true;
    RunTransfer(f.OpenBoth());
    EXPECT_EQ(f.Count("AltGX"), 0);
    EXPECT_EQ(f.Lines("Select PartID, AltID From AltG7"), QStringList({"1|0"}));
    EXPECT_EQ(f.window.txtQTY, QStringLiteral("จัดระเบียบเบอร์แทนใหม่  TATA"));
}

} // namespace
} // namespace tolvane::testing
