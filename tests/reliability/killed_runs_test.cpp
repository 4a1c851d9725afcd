// Runs cut short and run again. A run killed at any moment leaves both files whole and the
// shop consistent, and the next run leaves the shop, table by table, as the killed run
// completed and followed by that next run would have left it. The kills fall at chosen
// operations of every stage (the Update command in a child of this process, killed by its
// own database hook), on a shop file and on a server shop, and at random moments of
// tolvane-batch. The moments are random: the seed is printed, and TOLVANE_RELIABILITY_SEED
// repeats a series.
#include "command/update_command.h"
#include "parts/progress.h"
#include "support/shop_fixture.h"
#ifdef TOLVANE_SERVER_SHOP
#include "server_shop.h"
#endif

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <array>
#include <csignal>
#include <iostream>
#include <random>

namespace tolvane::testing {
namespace {

constexpr int kKills = 12; // in each stage, and of tolvane-batch
const QString kFinished = QStringLiteral("เสร็จแล้วจ้า");

enum Stage { kPrices, kNewParts, kCheck, kCollected, kDifferences, kRebuild, kStages };
const char* const kStageNames[kStages] = {"prices",         "new parts",   "check",
                                          "all-brand list", "differences", "rebuild"};

std::mt19937 SeededRandom() {
    const QByteArray given = qgetenv("TOLVANE_RELIABILITY_SEED");
    const unsigned seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
    std::cout << "[ info     ] seed " << seed << "\n";
    return std::mt19937(seed);
}

// Numbers the run's database operations by the stage its progress texts tell (none before
// the first stage), and kills the process before the chosen one.
class Moments : public RecordingWindow, public FaultInjector {
public:
    explicit Moments(int killAt = 0) : killAt_(killAt) {}
    std::array<std::vector<int>, kStages> byStage;

    void SetTxtQTY(const QString& text) override {
        const bool checked = stage_ >= kCheck && stage_ < kStages;
        if (text.startsWith(kPhraseRebuilding))
            stage_ = kRebuild;
        else if (text.startsWith(kPhraseCheckStart))
            stage_ = checked ? kDifferences : kCheck;
        else if (checked && stage_ < kDifferences && !text.startsWith(kPhraseChecking))
            stage_ = kCollected;
        else if (text.startsWith(kPhraseChanging) || text.startsWith(kPhraseMoving))
            stage_ = kPrices;
        else if (text.startsWith(kPhraseAdding))
            stage_ = kNewParts;
    }
    void Before(Role, TraceKind, const QString&) override {
        if (++seen_ == killAt_)
            raise(SIGKILL);
        if (stage_ < kStages)
            byStage[stage_].push_back(seen_);
    }

private:
    const int killAt_;
    int seen_ = 0;
    int stage_ = kStages;
};

// A folder in memory where there is one: a killed process leaves a file there as on a
// disk, and the runs' syncs cost nothing.
QString Scratch() {
    return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tolvane-XXXXXX") : QString();
}

void CopyFresh(const QString& from, const QString& to) {
    for (const char* side : {"", "-wal", "-shm", ".tolvane.lock", ".tolvane.journal-mode"})
        QFile::remove(to + side);
    ASSERT_TRUE(QFile::copy(from, to)) << to;
}

// The rows only one of two snapshots holds ("-" only the expected, "+" only the actual).
QString Differences(const QStringList& expected, const QStringList& actual) {
    QStringList lines;
    for (const auto& [a, b, sign] : {std::tuple{expected, actual, "- "}, {actual, expected, "+ "}}) {
        QStringList only;
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
        for (const QString& row : only.mid(0, 5))
            lines << sign + row;
        if (only.size() > 5)
            lines << sign + QString("... %1 rows in all").arg(only.size());
    }
    return lines.join('\n');
}

// Where the shop lives, fresh from the same sample for every run of a series: three chunks,
// new parts with linked and alternate parts, a collected list, alternate groups.
class Shop {
public:
    explicit Shop(const QTemporaryDir& dir) {
        std::tie(pristineShop, pristineList) = SampleFiles(dir.filePath("pristine"), 300, 150, 50);
        fields.txtPriceList = dir.filePath("PriceList_TATA.mdb");
        fields.txtDataVelmora = dir.filePath("Velmora.accdb");
        fields.chkLikelAt = true;
    }
    virtual ~Shop() = default;
    virtual void Fresh() {
        CopyFresh(pristineShop, fields.txtDataVelmora);
        CopyFresh(pristineList, fields.txtPriceList);
    }
    virtual std::unique_ptr<shop::Db> Db() {
        return std::make_unique<shop::Db>(fields.txtDataVelmora);
    }
    virtual QString TablesQuery() const {
        return "Select name From sqlite_master Where type = 'table'";
    }
    // Once a killed run is gone, nothing of it stands in the next run's way.
    virtual void AfterKill() {}
    FormFields fields;
    QString pristineShop, pristineList;

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
        for (const shop::Row& table : db->Query(TablesQuery()))
            rows << Rows(*db, "Select '" + table[0].toString().toLower() + "', * From " +
                                  table[0].toString());
        rows.sort();
        return rows;
    }
    // What holds whenever no run works on the shop: no part ID that is not positive or is
    // used twice, no number under a kind twice, no ID past the counter, no freed ID in use.
    void ExpectConsistent(const std::string& when) {
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

// Kills a run at a dozen operations of the stage and runs it again each time; prints the
// kills and the runs that ended equal.
void KillInStage(Shop& shop, int stage) {
    shop.Fresh();
    Moments counted;
    ASSERT_EQ(shop.Run(std::move(counted)), kFinished);
    ASSERT_EQ(shop.Run(), kFinished);
    const QStringList expected = shop.Snapshot();
    std::mt19937 random = SeededRandom();
    std::vector<int> moments;
    std::sample(counted.byStage[stage].begin(), counted.byStage[stage].end(),
                std::back_inserter(moments), kKills, random);
    ASSERT_EQ(moments.size(), std::size_t{kKills});
    int equal = 0;
    for (const int at : moments) {
        const std::string when = "killed before operation " + std::to_string(at);
        shop.Fresh();
        EXPECT_EXIT(
            {
                shop.Run(Moments(at));
                std::_Exit(0);
            },
            ::testing::KilledBySignal(SIGKILL), "")
            << when;
        shop.AfterKill();
        shop.ExpectConsistent(when);
        ASSERT_EQ(shop.Run(), kFinished) << when;
        const QString differences = Differences(expected, shop.Snapshot());
        equal += differences.isEmpty();
        EXPECT_EQ(differences, "") << when;
    }
    std::cout << "[ info     ] " << kStageNames[stage] << ": " << moments.size() << " kills, "
              << equal << " runs equal\n";
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
        fields.txtServer = server.socketDir;
        fields.txtuid = server.user;
        fields.txtpwd = server.password;
    }
    void Fresh() override {
        copy_.reset();
        copy_ = std::make_unique<bench::ServerDatabaseCopy>(server_, loaded_.name(),
                                                             loaded_.name() + QStringLiteral("_%1").arg(++n_));
        fields.txtdbq = copy_->name();
        CopyFresh(pristineList, fields.txtPriceList);
    }
    std::unique_ptr<shop::Db> Db() override {
        return std::make_unique<shop::Db>(shop::OdbcText{server_.ConnectionText(fields.txtdbq)});
    }
    QString TablesQuery() const override {
        return "Select table_name From information_schema.tables Where table_schema = 'public'";
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

// tolvane-batch itself, killed at random moments: both files whole, and the next run takes
// over the killed run's lock, ends as above and puts both files back in their journal mode.
TEST(KilledAtRandom, TolvaneBatchEndsAsTheCompletedRunFollowedByTheNext) {
    QTemporaryDir dir(Scratch());
    Shop shop(dir);
    const auto run = [&](qint64 killAt) {
        QProcess batch;
        batch.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
                    {"--price-list", shop.fields.txtPriceList, "--data",
                     shop.fields.txtDataVelmora, "--rebuild-alternates"});
        if (!batch.waitForFinished(static_cast<int>(killAt)))
            batch.kill();
        batch.waitForFinished();
    };
    shop.Fresh();
    QElapsedTimer clock;
    clock.start();
    run(60000);
    const qint64 whole = clock.elapsed();
    ASSERT_EQ(shop.Run(), kFinished);
    const QStringList expected = shop.Snapshot();
    std::mt19937 random = SeededRandom();
    for (int kill = 1; kill <= kKills; ++kill) {
        shop.Fresh();
        const qint64 at = std::uniform_int_distribution<qint64>(0, whole)(random);
        const std::string when = "killed at " + std::to_string(at) + " ms";
        run(at);
        for (const QString& path : {shop.fields.txtDataVelmora, shop.fields.txtPriceList})
            EXPECT_EQ(shop::Db(path).Scalar("PRAGMA integrity_check").toString(), "ok") << when;
        shop.ExpectConsistent(when);
        ASSERT_EQ(shop.Run(), kFinished) << when;
        EXPECT_EQ(Differences(expected, shop.Snapshot()), "") << when;
        // Header bytes 18 and 19: 1 for a rollback journal, 2 for WAL.
        for (const auto& [file, own] : {std::pair{shop.fields.txtDataVelmora, shop.pristineShop},
                                        {shop.fields.txtPriceList, shop.pristineList}})
            EXPECT_EQ(ReadFile(file).mid(18, 2), ReadFile(own).mid(18, 2)) << when;
    }
}

} // namespace
} // namespace tolvane::testing
