// The rebuild of the brand's alternate groups through the AltGX queue.
#include "support/shop_fixture.h"

#include "text/error.h"
#include "transfer/price_stages.h"

namespace tolvane::testing {
namespace {

class RebuildAltGXStage : public ::testing::Test {
protected:
    void SetUp() override { f.Exec("Insert Into Fac Values (1, 'F1'), (2, 'F2'), (3, 'F3')"); }
    void Parts(std::initializer_list<int> ids) {
        for (int id : ids)
            f.Seed(ShopPart(id, "", "P" + QString::number(id), "1", "1"), false);
    }
    ShopFixture f;
};

TEST_F(RebuildAltGXStage, EveryGroupIsFullyLinkedAndSharesTheHeadsFactories) {
    Parts({10, 20, 30, 40, 50});
    // 10 lists 20 and 30, 20 a part outside the group, 30 nobody; 40 is alone; links of
    // part 0 are junk.
    f.Exec("Insert Into AltG7 Values (0, 10, 20), (0, 10, 30), (0, 20, 50), (0, 0, 40)");
    f.Exec("Insert Into FacD7 Values (0, 10, 1), (0, 10, 2), (0, 30, 3), (0, 40, 3)");
    f.Exec("Insert Into AltGX Values (999)");
    RunState& st = f.OpenBoth();

    RebuildAltGX(st);

    EXPECT_EQ(f.Links(), "10>20 10>30 20>10 20>30 30>10 30>20 40>0 50>0");
    EXPECT_EQ(f.Links("FacD7"), "10>1 10>2 20>1 20>2 30>1 30>2 40>3");
    EXPECT_EQ(f.Count("AltGX"), 0);
    EXPECT_FALSE(st.rsList.IsOpen());
    EXPECT_FALSE(st.cnData->InTransaction());
    EXPECT_EQ(f.window.QtyTexts(), QStringList{QStringLiteral("จัดระเบียบเบอร์แทนใหม่  TATA")});
    // 20 and 30 left the queue with their head: three groups, three heads shown.
    EXPECT_EQ(f.window.progress.filter("txtPartNO").join(','),
              "txtPartNO\t10,txtPartNO\t40,txtPartNO\t50");
    EXPECT_EQ(f.trace.Of("begin").size(), 3);
    EXPECT_EQ(f.trace.Of("commit").size(), 3);
}

TEST_F(RebuildAltGXStage, NonPositivePartIDsLeaveTheQueueSoTheRebuildEnds) {
    Parts({0, -3, 10});
    RunState& st = f.OpenBoth();

    RebuildAltGX(st);

    EXPECT_EQ(f.Count("AltGX"), 0);
    EXPECT_TRUE(f.trace.Of("execute").contains("Delete From AltGX Where PartID = 0"));
    EXPECT_TRUE(f.trace.Of("execute").contains("Delete From AltGX Where PartID = -3"));
    EXPECT_EQ(f.Links(), "10>0");
}

TEST_F(RebuildAltGXStage, AHeadThatIsNoNumberStopsWithAnErrorAndEarlierGroupsStay) {
    Parts({10, 20});
    f.Exec("Update Pta7 Set PartID = Null Where PartID = 20");
    RunState& st = f.OpenBoth();
    EXPECT_THROW(RebuildAltGX(st), Error);
    EXPECT_EQ(f.Links(), "10>0");
}

} // namespace
} // namespace tolvane::testing
