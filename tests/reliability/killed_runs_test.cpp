// A run killed at any moment leaves both files whole and the shop consistent, and the next
// run completes the list and puts both files back in their own journal mode. The moments
// are random: the seed is printed, and TOLVANE_RELIABILITY_SEED repeats a series.
#include "support/shop_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <iostream>
#include <random>

namespace tolvane::testing {
namespace {

constexpr int kKills = 20;

// What must hold of the files whenever no run is working on them.
void ExpectConsistent(const QString& shop, const QString& list, const std::string& when) {
    SCOPED_TRACE(when);
    for (const QString& path : {shop, list})
        EXPECT_EQ(shop::Db(path).Scalar("PRAGMA integrity_check").toString(), "ok") << path;
    // No part ID that is not positive or is used twice, no number under a kind twice, no ID
    // past the counter, no freed ID in use.
    shop::Db db(shop);
    for (const char* none :
         {"Pta7 Where PartID <= 0", "(Select PartID From Pta7 Group By PartID Having Count(*) > 1)",
          "(Select Kind, PartNO From Pta7 Group By Kind, PartNO Having Count(*) > 1)",
          "Pta7 Where PartID > (Select LastID From LastID Where NameID = 'Pta7')",
          "OldID Where NameID = 'Pta7' And OldID In (Select PartID From Pta7)"})
        EXPECT_EQ(db.Scalar(QString("Select Count(*) From ") + none).toInt(), 0) << none;
}

int RunToEnd(const QString& shop, const QString& list) {
    QProcess run;
    run.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
              {"--price-list", list, "--data", shop});
    return run.waitForFinished(60000) ? run.exitCode() : -1;
}

TEST(KilledRuns, LeaveWholeFilesAConsistentShopAndARunThatCompletesTheList) {
    QTemporaryDir dir;
    const auto [pristineShop, pristineList] =
        SampleFiles(dir.filePath("pristine"), 5000, 2000, 500);
    const QString shop = dir.filePath("Velmora.accdb"), list = dir.filePath("PriceList_TATA.mdb");
    auto fresh = [&] {
        for (const QString& path : {shop, list})
            for (const char* side : {"", "-wal", "-shm", ".tolvane.lock"})
                QFile::remove(path + side);
        QFile::copy(pristineShop, shop);
        QFile::copy(pristineList, list);
    };
    // How long a whole run takes, so the kills fall inside runs.
    fresh();
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(RunToEnd(shop, list), 0);
    const qint64 whole = clock.elapsed();
    // What a completed list means: every part it names, at the list's prices. (Which
    // placeholder links and texts a part carries may depend on where a run stopped:
    // a part created by a killed run is updated, not created, by the next.)
    auto parts = [&] {
        shop::Db db(shop);
        return Rows(db, "Select Kind, PartNO, Price, Sale From Pta7 Order By Kind, PartNO");
    };
    const QStringList finished = parts();

    const QByteArray given = qgetenv("TOLVANE_RELIABILITY_SEED");
    const unsigned seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
    std::cout << "[ info     ] seed " << seed << ", a whole run " << whole << " ms\n";
    std::mt19937 random(seed);
    std::uniform_int_distribution<qint64> moment(0, whole);
    int lockedAtKill = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        fresh();
        const qint64 at = moment(random);
        QProcess run;
        run.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
                  {"--price-list", list, "--data", shop});
        ASSERT_TRUE(run.waitForStarted());
        if (!run.waitForFinished(static_cast<int>(at))) {
            run.kill();
            run.waitForFinished();
        }
        lockedAtKill += QFile::exists(shop + ".tolvane.lock");
        const std::string when =
            "kill " + std::to_string(kill) + " at " + std::to_string(at) + " ms";
        ExpectConsistent(shop, list, when + ", before the next run");
        // The lock of the killed run does not stand in the way; the list is completed.
        ASSERT_EQ(RunToEnd(shop, list), 0) << when;
        ExpectConsistent(shop, list, when + ", after the next run");
        // Both files back in their own journal mode (header bytes 18 and 19: 1 for a
        // rollback journal, 2 for WAL), whatever mode the kill left them in.
        for (const auto& [file, own] : {std::pair{shop, pristineShop}, {list, pristineList}})
            EXPECT_EQ(ReadFile(file).mid(18, 2), ReadFile(own).mid(18, 2)) << when;
        EXPECT_EQ(parts(), finished) << when;
        EXPECT_EQ(shop::Db(shop).Count("PriceList"), 0) << when;
    }
    std::cout << "[ info     ] " << lockedAtKill << " of " << kKills
              << " kills left a run lock behind\n";
}

} // namespace
} // namespace tolvane::testing
