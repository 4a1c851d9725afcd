#include "parts/alt_links.h"

#include "data/run_state.h"
#include "support/shop_fixture.h"
#include "text/error.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace tolvane {
namespace {

using testing::ShopFixture;

// A shop of brand 7 holding parts `ids` (no copies) and factories 5 and 6.
struct Shop {
    ShopFixture f;

    explicit Shop(std::initializer_list<int> ids) {
        for (int id : ids)
            f.Seed(testing::ShopPart(id, "A", QString::number(id), "1", "1"), false);
        f.Exec("Insert Into Fac Values (5, 'F5'), (6, 'F6')");
        f.OpenTarget();
    }

    // Rows PartID>AltID (or FacID) in the table.
    void Link(const QString& table, std::initializer_list<std::pair<int, int>> links) {
        for (const auto& [part, other] : links)
            f.Exec(QString("Insert Into %1 Values (0, %2, %3)").arg(table).arg(part).arg(other));
    }
};

TEST(SaveAltGFacD, LonePartGetsThePlaceholderAndLosesDeadLinks) {
    Shop shop({1});
    shop.Link("AltG7", {{1, 999}, {1, 0}}); // 999: a part the brand does not hold
    shop.Link("FacD7", {{1, 55}});          // a factory Fac does not hold

    SaveAltGFacD(shop.f.st(), 1, 0, 0);

    EXPECT_EQ(shop.f.Links("AltG7"), "1>0");
    EXPECT_EQ(shop.f.Links("FacD7"), "");
    EXPECT_EQ(shop.f.Statements(),
              QStringList({
                  "Select Pta7.PartID From AltG7 Inner Join Pta7 On AltG7.AltID = Pta7.PartID "
                  "Where AltG7.PartID = 1",
                  "Select Fac.FacID From FacD7 Inner Join Fac On FacD7.FacID = Fac.FacID Where "
                  "PartID = 1",
                  "Delete From AltG7 Where PartID = 1",
                  "Delete From FacD7 Where PartID = 1",
                  "Insert Into AltG7 Values( 0, 1, 0 )",
              }));
    EXPECT_FALSE(shop.f.st().rsData.IsOpen());
    EXPECT_EQ(shop.f.st().lngFacUB, 0);
}

// Repeated, zero and negative IDs leave the group {1, 2}; a lone part only the placeholder.
TEST(SaveAltGFacD, RepeatedZeroAndNegativeIdsCountOnce) {
    const std::vector<std::pair<std::array<int, 3>, QString>> cases = {
        {{1, 2, 2}, "1>2 2>1"},  {{1, 1, 2}, "1>2 2>1"}, {{1, -5, 2}, "1>2 2>1"},
        {{1, 2, -1}, "1>2 2>1"}, {{1, 1, 0}, "1>0"},
    };
    for (const auto& [ids, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << ids[0] << "," << ids[1] << "," << ids[2]);
        Shop shop({1, 2});
        SaveAltGFacD(shop.f.st(), ids[0], ids[1], ids[2]);
        EXPECT_EQ(shop.f.Links("AltG7"), expected);
        EXPECT_TRUE(shop.f.Statements().filter("-").isEmpty());
    }
}

// Only the part's direct alternates join; links to parts outside the group go, and
// the outsider's own rows stay.
TEST(SaveAltGFacD, GroupMembersAreLinkedToEachOtherAndShareTheFirstPartsFactories) {
    Shop shop({1, 2, 3, 4, 8});
    shop.Link("AltG7", {{1, 2}, {1, 3}, {2, 4}, {4, 2}}); // 2 also points outside the group
    shop.Link("FacD7", {{1, 5}, {1, 5}, {2, 6}, {4, 6}}); // 1>5 twice: comes back once

    SaveAltGFacD(shop.f.st(), 1, 8, 0);

    EXPECT_EQ(shop.f.Links("AltG7"), "1>2 1>3 1>8 2>1 2>3 2>8 3>1 3>2 3>8 4>2 8>1 8>2 8>3");
    EXPECT_EQ(shop.f.Links("FacD7"), "1>5 2>5 3>5 4>6 8>5");
    EXPECT_EQ(shop.f.st().lngAltUB, 5);
}

// The readers leave rsData open on the first row when there is one; without (brand 0,
// no link, a table an older database lacks) they give 0 with rsData closed.
TEST(LoadAltG, LeavesRsDataOpenOnTheAlternatesOrGivesZero) {
    Shop shop({1, 2, 3});
    shop.Link("AltG7", {{1, 2}, {1, 3}, {1, 0}});
    RunState& st = shop.f.st();
    ASSERT_EQ(LoadAltG(st, 7, 1), 1);
    EXPECT_EQ(st.rsData.RecordCount(), 2);
    st.rsData.Close();
    EXPECT_EQ(LoadAltG(st, 7, 2), 0);
    EXPECT_EQ(LoadAltG(st, 0, 1) + LoadFacD(st, 0, 1), 0);
    EXPECT_EQ(shop.f.Statements().size(), 2); // brand 0 asks nothing
    shop.f.Exec("Drop Table AltG7");
    shop.f.Exec("Drop Table Fac");
    EXPECT_EQ(LoadAltG(st, 7, 1) + LoadFacD(st, 7, 1), 0);
    EXPECT_FALSE(st.rsData.IsOpen());
}

TEST(ClearDupAltID, KeepsTheFirstOfEveryPositiveEntryWithinTheCount) {
    ShopFixture f;
    RunState& st = f.OpenTarget();
    st.lngAltID = {3, 0, 3, -1, 4, -1, 3, 4, 3};
    st.lngAltUB = 8; // the last entry lies outside the group
    ClearDupAltID(st);
    EXPECT_EQ(st.lngAltID, std::vector<std::int32_t>({3, 0, 0, -1, 4, -1, 0, 0, 3}));

    st.lngFacID = {6, 6, 5, 6};
    st.lngFacUB = 4;
    ClearDupFacID(st);
    EXPECT_EQ(st.lngFacID, std::vector<std::int32_t>({6, 0, 5, 0}));
}

} // namespace
} // namespace tolvane
