// The runner's price-change report, test run and backup on a real sample shop.
#include "support/chromium.h"
#include "support/shop_fixture.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <map>

namespace tolvane::testing {
namespace {

QString Text(const QString& path) {
    return QString::fromUtf8(ReadFile(path));
}

// The counts a report page shows, by key.
std::map<QString, int> Counts(const QString& html) {
    std::map<QString, int> counts;
    static const QRegularExpression count(R"re(data-count="([a-z0-9-]+)"[^>]*>([^<]*)<)re");
    for (auto m = count.globalMatch(html); m.hasNext();) {
        const auto match = m.next();
        counts[match.captured(1)] = match.captured(2).toInt();
    }
    return counts;
}

class Report : public ::testing::Test {
protected:
    void SetUp() override { std::tie(shop, list) = SampleFiles(dir.path(), 300, 240, 80); }
    Result Run(const QStringList& options) {
        return Runner(QStringList{"--price-list", list, "--data", shop} + options);
    }
    QString File(const QString& name) { return dir.filePath(name); }

    QTemporaryDir dir;
    QString shop, list;
};

// A test run reports what the real run then does (and leaves the files as they were:
// JournalMode in run_safety_test).
TEST_F(Report, ATestRunChangesNothingAndReportsWhatTheRealRunDoes) {
    const Result test = Run({"--test-run", "--report", File("test.html"), "--changes",
                             File("test.csv"), "--grid", File("test-grid.txt")});
    ASSERT_EQ(test.status, 0) << test.err;
    EXPECT_TRUE(Text(File("test.html")).contains("รอบทดสอบ"));

    const Result real = Run({"--report", File("real.html"), "--changes", File("real.csv"), "--grid",
                             File("real-grid.txt")});
    ASSERT_EQ(real.status, 0) << real.err;
    const auto counts = Counts(Text(File("real.html")));
    EXPECT_GT(counts.at("changes"), 0);
    EXPECT_GT(counts.at("created"), 0);
    EXPECT_EQ(Counts(Text(File("test.html"))), counts);
    EXPECT_EQ(Text(File("test.csv")), Text(File("real.csv")));
    EXPECT_EQ(Lines(File("test-grid.txt")), Lines(File("real-grid.txt")));
    EXPECT_FALSE(Text(File("real.html")).contains("รอบทดสอบ"));
}

// The report, read in a real browser, shows no error and counts what the shop's
// tables hold before (the backup) and after the run. Files under the names of this
// second's backups and the next (another shop's, another run's) stay: the backup takes
// the next free name.
TEST_F(Report, TheBackupIsTheShopBeforeAndThePageCountsWhatTheTablesHold) {
    const QStringList before = AllRows(shop);
    ASSERT_TRUE(QDir().mkpath(File("backups")));
    QStringList taken;
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 10; ++s) {
        taken << File("backups/Velmora-" + now.addSecs(s / 2).toString("yyyyMMdd-HHmmss") +
                      (s % 2 ? "-2.accdb" : ".accdb"));
        WriteFile(taken.back(), "not the run's");
    }
    const Result r =
        Run({"--backup", File("backups"), "--report", File("report.html"), "--check-share", "20"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const QString& file : taken)
        EXPECT_EQ(ReadFile(file), "not the run's") << file;
    const QString backup = r.err.section("backup: ", 1).trimmed();
    EXPECT_EQ(QDir(File("backups")).count(), 2u + taken.size() + 1);
    EXPECT_TRUE(QRegularExpression("/Velmora-\\d{8}-\\d{6}-3\\.accdb$").match(backup).hasMatch());
    const int named = int(r.err.count(" in chunk ")); // the sample's corrected lines
    EXPECT_TRUE(r.err.endsWith("backup: " + backup + "\n") && r.err.count('\n') == named + 1);
    EXPECT_EQ(AllRows(backup), before);

    // The console is really read: a page that logs an error and throws shows both.
    WriteFile(File("probe.html"), "<script>console.error('probe'); throw Error('thrown')</script>");
    const ChromiumPage probed = RenderInChromium(File("probe.html"));
    if (probed.error == "not installed")
        GTEST_SKIP() << "chromium is not installed (scripts/setup installs it)";
    ASSERT_EQ(probed.console.size(), 2) << probed.error;

    const ChromiumPage page = RenderInChromium(File("report.html"));
    ASSERT_TRUE(page.error.isEmpty()) << page.error;
    EXPECT_EQ(page.console, QStringList());
    EXPECT_TRUE(page.dom.contains("พิมพ์รายงาน")) << "the page's script did not run";
    const auto counts = Counts(page.dom);
    shop::Db db(shop);
    db.Exec("ATTACH DATABASE '" + backup + "' AS was");
    const QString both =
        "Select Count(*) From Pta7 n Join was.Pta7 o On o.PartID = n.PartID Where ";
    const std::pair<const char*, QString> expected[] = {
        {"parts-before", "Select Count(*) From was.Pta7"},
        {"parts-after", "Select Count(*) From Pta7"},
        {"created", "Select Count(*) From Pta7 Where PartID Not In (Select PartID From was.Pta7)"},
        {"prices-up", both + "n.Price > o.Price"},
        {"prices-down", both + "n.Price < o.Price"},
        {"sales-same", both + "n.Sale = o.Sale"},
        {"changes", both + "n.Price <> o.Price Or n.Sale <> o.Sale"},
        {"texts-changed", both + "n.EName <> o.EName Or n.TName <> o.TName Or n.Model <> o.Model"}};
    for (const auto& [key, sql] : expected)
        EXPECT_EQ(counts.at(key), db.Scalar(sql).toInt()) << key;
    shop::Db listDb(list);
    int rows = listDb.Count("PriceListAll");
    EXPECT_EQ(counts.at("list-rows-all"), rows);
    for (const shop::Row& n : listDb.Query("Select Count From PriceList_Count")) {
        const int chunk = listDb.Count("PriceList_" + n[0].toString());
        EXPECT_EQ(counts.at("list-rows-chunk-" + n[0].toString()), chunk);
        rows += chunk;
    }
    EXPECT_EQ(counts.at("list-rows"), rows);
    EXPECT_EQ(counts.at("doubly-named"), named);

    // The parts to check first, group by group, are exactly those the tables show.
    const QString was = "From Pta7 n Join was.Pta7 o On o.PartID = n.PartID Where ";
    const std::pair<const char*, QString> groups[] = {
        {"check-sale-zero", "Coalesce(n.Sale, 0) = 0 And Coalesce(o.Sale, 0) <> 0"},
        {"check-price-zero", "Coalesce(n.Price, 0) = 0 And Coalesce(o.Price, 0) <> 0"},
        {"check-rises",
         "n.Price <> 0 And o.Price <> 0 And (n.Price - o.Price) * 100 > Abs(o.Price) * 20"},
        {"check-falls",
         "n.Price <> 0 And o.Price <> 0 And (o.Price - n.Price) * 100 > Abs(o.Price) * 20"}};
    static const QRegularExpression part(R"re(data-part="(\d+)")re");
    for (const auto& [key, where] : groups) {
        const qsizetype from = page.dom.indexOf(QString("id=\"%1\"").arg(key));
        const QString group = page.dom.mid(from, page.dom.indexOf("</details>", from) - from);
        QStringList shown, expected;
        for (auto m = part.globalMatch(group); m.hasNext();)
            shown << m.next().captured(1);
        for (const shop::Row& row : db.Query("Select n.PartID " + was + where + " Order By 1"))
            expected << row[0].toString();
        shown.sort();
        expected.sort();
        EXPECT_EQ(shown, expected) << key;
        EXPECT_EQ(counts.at(key), expected.size()) << key;
    }
}

TEST_F(Report, ABackupThatCannotBeMadeStopsTheRunBeforeItWrites) {
    const QStringList before = AllRows(shop);
    const Result r = Run({"--backup", File("no/such/folder"), "--report", File("report.html")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0\tไม่สามรถบันทึกได้\n");
    EXPECT_TRUE(r.err.contains("no/such/folder")) << r.err;
    // The report names the shop by its file, says the clerk's sentence and reads no counts.
    const QString report = Text(File("report.html"));
    EXPECT_TRUE(report.contains("<td>" + shop + "</td>") && !report.contains("dbq="));
    EXPECT_TRUE(report.contains(r.err.trimmed().section('\n', -1))) << r.err;
    for (const char* key : {"parts-before", "parts-after"})
        EXPECT_TRUE(report.contains(QString("data-count=\"%1\">ไม่ได้อ่าน").arg(key))) << key;
    EXPECT_EQ(AllRows(shop), before);
    // A server shop has no file to copy: both are bad options.
    for (const char* option : {"--test-run", "--backup"}) {
        QStringList args = {"--sql", option};
        if (QString(option) == "--backup")
            args << File("backups");
        const Result bad = Run(args);
        EXPECT_EQ(bad.status, 2) << option;
        EXPECT_TRUE(bad.err.contains("SQL Server")) << bad.err;
    }
}

// A run killed while it writes its backup leaves no file under a backup's name that is not
// the whole shop: killed as soon as anything shows in the folder, until one is caught
// with its copy unfinished.
TEST_F(Report, ABackupCutShortLeavesNoFileUnderABackupsName) {
    const QStringList before = AllRows(shop);
    int unfinished = 0;
    for (int attempt = 0; attempt < 30 && unfinished == 0; ++attempt) {
        const QDir work(File(QString::number(attempt))), backups(work.filePath("backups"));
        ASSERT_TRUE(work.mkpath("backups") && QFile::copy(shop, work.filePath("Velmora.accdb")));
        QProcess run;
        run.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
                  {"--price-list", list, "--data", work.filePath("Velmora.accdb"), "--backup",
                   backups.path()});
        while (backups.isEmpty() && !run.waitForFinished(0))
            ;
        ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
        run.waitForFinished();
        for (const QString& file : backups.entryList(QDir::Files))
            if (!QRegularExpression("^Velmora-[-\\d]+\\.accdb$").match(file).hasMatch())
                ++unfinished;
            else
                EXPECT_EQ(AllRows(backups.filePath(file)), before) << file.toStdString();
    }
    EXPECT_GT(unfinished, 0) << "no run was caught while it wrote its backup";
}

} // namespace
} // namespace tolvane::testing
