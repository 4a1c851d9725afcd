#include "insert/get_new_id.h"

#include "data/connection.h"
#include "data/open_connection.h"
#include "support/error_of.h"
#include "support/shop_fixture.h"

namespace tolvane::testing {
namespace {

// Each case starts from parts 1 to 5 and 9 (unless `parts` is false) and its counters.
struct Case {
    const char* name;
    const char* oldIds; // OldID rows, "" for none
    const char* lastId; // the LastID value of Pta7 as SQL, nullptr: no row
    QList<int> drawn;   // the IDs handed out, in order
    const char* counterAfter;
    const char* oldIdsAfter; // the OldID rows left, all names
    int repairs;
    bool parts = true;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

const Case kCases[] = {
    // The smallest freed ID first; the counter stays until the pool is empty.
    {"freed IDs", "('Pta7', 17), ('Pta7', 6), ('Pta8', 1)", "40", {6, 17, 41}, "41", "Pta8|1", 0},
    {"counter", "", "40", {41, 42}, "42", "", 0},
    {"a new counter starts at 1", "", nullptr, {1, 2}, "2", "", 0, false},
    {"a new counter starts past the parts", "", nullptr, {10}, "10", "", 1},
    {"after the largest ID comes 1", "", "2147483647", {10}, "10", "", 1},
    // Another counter's freed IDs stay, the same numbers included.
    {"freed ID of two counters", "('Pta7', 6), ('Pta8', 6)", "40", {6, 41}, "41", "Pta8|6", 0},
    // Counters as a partly restored backup or a hand edit leaves them: no ID in use, and
    // nothing but a positive whole number, is handed out.
    {"counter behind, its next ID free", "", "6", {7, 8, 10}, "10", "", 1},
    {"freed ID in use", "('Pta7', 3), ('Pta7', 7)", "40", {7}, "40", "", 1},
    {"freed ID -3, 0, 6.5", "('Pta7', -3), ('Pta7', 0), ('Pta7', 6.5)", "40", {41}, "41", "", 3},
    {"freed ID Null", "('Pta7', Null), ('Pta7', 6)", "40", {6, 41}, "41", "", 1},
    // An ID put back twice: removing it removes every entry of it at once.
    {"freed ID in use twice", "('Pta7', 3), ('Pta7', 3), ('Pta7', 7)", "40", {7}, "40", "", 1},
    {"freed ID Null twice", "('Pta7', Null), ('Pta7', Null), ('Pta7', 6)", "40", {6, 41}, "41", "",
     1},
    {"freed ID text", "('Pta7', 'x'), ('Pta7', 7)", "40", {7, 41}, "41", "", 1},
    {"counter Null", "", "Null", {10, 11}, "11", "", 1},
    {"counter text", "", "'abc'", {10}, "10", "", 1},
    {"counter negative", "", "-5", {10}, "10", "", 1},
    // No ID either, where counting on from 0 would hand out a free ID unnoticed.
    {"counter Null, no parts", "", "Null", {1}, "1", "", 1, false},
    {"counter fraction, no parts", "", "6.5", {1, 2}, "2", "", 1, false},
};

class GetNewIDCase : public ::testing::TestWithParam<Case> {};

TEST_P(GetNewIDCase, HandsOutTheNextFreeIdOfItsOwnCounter) {
    const Case& c = GetParam();
    ShopFixture f;
    for (int id : {1, 2, 3, 4, 5, 9})
        if (c.parts)
            f.Seed(ShopPart(id, "A", QString::number(id), "1", "1"), false);
    f.Exec("Delete From LastID");
    f.SetCounter("Pta8", 77);
    if (c.lastId)
        f.Exec(QString("Insert Into LastID Values ('Pta7', %1)").arg(c.lastId));
    if (*c.oldIds)
        f.Exec(QString("Insert Into OldID Values ") + c.oldIds);
    f.OpenTarget();

    QList<int> drawn;
    for (qsizetype i = 0; i < c.drawn.size(); ++i)
        drawn << GetNewID(f.st(), "Pta7");
    EXPECT_EQ(drawn, c.drawn);
    EXPECT_FALSE(f.st().rsData.IsOpen());
    EXPECT_EQ(f.Counter(), c.counterAfter);
    EXPECT_EQ(f.Counter("Pta8"), "77");
    EXPECT_EQ(f.Lines("Select NameID, OldID From OldID").join(','), c.oldIdsAfter);
    EXPECT_EQ(f.window.notices.size(), c.repairs) << f.window.notices.join('\n');
    for (const QString& notice : f.window.notices)
        EXPECT_TRUE(notice.startsWith("counter repaired: ")) << notice;
}

INSTANTIATE_TEST_SUITE_P(Counters, GetNewIDCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return ParamName(info.param.name); });

TEST(GetNewID, AMissingCounterTableGivesZeroQuietly) {
    ShopFixture f;
    f.Exec("Drop Table LastID");
    f.OpenTarget();
    EXPECT_EQ(GetNewID(f.st(), "Pta7"), 0);
    EXPECT_FALSE(f.st().rsData.IsOpen());
    EXPECT_NO_THROW(f.st().Data().Execute("Delete From OldID")); // still usable
}

// Another workstation draws an ID between this one's read of the counter row and its
// write: the write finds the row changed and the draw gives 0.
TEST(GetNewID, ACounterChangedByAnotherWriterGivesZero) {
    struct OtherWriter : FaultInjector {
        QString path;
        bool fired = false;
        void Before(Role, TraceKind kind, const QString& text) override {
            if (kind != TraceKind::Recordset || !text.startsWith("Update LastID") || fired)
                return;
            fired = true;
            shop::Db(path).Exec("Update LastID Set LastID = LastID + 1 Where NameID = 'Pta7'");
        }
    } other;
    ShopFixture f;
    other.path = f.shopPath;
    f.OpenTarget();
    f.st().hooks.faults = &other;
    f.st().DiscardData();
    OpenConnection(f.st()); // a connection made with the other writer's hook

    EXPECT_TRUE(ErrorOf([&] { DrawNewID(f.st(), "Pta7"); })
                    .message()
                    .startsWith("The row was changed or deleted by another user"));
    EXPECT_TRUE(other.fired);
    other.fired = false;
    EXPECT_EQ(GetNewID(f.st(), "Pta7"), 0);
    EXPECT_TRUE(other.fired);
    EXPECT_FALSE(f.st().rsData.IsOpen());
    EXPECT_EQ(f.Counter(), "1002"); // the other writer's values stand
}

} // namespace
} // namespace tolvane::testing
