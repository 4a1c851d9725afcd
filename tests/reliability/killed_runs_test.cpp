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

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <array>
#include <csignal>
#include <iostream>
#include <map>
#include <random>

namespace tolvane::testing {
namespace {

const int kKillsPerStage = qEnvironmentVariableIntValue("KK") ?: 12;
const QString kFinished = QStringLiteral("เสร็จแล้วจ้า");

enum Stage { kPrices, kNewParts, kCheck, kCollected, kDifferences, kRebuild, kStages, kStart };
const char* const kStageNames[kStages] = {"prices",         "new parts",   "check",
                                          "all-brand list", "differences", "rebuild"};

std::mt19937 SeededRandom() {
    const QByteArray given = qgetenv("TOLVANE_RELIABILITY_SEED");
    const unsigned seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
    std::cout << "[ info     ] seed " << seed << "\n";
    return std::mt19937(seed);
}

// A window that tells the run's stage by the progress texts the run shows.
class StageWindow : public RecordingWindow {
public:
    Stage stage = kStart;
    void SetTxtQTY(const QString& text) override {
        RecordingWindow::SetTxtQTY(text);
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
};

// Numbers the run's database operations by stage; kills the process before the chosen one.
class Moments : public FaultInjector {
public:
    Moments(const StageWindow& window, int killAt) : window_(window), killAt_(killAt) {}
    std::array<std::vector<int>, kStages> byStage;
    void Before(Role, TraceKind, const QString&) override {
        if (++seen_ == killAt_)
            raise(SIGKILL);
        if (window_.stage < kStages)
            byStage[window_.stage].push_back(seen_);
    }

private:
    const StageWindow& window_;
    const int killAt_;
    int seen_ = 0;
};

// Where the shop lives, fresh from the same start for every run of a series.
class Shop {
public:
    virtual ~Shop() = default;
    virtual void Fresh() = 0;
    virtual std::unique_ptr<shop::Db> Db() = 0;
    virtual QString TablesQuery() const = 0;
    // Once a killed run is gone, nothing of it stands in the next run's way.
    virtual void AfterKill() {}
    FormFields fields;
    QString pristineList;

    // The Update command as the window runs it, the alternates rebuilt; its last message.
    QString Run(FaultInjector* faults = nullptr, StageWindow&& window = {}) {
        window.fields = fields;
        RunState st(window, DataHooks{nullptr, faults});
        cmdUpDate_Click(st);
        return window.messages.empty() ? QString()
                                       : window.messages.back().text + window.messages.back().detail;
    }
    // Every row of every table of the shop, and of the list's PriceListAll, sorted.
    QStringList Snapshot() {
        const std::unique_ptr<shop::Db> db = Db();
        QStringList rows;
        for (const shop::Row& table : db->Query(TablesQuery()))
            for (const QString& row : Rows(*db, "Select * From " + table[0].toString()))
                rows << table[0].toString().toLower() + '\t' + row;
        shop::Db list(fields.txtPriceList);
        for (const QString& row : Rows(list, "Select * From PriceListAll"))
            rows << "PriceListAll\t" + row;
        rows.sort();
        return rows;
    }
    // What must hold whenever no run works on the shop: no part ID that is not positive or
    // is used twice, no number under a kind twice, no ID past the counter, no freed ID in use.
    void ExpectConsistent(const std::string& when) {
        SCOPED_TRACE(when);
        const std::unique_ptr<shop::Db> db = Db();
        for (const char* none :
             {"Pta7 Where PartID <= 0",
              "(Select PartID From Pta7 Group By PartID Having Count(*) > 1) d",
              "(Select Kind, PartNO From Pta7 Group By Kind, PartNO Having Count(*) > 1) d",
              "Pta7 Where PartID > (Select LastID From LastID Where NameID = 'Pta7')",
              "OldID Where NameID = 'Pta7' And OldID In (Select PartID From Pta7)"})
            EXPECT_EQ(db->Scalar(QString("Select Count(*) From ") + none).toInt(), 0) << none;
    }
};

// What two snapshots hold apart, by table: the rows only one of them has, a few shown.
QString Differences(const QStringList& expected, const QStringList& actual) {
    QStringList missing, extra, lines;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                        std::back_inserter(missing));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    for (const auto& [rows, sign] : {std::pair{missing, "- "}, {extra, "+ "}}) {
        std::map<QString, QStringList> byTable;
        for (const QString& row : rows)
            byTable[row.section('\t', 0, 0)] << row;
        for (const auto& [table, tableRows] : byTable)
            lines << sign + table + QStringLiteral(": %1 rows, e.g. ").arg(tableRows.size()) +
                         tableRows.mid(0, 3).join(" / ");
    }
    return lines.join('\n');
}

void CopyFresh(const QString& from, const QString& to) {
    for (const char* side : {"", "-wal", "-shm", ".tolvane.lock", ".tolvane.journal-mode"})
        QFile::remove(to + side);
    ASSERT_TRUE(QFile::copy(from, to)) << to;
}

class ShopFile : public Shop {
public:
    ShopFile(const QTemporaryDir& dir) {
        std::tie(pristineShop, pristineList) = SampleFiles(dir.filePath("pristine"), qEnvironmentVariableIntValue("KP") ?: 600, qEnvironmentVariableIntValue("KR") ?: 300, qEnvironmentVariableIntValue("KC") ?: 100);
        fields.txtDataVelmora = dir.filePath("Velmora.accdb");
        fields.txtPriceList = dir.filePath("PriceList_TATA.mdb");
        fields.chkLikelAt = true;
    }
    void Fresh() override {
        CopyFresh(pristineShop, fields.txtDataVelmora);
        CopyFresh(pristineList, fields.txtPriceList);
    }
    std::unique_ptr<shop::Db> Db() override {
        return std::make_unique<shop::Db>(fields.txtDataVelmora);
    }
    QString TablesQuery() const override {
        return "Select name From sqlite_master Where type = 'table'";
    }
    QString pristineShop;
};

// Kills a run at a dozen operations of each stage and runs it again; each stage's kills
// and equal runs are printed.
void KillInEveryStage(Shop& shop) {
    shop.Fresh();
    StageWindow window;
    Moments counted(window, 0);
    ASSERT_EQ(shop.Run(&counted, std::move(window)), kFinished);
    ASSERT_EQ(shop.Run(), kFinished);
    const QStringList expected = shop.Snapshot();
    std::mt19937 random = SeededRandom();
    for (int stage = 0; stage < kStages; ++stage) {
        std::vector<int> moments;
        std::sample(counted.byStage[stage].begin(), counted.byStage[stage].end(),
                    std::back_inserter(moments), kKillsPerStage, random);
        int equal = 0;
        for (const int at : moments) {
            const std::string when =
                std::string(kStageNames[stage]) + ", killed before operation " + std::to_string(at);
            shop.Fresh();
            EXPECT_EXIT(
                {
                    StageWindow w;
                    Moments m(w, at);
                    shop.Run(&m, std::move(w));
                    std::_Exit(0);
                },
                ::testing::KilledBySignal(SIGKILL), "")
                << when;
            shop.AfterKill();
            shop.ExpectConsistent(when + ", before the next run");
            ASSERT_EQ(shop.Run(), kFinished) << when;
            const QString differences = Differences(expected, shop.Snapshot());
            equal += differences.isEmpty();
            EXPECT_EQ(differences, "") << when;
        }
        std::cout << "[ info     ] " << kStageNames[stage] << ": " << moments.size() << " kills, "
                  << equal << " runs equal\n";
    }
}

TEST(KilledRuns, AShopFileKilledInAnyStageEndsAsTheCompletedRunFollowedByTheNext) {
    QTemporaryDir dir;
    ShopFile shop(dir);
    KillInEveryStage(shop);
}

#ifdef TOLVANE_SERVER_SHOP
class ServerShop : public Shop {
public:
    ServerShop(const shop::PgServer& server, const QTemporaryDir& dir)
        : server_(server), loaded_(server) {
        QString shopFile;
        std::tie(shopFile, pristineList) = SampleFiles(dir.filePath("pristine"), qEnvironmentVariableIntValue("KP") ?: 600, qEnvironmentVariableIntValue("KR") ?: 300, qEnvironmentVariableIntValue("KC") ?: 100);
        bench::LoadShopIntoServer(shopFile, loaded_.ConnectionText());
        bench::CloseForCopying(server, loaded_.name());
        fields.txtPriceList = dir.filePath("PriceList_TATA.mdb");
        fields.optAccess = false;
        fields.txtServer = server.socketDir;
        fields.txtuid = server.user;
        fields.txtpwd = server.password;
        fields.chkLikelAt = true;
    }
    void Fresh() override {
        copy_.reset();
        copy_ = std::make_unique<bench::ServerDatabaseCopy>(server_, loaded_.name(),
                                                             QStringLiteral("killed_%1").arg(++n_));
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

TEST(KilledRuns, AServerShopKilledInAnyStageEndsAsTheCompletedRunFollowedByTheNext) {
    const shop::PgServer server = shop::PgServerFromEnvironment();
    if (!server.available())
        GTEST_SKIP() << "TOLVANE_PG_SOCKET_DIR not set: run through scripts/test";
    QTemporaryDir dir;
    ServerShop shop(server, dir);
    KillInEveryStage(shop);
}
#endif

// tolvane-batch itself, killed at random moments: both files whole, the next run takes over
// the killed run's lock, ends as above and puts both files back in their own journal mode.
TEST(KilledRuns, TolvaneBatchKilledAtRandomMomentsEndsAsTheCompletedRunFollowedByTheNext) {
    QTemporaryDir dir;
    ShopFile shop(dir);
    const QStringList args = {"--price-list", shop.fields.txtPriceList, "--data",
                              shop.fields.txtDataVelmora, "--rebuild-alternates"};
    const auto start = [&] {
        auto run = std::make_unique<QProcess>();
        run->start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"), args);
        return run;
    };
    shop.Fresh();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(start()->waitForFinished(60000));
    const qint64 whole = clock.elapsed();
    ASSERT_EQ(shop.Run(), kFinished);
    const QStringList expected = shop.Snapshot();
    std::mt19937 random = SeededRandom();
    for (int kill = 1; kill <= kKillsPerStage; ++kill) {
        shop.Fresh();
        const qint64 at = std::uniform_int_distribution<qint64>(0, whole)(random);
        const std::string when = "killed at " + std::to_string(at) + " ms";
        const auto run = start();
        if (!run->waitForFinished(static_cast<int>(at))) {
            run->kill();
            run->waitForFinished();
        }
        for (const QString& path : {shop.fields.txtDataVelmora, shop.fields.txtPriceList})
            EXPECT_EQ(shop::Db(path).Scalar("PRAGMA integrity_check").toString(), "ok") << when;
        shop.ExpectConsistent(when + ", before the next run");
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
