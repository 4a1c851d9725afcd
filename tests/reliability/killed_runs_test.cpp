// Runs killed at random operations of each stage (a child of this process, killed by its own
// database hook) and run again, on a shop file and on a server shop. The seed is printed;
// TOLVANE_RELIABILITY_SEED repeats a series.
#include "command/update_command.h"
#include "parts/progress.h"
#include "support/shop_fixture.h"
#ifdef TOLVANE_SERVER_SHOP
#include "server_shop.h"
#endif

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <csignal>
#include <iostream>
#include <random>

namespace tolvane::testing {
namespace {

constexpr int kKills = 12; // in each stage
const QString kFinished = QStringLiteral("เสร็จแล้วจ้า");

enum Stage { kPrices, kNewParts, kCheck, kCollected, kDifferences, kRebuild, kStages };
const char* const kStageNames[kStages] = {"prices",         "new parts",   "check",
                                          "all-brand list", "differences", "rebuild"};

// Numbers the run's operations by the stage its texts tell; kills it before the chosen one.
struct Moments : RecordingWindow, FaultInjector {
    explicit Moments(int killAt = 0) : killAt(killAt) {}
    int killAt, seen = 0, stage = kStages;
    std::array<std::vector<int>, kStages> byStage;

    void SetTxtQTY(const QString& text) override {
        const bool checked = stage >= kCheck && stage < kStages;
        if (text.startsWith(kPhraseRebuilding))
            stage = kRebuild;
        else if (text.startsWith(kPhraseCheckStart))
            stage = checked ? kDifferences : kCheck;
        else if (checked && stage < kDifferences && !text.startsWith(kPhraseChecking))
            stage = kCollected;
        else if (text.startsWith(kPhraseChanging) || text.startsWith(kPhraseMoving))
            stage = kPrices;
        else if (text.startsWith(kPhraseAdding))
            stage = kNewParts;
    }
    void Before(Role, TraceKind, const QString&) override {
        if (++seen == killAt)
            raise(SIGKILL);
        if (stage < kStages)
            byStage[stage].push_back(seen);
    }
};

// A folder in memory where there is one: a killed run leaves it as a disk, with no syncs.
QString Scratch() {
    return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tolvane-XXXXXX") : QString();
}

void CopyFresh(const QString& from, const QString& to) {
    for (const char* side : {"", "-wal", "-shm", ".tolvane.lock", ".tolvane.journal-mode"})
        QFile::remove(to + side);
    ASSERT_TRUE(QFile::copy(from, to)) << to;
}

// The rows one of two snapshots holds and the other lacks, the first ten.
QString Differences(const QStringList& expected, const QStringList& actual) {
    QStringList apart;
    std::set_symmetric_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                                  std::back_inserter(apart));
    return apart.mid(0, 10).join('\n') + (apart.size() > 10 ? "\n..." : "");
}

// The shop, fresh from one sample for every run: three chunks, new, linked and alternate
// parts, a collected list, alternate groups.
class Shop {
public:
    explicit Shop(const QTemporaryDir& dir) {
        std::tie(pristineShop, pristineList) = SampleFiles(dir.filePath("pristine"), 300, 150, 50);
        fields.txtPriceList = dir.filePath("PriceList_TATA.mdb");
        fields.txtDataVelmora = dir.filePath("Velmora.accdb");
        fields.chkLikelAt = true;
        files = {{fields.txtPriceList, pristineList}, {fields.txtDataVelmora, pristineShop}};
    }
    virtual ~Shop() = default;
    virtual void Fresh() {
        for (const auto& [file, pristine] : files)
            CopyFresh(pristine, file);
    }
    virtual std::unique_ptr<shop::Db> Db() {
        return std::make_unique<shop::Db>(fields.txtDataVelmora);
    }
    // Once a killed run is gone, nothing of it stands in the next run's way.
    virtual void AfterKill() {}
    FormFields fields;
    QString pristineShop, pristineList;
    // The list file and the shop file (where the shop is one), each with its pristine copy.
    std::vector<std::pair<QString, QString>> files;

    // The Update command as the window runs it, the alternates rebuilt; its last message.
    QString Run(Moments&& window = Moments()) {
        window.fields = fields;
        RunState st(window, DataHooks{nullptr, &window});
        cmdUpDate_Click(st);
        return window.messages.back().text + window.messages.back().detail;
    }
    // Every row of every table of the shop, and of the list's PriceListAll, sorted.
    QStringList Snapshot() {
        const std::unique_ptr<shop::Db> db = Db();
        shop::Db list(fields.txtPriceList);
        QStringList rows = Rows(list, "Select 'PriceListAll', * From PriceListAll");
        for (const QString& table : db->database().tables())
            rows << Rows(*db, "Select '" + table.toLower() + "', * From " + table);
        rows.sort();
        return rows;
    }
    // Whole files; no part ID that is not positive or is used twice, no number under a kind
    // twice, no ID past the counter, no freed ID in use.
    void ExpectConsistent(const std::string& when) {
        for (const auto& [file, pristine] : files)
            EXPECT_EQ(shop::Db(file).Scalar("PRAGMA integrity_check").toString(), "ok") << when;
        const std::unique_ptr<shop::Db> db = Db();
        for (const char* none :
             {"Pta7 Where PartID <= 0",
              "(Select PartID From Pta7 Group By PartID Having Count(*) > 1) d",
              "(Select Kind, PartNO From Pta7 Group By Kind, PartNO Having Count(*) > 1) d",
              "Pta7 Where PartID > (Select LastID From LastID Where NameID = 'Pta7')",
              "OldID Where NameID = 'Pta7' And OldID In (Select PartID From Pta7)"})
            EXPECT_EQ(db->Scalar(QString("Select Count(*) From ") + none).toInt(), 0)
                << none << ", " << when;
    }
};

// Kills a run at the stage's first operation and at 11 more at random; runs again; prints counts.
void KillInStage(Shop& shop, int stage) {
    shop.Fresh();
    Moments counted;
    ASSERT_EQ(shop.Run(std::move(counted)), kFinished);
    ASSERT_EQ(shop.Run(), kFinished);
    const QStringList expected = shop.Snapshot();
    const QByteArray given = qgetenv("TOLVANE_RELIABILITY_SEED");
    const unsigned seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
    std::mt19937 random(seed);
    const std::vector<int>& ops = counted.byStage[stage];
    ASSERT_GE(ops.size(), std::size_t{kKills});
    std::vector<int> moments = {ops.front()};
    std::sample(ops.begin() + 1, ops.end(), std::back_inserter(moments), kKills - 1, random);
    int equal = 0;
    for (const int at : moments) {
        const std::string when = "killed before operation " + std::to_string(at);
        shop.Fresh();
        EXPECT_EXIT(shop.Run(Moments(at)), ::testing::KilledBySignal(SIGKILL), "") << when;
        shop.AfterKill();
        shop.ExpectConsistent(when);
        ASSERT_EQ(shop.Run(), kFinished) << when;
        // Header bytes 18 and 19: 1 for a rollback journal, 2 for WAL.
        for (const auto& [file, pristine] : shop.files)
            EXPECT_EQ(ReadFile(file).mid(18, 2), ReadFile(pristine).mid(18, 2)) << when;
        const QString differences = Differences(expected, shop.Snapshot());
        equal += differences.isEmpty();
        EXPECT_EQ(differences, "") << when;
    }
    std::cout << "[ info     ] seed " << seed << ", " << kStageNames[stage] << ": "
              << moments.size() << " kills, " << equal << " runs equal\n";
}

class KilledInStage : public ::testing::TestWithParam<int> {};

TEST_P(KilledInStage, AShopFileEndsAsTheCompletedRunFollowedByTheNext) {
    QTemporaryDir dir(Scratch());
    Shop shop(dir);
    KillInStage(shop, GetParam());
}

#ifdef TOLVANE_SERVER_SHOP
// The sample shop loaded into a database of the test server once, a copy of it per run.
class ServerShop : public Shop {
public:
    ServerShop(const shop::PgServer& server, const QTemporaryDir& dir)
        : Shop(dir), server_(server), loaded_(server) {
        bench::LoadShopIntoServer(pristineShop, loaded_.ConnectionText());
        bench::CloseForCopying(server, loaded_.name());
        fields.optAccess = false;
        files.pop_back();
        fields.txtServer = server.socketDir;
        fields.txtuid = server.user;
        fields.txtpwd = server.password;
    }
    void Fresh() override {
        copy_.reset();
        copy_ = std::make_unique<bench::ServerDatabaseCopy>(server_, loaded_.name(),
                                                             loaded_.name() + QStringLiteral("_%1").arg(++n_));
        fields.txtdbq = copy_->name();
        Shop::Fresh();
    }
    std::unique_ptr<shop::Db> Db() override {
        return std::make_unique<shop::Db>(shop::OdbcText{server_.ConnectionText(fields.txtdbq)});
    }
    // The killed run's sessions end, and with them its run lock.
    void AfterKill() override {
        bench::CloseForCopying(server_, fields.txtdbq);
        shop::Db(shop::OdbcText{server_.ConnectionText(server_.database)})
            .Exec("ALTER DATABASE " + fields.txtdbq + " ALLOW_CONNECTIONS true");
    }

private:
    shop::PgServer server_;
    shop::PgDatabase loaded_;
    std::unique_ptr<bench::ServerDatabaseCopy> copy_;
    int n_ = 0;
};

TEST_P(KilledInStage, AServerShopEndsAsTheCompletedRunFollowedByTheNext) {
    const shop::PgServer server = shop::PgServerFromEnvironment();
    if (!server.available())
        GTEST_SKIP() << "TOLVANE_PG_SOCKET_DIR not set: run through scripts/test";
    QTemporaryDir dir(Scratch());
    ServerShop shop(server, dir);
    KillInStage(shop, GetParam());
}
#endif

INSTANTIATE_TEST_SUITE_P(Stages, KilledInStage, ::testing::Range(0, int{kStages}),
                         [](const auto& info) { return ParamName(kStageNames[info.param]); });

} // namespace
} // namespace tolvane::testing
