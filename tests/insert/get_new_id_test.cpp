#include "insert/get_new_id.h"

#include "data/connection.h"
#include "insert/insert_fixture.h"
#include "support/parts.h"
#include "support/sqlite_file.h"
#include "text/error.h"

namespace tolvane::testing {
namespace {

TEST(GetNewID, TakesTheSmallestFreedIdAndLeavesTheCounter) {
    InsertFixture f("V.31");
    f.Exec("Insert Into OldID Values ('Pta7', 17), ('Pta7', 5), ('Pta7', 30), ('Pta8', 1)");
    f.SetCounter("Pta7", 41);

    EXPECT_EQ(GetNewID(f.st, "Pta7"), 5);
    EXPECT_FALSE(f.st.rsData.IsOpen());
    EXPECT_EQ(f.Lines("Select NameID, OldID From OldID Order By NameID, OldID"),
              QStringList({"Pta7|17", "Pta7|30", "Pta8|1"}));
    EXPECT_EQ(f.Counter(), "41");
    EXPECT_EQ(GetNewID(f.st, "Pta7"), 17);
}

TEST(GetNewID, AdvancesOnlyItsOwnCounter) {
    InsertFixture f("V.31");
    f.SetCounter("Pta7", 41);
    f.SetCounter("Pta8", 10);
    f.Exec("Insert Into OldID Values ('Pta8', 3)");

    EXPECT_EQ(GetNewID(f.st, "Pta7"), 42);
    EXPECT_EQ(GetNewID(f.st, "Pta7"), 43);
    EXPECT_EQ(f.Lines("Select NameID, LastID From LastID Order By NameID"),
              QStringList({"Pta7|43", "Pta8|10"}));
    EXPECT_EQ(f.Count("OldID"), 1);
    EXPECT_FALSE(f.st.rsData.IsOpen());
}

TEST(GetNewID, StartsANewCounterAtOneAndWrapsToOneAfterTheLargestId) {
    InsertFixture f("V.31");
    EXPECT_EQ(GetNewID(f.st, "Pta7"), 1);
    EXPECT_EQ(f.Lines("Select NameID, LastID From LastID"), QStringList({"Pta7|1"}));
    EXPECT_EQ(GetNewID(f.st, "Pta7"), 2);
    EXPECT_EQ(f.Lines("Select NameID, LastID From LastID"), QStringList({"Pta7|2"}));
    f.SetCounter("Pta7", 2147483647);
    EXPECT_EQ(GetNewID(f.st, "Pta7"), 1);
    EXPECT_EQ(f.Counter(), "1");
}

TEST(GetNewID, MissingCounterTableGivesZeroQuietly) {
    InsertFixture f("V.31");
    f.Exec("Drop Table LastID");
    std::int32_t id = -1;
    EXPECT_NO_THROW(id = GetNewID(f.st, "Pta7"));
    EXPECT_EQ(id, 0);
    EXPECT_FALSE(f.st.rsData.IsOpen());
    // The connection is still usable afterwards.
    EXPECT_NO_THROW(f.st.Data().Execute("Delete From OldID"));
}

// Counters as a partly restored backup leaves them: every ID handed out is positive
// and free, bad freed IDs leave the pool, a counter behind the table moves past it.
TEST(GetNewID, NeverHandsOutAnIdInUse) {
    struct Case {
        const char* name;
        const char* oldIds;   // OldID rows of Pta7, "" for none
        int lastId;           // -1: no LastID row
        int expected;
        const char* counterAfter;
        const char* oldIdsAfter;
        int repairs;
    };
    // Parts 1 to 5 and 9 exist.
    const Case cases[] = {
        {"no counter row", "", -1, 10, "10", "", 1},
        {"counter behind, its next ID free", "", 6, 7, "7", "", 0},
        {"counter on a used ID", "", 4, 10, "10", "", 1},
        {"freed ID in use", "('Pta7', 3), ('Pta7', 7)", 40, 7, "40", "", 1},
        {"negative freed ID", "('Pta7', -3), ('Pta7', 0)", 40, 41, "41", "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InsertFixture f("V.31");
        for (int id : {1, 2, 3, 4, 5, 9})
            f.Seed(ShopPart(id, "A", QString::number(id), "1", "1"));
        f.Exec("Delete From LastID");
        if (c.lastId >= 0)
            f.SetCounter("Pta7", c.lastId);
        if (*c.oldIds)
            f.Exec(QString("Insert Into OldID Values ") + c.oldIds);
        EXPECT_EQ(DrawNewID(f.st, "Pta7"), c.expected);
        EXPECT_EQ(f.Counter(), c.counterAfter);
        EXPECT_EQ(f.Lines("Select OldID From OldID").join(','), c.oldIdsAfter);
        EXPECT_EQ(f.window.notices.size(), c.repairs) << f.window.notices.join('\n').toStdString();
        for (const QString& notice : f.window.notices)
            EXPECT_TRUE(notice.startsWith("counter repaired: ")) << notice.toStdString();
    }
}

// Changes the counter row through a second connection at the moment the first one
// writes it back, as another workstation drawing an ID at the same time would.
class ConcurrentDraw : public FaultInjector {
public:
    ConcurrentDraw() : other(Role::Target, {}) {}
    void Before(Role, TraceKind kind, const QString& text) override {
        if (kind != TraceKind::Recordset || !text.startsWith("Update LastID") || fired)
            return;
        fired = true;
        other.Open();
        other.Execute("Update LastID Set LastID = 50 Where NameID = 'Pta7'");
        other.Close();
    }
    Connection other;
    bool fired = false;
};

TEST(GetNewID, CounterChangedByAnotherWriterGivesZero) {
    ConcurrentDraw other; // outlives the fixture's connections
    InsertFixture f("V.31", DataHooks{nullptr, &other});
    other.other.SetConnectionString(AccessTextFor(f.path));
    f.SetCounter("Pta7", 41);

    EXPECT_EQ(GetNewID(f.st, "Pta7"), 0);
    EXPECT_TRUE(other.fired);
    EXPECT_FALSE(f.st.rsData.IsOpen());
    EXPECT_EQ(f.Counter(), "50"); // the other writer's value stands
}

} // namespace
} // namespace tolvane::testing
