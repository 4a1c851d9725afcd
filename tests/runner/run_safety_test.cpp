// What keeps a shop's data safe from a bad price list, a second run, odd files and a
// careless command line.
#include "command/update_command.h"
#include "data/lock_file.h"
#include "support/shop_fixture.h"
#include "text/failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <csignal>
#include <functional>
#include <optional>
#include <unistd.h>

namespace tolvane::testing {
namespace {

const QString kFailed = QStringLiteral("0\tไม่สามรถบันทึกได้\n");
const QString kUnwritable = QStringLiteral("%list cannot be written, so the run writes nothing: ");

// A good list of two chunks for parts 100 and 200 (the shop has 100), then `damage`
// done to it.
struct BadList {
    const char* name;
    QString damage;
    QString detail; // a line the refusal must hold
    friend void PrintTo(const BadList& c, std::ostream* os) { *os << c.name; }
};

const BadList kBadLists[] = {
    {"missing chunk", "Insert Into PriceList_Count Values( 3 )",
     "PriceList_3: cannot be read: no such table: PriceList_3"},
    {"chunk without a column", "Alter Table PriceList_2 Drop Column Sale",
     "PriceList_2: lacks the column(s) Sale"},
    {"count out of range", "Update PriceList_Count Set Count = 40000 Where Count = 2",
     "PriceList_Count, row 2: Count is '40000', not a whole number from 1 to 32767"},
    {"Null text", "Update PriceList_2 Set TName = Null",
     "PriceList_2, row 1 (part 200): TName is Null, not a text"},
    {"empty part number", "Update PriceList_2 Set PartNO = '   '",
     "PriceList_2, row 1: PartNO is '   ', an empty part number"},
    {"price that is no number", "Update PriceList_2 Set Price = 'abc'",
     "PriceList_2, row 1 (part 200): Price is 'abc', not an amount"},
    {"sale beyond the amounts", "Update PriceList_2 Set Sale = 1e16",
     "PriceList_2, row 1 (part 200): Sale is '10000000000000000', not an amount"},
    // The run fills PriceListAll by position: only its own columns, in its order, will do.
    {"collected list lacking columns",
     "Alter Table PriceListAll Drop Column Kind; Alter Table PriceListAll Drop Column Import",
     "PriceListAll: lacks the column(s) Kind, Import"},
    {"collected list with Sale before Price",
     "Alter Table PriceListAll Rename Column Price To P; Alter Table PriceListAll Rename Column "
     "Sale To Price; Alter Table PriceListAll Rename Column P To Sale",
     "PriceListAll: column 13 is Sale, the run writes Price there"},
    {"collected list with a column more", // names in another case are the same names
     "Alter Table PriceListAll Rename Column Kind To KIND; Alter Table PriceListAll Add Extra",
     "PriceListAll has 15 columns, the run writes 14: column 15 (Extra) would get no value"},
    // A number column would turn part number 0123 into 123, and the run would apply its
    // line to another part; a view takes no rows.
    {"collected list with a number column",
     "Drop Table PriceListAll; Create Table PriceListAll (Kind TEXT, PartNO INTEGER, PartNew "
     "TEXT, FPartNew TEXT, lKind TEXT, lAtNO TEXT, AKind TEXT, AltNO TEXT, EName TEXT, TName "
     "TEXT, Model TEXT, Import TEXT, Price NUMERIC, Sale NUMERIC)",
     "PriceListAll: column PartNO is INTEGER, which does not keep the texts the run writes there"},
    {"collected list with a decimal number column",
     "Drop Table PriceListAll; Create Table PriceListAll (Kind TEXT, PartNO NUMERIC, PartNew "
     "TEXT, FPartNew TEXT, lKind TEXT, lAtNO TEXT, AKind TEXT, AltNO TEXT, EName TEXT, TName "
     "TEXT, Model TEXT, Import TEXT, Price NUMERIC, Sale NUMERIC)",
     "PriceListAll: column PartNO is NUMERIC, which does not keep the texts the run writes there"},
    {"collected list that is a view",
     "Alter Table PriceListAll Rename To Collected; Create View PriceListAll As Select * From "
     "Collected",
     "PriceListAll: is a view, not a table the run can empty and append to"},
    {"collected list with a unique key", "Create Unique Index One On PriceListAll (PartNO)",
     "PriceListAll: its unique key One would refuse an entry the run appends twice"},
    {"collected list with a check", // the run writes '' where the list has no kind
     "Drop Table PriceListAll; Create Table PriceListAll (Kind TEXT Default 'check (none)' "
     "Check (Kind <> ''), PartNO TEXT, PartNew TEXT, FPartNew TEXT, lKind TEXT, lAtNO TEXT, "
     "AKind TEXT, AltNO TEXT, EName TEXT, TName TEXT, Model TEXT, Import TEXT, Price, Sale)",
     "PriceListAll: its constraint Check (Kind <> '') may refuse an entry the run appends"},
};

void MakeList(ShopFixture& f, const QString& damage) {
    f.Chunk(1, {ListRow("", "100", "10", "9")});
    f.Chunk(2, {ListRow("", "200", "20", "18")});
    f.Seed(ShopPart(1, "", "100", "1", "1"));
    for (const QString& statement : damage.split("; "))
        SqliteExec(f.listPath, {statement});
}

class RefusedList : public ::testing::TestWithParam<BadList> {};

TEST_P(RefusedList, NothingIsWrittenAndTheDetailNamesWhereAndWhat) {
    ShopFixture f;
    MakeList(f, GetParam().damage);
    const QStringList before = AllRows(f.shopPath);

    const Result r = f.Run();

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kFailed);
    EXPECT_TRUE(r.err.startsWith("The price list cannot be used; nothing was written to the "
                                 "shop.\n"))
        << r.err;
    EXPECT_TRUE(r.err.contains('\n' + GetParam().detail)) << r.err; // a line that starts so
    EXPECT_TRUE(r.err.contains("ให้แจ้งผู้จำหน่าย")) << r.err;           // the clerk asks the supplier
    EXPECT_EQ(AllRows(f.shopPath), before);
}

INSTANTIATE_TEST_SUITE_P(Lists, RefusedList, ::testing::ValuesIn(kBadLists),
                         [](const auto& info) { return ParamName(info.param.name); });

// Chunk 1 names part 100 twice, then `damage`: the run goes on, and the list check tells
// a number it names with different values (detail, up to kOrderDecides; empty: none).
const QString kOrderDecides = " with different values: if the shop lacks it, the database's "
                              "order decides which line creates it\n";
const BadList kNamedAgain[] = {
    {"at other prices", "Update PriceList_1 Set Kind = 'ZD', Price = 10 + RowID",
     "ZD-100 is named twice in chunk 1"},
    {"three times",
     "Insert Into PriceList_1 Select * From PriceList_1 Where RowID = 1; Update "
     "PriceList_1 Set TName = 'OTHER' Where RowID = 3",
     "100 is named three times in chunk 1"},
    {"alike", // trimmed texts, amounts as amounts, no sale price is the list price
     "Update PriceList_1 Set Sale = Price; Update PriceList_1 Set Sale = 0, TName = ' NAME ' "
     "Where RowID = 2",
     ""},
    {"under two kinds", "Update PriceList_1 Set Kind = 'XY' || RowID, Price = RowID", ""},
    {"with and without a kind", // no kind finds (and unstages) the number under every kind
     "Update PriceList_1 Set Kind = 'ZD' Where RowID = 2", "100 is named twice in chunk 1"},
    {"in two chunks", "Update PriceList_1 Set PartNO = '200' Where RowID = 2", ""},
};

class NamedAgain : public ::testing::TestWithParam<BadList> {};

TEST_P(NamedAgain, IsToldAndTheRunGoesOn) {
    ShopFixture f;
    MakeList(f, "Insert Into PriceList_1 Select * From PriceList_1; " + GetParam().damage);
    const Result r = f.Run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, GetParam().detail.isEmpty() ? QString() : GetParam().detail + kOrderDecides);
}

INSTANTIATE_TEST_SUITE_P(Lists, NamedAgain, ::testing::ValuesIn(kNamedAgain),
                         [](const auto& info) { return ParamName(info.param.name); });

// The first twenty numbers named again (on standard error and in the report) or
// problems are named, the rest counted; a refused list tells no numbers.
TEST(ListCheck, TheFirstTwentyAreNamedAndTheRestCounted) {
    ShopFixture f;
    std::vector<shop::PriceRow> rows;
    for (int i = 1; i <= 25; ++i)
        for (const char* price : {"1", "2"})
            rows.push_back(ListRow("", QString::number(i), price, "1"));
    f.Chunk(1, rows);
    const QString report = f.dir.filePath("report.html");
    Result r = f.Run({"--report", report});
    EXPECT_EQ(r.err.count(" is named twice in chunk 1" + kOrderDecides), 20) << r.err;
    EXPECT_TRUE(r.err.endsWith("\n... and 5 more part numbers named more than once in a chunk "
                               "with different values.\n"))
        << r.err;
    const QString html = QString::fromUtf8(ReadFile(report));
    EXPECT_TRUE(
        html.contains("<span class=\"en\">1 is named twice in chunk 1 with different values: ") &&
        html.contains("data-count=\"doubly-named\">25<"));

    SqliteExec(f.listPath, {"Update PriceList_1 Set Model = Null"});
    r = f.Run();
    EXPECT_EQ(r.err.count(": Model is Null, not a text"), 20) << r.err;
    // The English detail, then the clerk's sentence on the first problem.
    EXPECT_TRUE(r.err.endsWith(
        "\n... and 30 more problems.\n" +
        ThaiSentence(Failure::ListRefused, {"PriceList_1", "1", "Model", "Null"}) + "\n"))
        << r.err;
    EXPECT_FALSE(r.err.contains(" is named ")) << r.err;
}

// tolvane-batch in a process of its own. Run by root, it goes without root's right to
// pass over a file's permissions, so a file no one may read is unreadable to it too.
Result Child(QStringList args) {
    QString program = QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch");
    if (geteuid() == 0) {
        args = QStringList{"--bounding-set=-dac_override,-dac_read_search", program} + args;
        program = QStandardPaths::findExecutable("setpriv");
    }
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A second run on one shop file, through a symbolic link, while the first holds it
// (stopped mid-run): the second is refused before it writes, the first finishes, and the
// shop holds what one run alone leaves.
TEST(RunLock, TwoRunsAtOnceLeaveWhatOneRunLeaves) {
    QTemporaryDir dir, alone;
    const auto [shop, list] = SampleFiles(dir.path(), 400, 300, 100);
    const auto [aloneShop, aloneList] = SampleFiles(alone.path(), 400, 300, 100);
    ASSERT_EQ(Runner({"--price-list", aloneList, "--data", aloneShop}).status, 0);

    const QString link = dir.filePath("link.accdb");
    ASSERT_TRUE(QFile::link(shop, link));
    QProcess a, b;
    a.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
            {"--price-list", list, "--data", shop});
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(shop + ".tolvane.lock") && waited.elapsed() < 60000)
        QThread::msleep(2);
    ASSERT_EQ(kill(static_cast<pid_t>(a.processId()), SIGSTOP), 0);
    b.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
            {"--price-list", list, "--data", link});
    ASSERT_TRUE(b.waitForFinished(120000));
    kill(static_cast<pid_t>(a.processId()), SIGCONT);
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    QProcess& refused = b;
    ASSERT_EQ(refused.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(refused.readAllStandardOutput()), kFailed);
    const QString detail = QString::fromUtf8(refused.readAllStandardError());
    EXPECT_TRUE(detail.startsWith("Another run is working on this shop since ")) << detail;
    EXPECT_TRUE(detail.contains("from machine " + QSysInfo::machineHostName())) << detail;
    EXPECT_TRUE(detail.contains("Its lock file is " + shop + ".tolvane.lock;")) << detail;
    EXPECT_TRUE(detail.contains("จากเครื่อง " + QSysInfo::machineHostName() + " ตั้งแต่ ")) << detail;
    EXPECT_EQ(AllRows(shop), AllRows(aloneShop));
    EXPECT_FALSE(QFile::exists(shop + ".tolvane.lock")); // gone with the run that held it
}

// The first run frozen at every moment of taking its locks, fresh or over a lock a killed
// run left: a second run (a process of its own) is refused naming the first as soon as
// the first has a lock in place; before that moment the second runs alone, first.
TEST(RunLock, ASecondRunIsRefusedNamingTheFirstAtEveryMomentOfItsTaking) {
    struct Freeze : RunObserver {
        int at = 0, moments = 0;
        std::function<void()> second;
        void LockStep(const QString&, LockFile::Step) override {
            if (moments++ == at)
                second();
        }
    };
    const QString first = QStringLiteral("(process %1, ").arg(QCoreApplication::applicationPid());
    for (const bool abandoned : {false, true})
        for (Freeze freeze; freeze.at == 0 || freeze.moments > freeze.at; ++freeze.at) {
            SCOPED_TRACE(QStringLiteral("moment %1, abandoned %2").arg(freeze.at).arg(abandoned));
            ShopFixture f;
            f.SmallRun();
            if (abandoned) // a process number no system hands out
                WriteFile(f.shopPath + ".tolvane.lock", "999999999\ntolvane-batch\n" +
                                                            QSysInfo::machineHostName().toUtf8() +
                                                            "\n\n");
            Result second{};
            freeze.moments = 0;
            freeze.second = [&] {
                second = Child({"--price-list", f.listPath, "--data", f.shopPath});
            };
            RunState st(f.window);
            st.observer = &freeze;
            cmdUpDate_Click(st);
            EXPECT_EQ(f.window.messages.back().text, "เสร็จแล้วจ้า");
            EXPECT_EQ(second.status, freeze.at == 0 ? 0 : 1) << second.err;
            if (freeze.at > 0)
                EXPECT_TRUE(second.err.startsWith("Another run is working on this shop since ") &&
                            second.err.contains(first))
                    << second.err;
            EXPECT_EQ(QDir(f.dir.path()).entryList({"*.lock*"}), QStringList());
        }
}

// A second run while the first holds its locks (held before its list check): on the
// first's list from another shop, or on the shop or the list through a hard link, it is
// refused before it writes, naming the first.
TEST(RunLock, OneFileOneRunByWhateverNameTheListToo) {
    struct Hold : RunObserver {
        std::function<void()> second;
        void BeforeListCheck(RunState&) override { second(); }
    };
    const auto link = [](const QString& file) {
        EXPECT_EQ(::link(QFile::encodeName(file), QFile::encodeName(file + ".mdb")), 0);
        return file + ".mdb";
    };
    for (const int named : {0, 1, 2}) { // the list, the shop by a link, the list by a link
        ShopFixture f, g;
        f.SmallRun();
        g.SmallRun();
        const QStringList before = AllRows(g.shopPath);
        Hold hold;
        Result second{};
        QTemporaryDir ownTemp; // the second run's own temporary folder, as another user's
        hold.second = [&] {
            const QByteArray temp = qgetenv("TMPDIR");
            qputenv("TMPDIR", QFile::encodeName(ownTemp.path()));
            const auto restore = qScopeGuard([&] { qputenv("TMPDIR", temp); });
            second = Child({"--price-list",
                            named == 1   ? g.listPath
                            : named == 0 ? f.listPath
                                         : link(f.listPath),
                            "--data", named == 1 ? link(f.shopPath) : g.shopPath});
        };
        RunState st(f.window);
        st.observer = &hold;
        cmdUpDate_Click(st);
        EXPECT_EQ(f.window.messages.back().text, "เสร็จแล้วจ้า");
        EXPECT_EQ(second.status, 1);
        EXPECT_TRUE(second.err.startsWith(
                        named == 1 ? "Another run is working on this shop since "
                                   : "Another run is working on this price list since ") &&
                    second.err.contains(
                        QStringLiteral("(process %1, ").arg(QCoreApplication::applicationPid())))
            << second.err;
        EXPECT_EQ(AllRows(g.shopPath), before);
    }
}

// A run cut short (its new parts fail) is finished by the next run of the same list, which
// says so on standard error and in the report, so the shop ends as the run completed and
// followed by the next leaves it; a run of another list starts afresh and says why.
TEST(CutShort, TheNextRunOfTheListFinishesItAndSaysSo) {
    ShopFixture twice, f;
    for (ShopFixture* shop : {&twice, &f})
        shop->SmallRun();
    ASSERT_EQ(twice.Run().status + twice.Run().status, 0);
    const auto cut = [&f](const QString& failing) {
        RunState st(f.window, DataHooks{nullptr, &f.faults});
        f.faults.failStatementWith = failing;
        cmdUpDate_Click(st);
        ASSERT_EQ(f.window.messages.back().text, "ไม่สามรถบันทึกได้");
    };
    cut("Insert Into Pta7");
    const QString report = f.dir.filePath("report.html");
    Result r = f.Run({"--report", report});
    const QString said = "stopped in the new parts of chunk 1; this run finishes it first, then "
                         "runs the list again.\n";
    EXPECT_TRUE(r.err.startsWith("cut short: the last run on this shop (started 20") &&
                r.err.endsWith(said) && r.status == 0)
        << r.err;
    EXPECT_TRUE(QString::fromUtf8(ReadFile(report)).contains(said.trimmed()));
    EXPECT_EQ(AllRows(f.shopPath), AllRows(twice.shopPath));

    cut("Update Pta7 Set Price = 155");
    SqliteExec(f.listPath, {"Update PriceList_2 Set Price = 160"});
    r = f.Run();
    EXPECT_TRUE(r.err.endsWith("stopped in the prices of chunk 2; it ran another price list, so "
                               "this run does not finish it and starts afresh.\n"))
        << r.err;
    EXPECT_EQ(f.Count("TolvaneRun"), 0);
}

// Files and locks that are not what a run takes them for: refused before anything is
// written, in words that say what is wrong with which file (%shop, %list, %lock).
TEST(OddFiles, AreRefusedBeforeAnyWriteNamingTheFileAndWhatIsWrong) {
    if (geteuid() == 0 && QStandardPaths::findExecutable("setpriv").isEmpty())
        GTEST_SKIP() << "root reads every file, and without setpriv a run cannot go without";
    const QFileDevice::Permissions none, readOnly = QFileDevice::ReadOwner,
                                         readExe = readOnly | QFileDevice::ExeOwner;
    // clang-format off
    const struct {
        QString file;                                        // the odd one
        const char* bytes;                                   // written into it first, when given
        std::optional<QFileDevice::Permissions> permissions; // then given these
        QString says;
        Failure kind;                 // what the clerk is told, naming the file
        const char* named = nullptr;  // that file, when not the odd one
        const char* option = nullptr; // --test-run: it checks the real files too
    } cases[] = {
        {"%lock", "", {}, "The file %lock stands where the shop's run lock goes, but it is not a "
         "run lock this program wrote; if no run is working on this shop, delete the file and "
         "start again.", Failure::Unexpected},
        {"%lock", "4242\nshop-pc\ntolvane-batch\n", none, "The run lock %lock cannot be read "
         "(Permission denied); if no run is working on this shop, delete the file and start again.",
         Failure::FileUnreadable},
        {"%shop", nullptr, none, "The file %shop cannot be read: Permission denied.",
         Failure::FileUnreadable},
        {"%list", nullptr, none, "The file %list cannot be read: Permission denied.",
         Failure::FileUnreadable},
        {"%shop", nullptr, readOnly, "readonly database", Failure::FileNotWritable},
        // A list on a read-only share (the file or its folder) is refused before the first
        // write, by the test run (which writes copies) too.
        {"%list", nullptr, readOnly, kUnwritable + "attempt to write a readonly database",
         Failure::FileNotWritable},
        {"%list", nullptr, readOnly, kUnwritable, Failure::FileNotWritable, nullptr, "--test-run"},
        {"%share", nullptr, readExe, kUnwritable, Failure::FileNotWritable, "%list"},
        {"%share", nullptr, readExe, kUnwritable, Failure::FileNotWritable, "%list", "--test-run"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        ShopFixture f;
        f.SmallRun();
        const QStringList before = AllRows(f.shopPath);
        const QString share = f.dir.filePath("share"), list = share + "/PriceList.mdb";
        ASSERT_TRUE(QDir().mkpath(share) && QFile::rename(f.listPath, list));
        auto path = [&](QString text) {
            return text.replace("%shop", f.shopPath)
                .replace("%list", list)
                .replace("%share", share)
                .replace("%lock", f.shopPath + ".tolvane.lock");
        };
        if (c.bytes)
            WriteFile(path(c.file), c.bytes);
        if (c.permissions)
            QFile::setPermissions(path(c.file), *c.permissions);

        const Result r = Child(QStringList{"--price-list", list, "--data", f.shopPath} +
                               (c.option ? QStringList{c.option} : QStringList()));

        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, kFailed);
        EXPECT_TRUE(r.err.contains(path(c.says))) << r.err;
        EXPECT_TRUE(r.err.endsWith(ThaiSentence(c.kind, {path(c.named ? c.named : c.file)}) + "\n"))
            << r.err;
        QFile::setPermissions(path(c.file), QFileDevice::Permissions(0x7000)); // the owner's all
        EXPECT_EQ(AllRows(f.shopPath), before);
    }
}

// The two fields swapped, or the shop held by another program: refused before any
// write, the clerk told which file is wrong, or that another program holds it.
TEST(OddFiles, TheClerkIsToldWhichFieldNamesTheWrongFileOrThatItIsHeld) {
    ShopFixture f;
    f.SmallRun();
    const QStringList before = AllRows(f.shopPath);
    const Result listAsShop = Runner({"--price-list", f.listPath, "--data", f.listPath});
    EXPECT_TRUE(
        listAsShop.err.endsWith(ThaiSentence(Failure::NotAShop, {FileInThai(f.listPath)}) + "\n"))
        << listAsShop.err;
    const Result shopAsList = Runner({"--price-list", f.shopPath, "--data", f.shopPath});
    EXPECT_TRUE(
        shopAsList.err.endsWith(ThaiSentence(Failure::NotAList, {FileInThai(f.shopPath)}) + "\n"))
        << shopAsList.err;

    shop::Db holder(f.shopPath);
    holder.Exec("Begin Exclusive");
    RunState st(f.window);
    st.commandTimeoutOverride = 1;
    cmdUpDate_Click(st);
    holder.Exec("Rollback");
    shop::Db listHolder(f.listPath); // a write pending on the list, which may still be read
    listHolder.Exec("Begin Immediate");
    cmdUpDate_Click(st);
    listHolder.Exec("Rollback");
    listHolder.Exec("Begin"); // a reader whose transaction stays open
    listHolder.Scalar("Select Count(*) From sqlite_master");
    cmdUpDate_Click(st);
    listHolder.Exec("Rollback");
    ASSERT_EQ(f.window.messages.size(), 3u);
    for (int i : {0, 1, 2})
        EXPECT_EQ(f.window.messages[i].advice,
                  ThaiSentence(Failure::FileHeld, {FileInThai(i ? f.listPath : f.shopPath)}));
    EXPECT_EQ(AllRows(f.shopPath), before);
}

// A run killed while the shop is in WAL (stopped first, so the moment is sure: a file
// whose header is being switched has a rollback journal beside it).
void KillInWal(const QString& shop, const QString& list) {
    QProcess run;
    run.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
              {"--price-list", list, "--data", shop});
    ASSERT_TRUE(run.waitForStarted());
    auto inWal = [&] {
        return ReadFile(shop).mid(18, 2) == "\2\2" && QFile::exists(shop + "-wal") &&
               !QFile::exists(shop + "-journal");
    };
    while (!run.waitForFinished(1)) {
        if (inWal() && ::kill(static_cast<pid_t>(run.processId()), SIGSTOP) == 0 && inWal())
            break;
        ::kill(static_cast<pid_t>(run.processId()), SIGCONT);
    }
    ASSERT_EQ(run.state(), QProcess::Running) << "the run ended before it was caught in WAL";
    run.kill();
    run.waitForFinished();
}

// What a run leaves of the files themselves: nothing beside them, and each in its own
// journal mode (the sample's rollback journal, the backup's too), or byte for byte and
// time as it was where the run was to change nothing.
TEST(JournalMode, TheFilesEndAsTheShopHadThem) {
    QTemporaryDir dir;
    const auto [pristineShop, pristineList] = SampleFiles(dir.filePath("pristine"), 400, 300, 100);
    const struct {
        const char* name;
        std::function<void(const QString& shop, const QString& list)> before;
        QString option; // --backup (into backups/) or --test-run
        int status;
        bool untouched;
    } situations[] = {
        {"killed in WAL, then the next run with a backup", KillInWal, "--backup", 0, false},
        {"list refused",
         [](auto, auto list) { SqliteExec(list, {"Insert Into PriceList_Count Values( 9 )"}); }, "",
         1, true},
        {"shop without the staging table", // refused at its first write
         [](auto shop, auto) { SqliteExec(shop, {"Drop Table PriceList"}); }, "", 1, true},
        {"test run on a shop left in WAL",
         [](auto shop, auto) { SqliteExec(shop, {"PRAGMA journal_mode=WAL"}); }, "--test-run", 0,
         true},
    };
    for (const auto& s : situations) {
        SCOPED_TRACE(s.name);
        const QDir work(dir.filePath(QString::fromStdString(ParamName(s.name))));
        ASSERT_TRUE(work.mkpath("backups"));
        const QString shop = work.filePath("Velmora.accdb"), list = work.filePath("PriceList.mdb");
        QFile::copy(pristineShop, shop);
        QFile::copy(pristineList, list);
        s.before(shop, list);
        auto state = [&] {
            return QList<QVariant>{ReadFile(shop), ReadFile(list), QFileInfo(shop).lastModified(),
                                   QFileInfo(list).lastModified()};
        };
        const QList<QVariant> was = state();
        QThread::msleep(10); // a write would show in the times

        QStringList args = {"--price-list", list, "--data", shop, s.option};
        if (s.option == "--backup")
            args << work.filePath("backups");
        EXPECT_EQ(Runner(args.filter(QRegularExpression("."))).status, s.status);

        EXPECT_EQ(work.entryList(QDir::Files), QStringList({"PriceList.mdb", "Velmora.accdb"}));
        QStringList files = {shop, list};
        for (const QString& backup : QDir(work.filePath("backups")).entryList(QDir::Files))
            files << work.filePath("backups/" + backup); // alone in its folder
        EXPECT_EQ(files.size(), s.option == "--backup" ? 3 : 2);
        for (const QString& file : files)
            EXPECT_TRUE(s.untouched ? state() == was : ReadFile(file).mid(18, 2) == "\1\1") << file;
    }
}

// A log beside a file that keeps a rollback journal belongs to another file once under
// its name (a fresh list copied over a killed run's): refused before SQLite reads it in.
TEST(JournalMode, ALogLeftBesideAFileCopiedOverItIsRefused) {
    for (const bool list : {true, false}) {
        ShopFixture f;
        f.SmallRun();
        const QString file = list ? f.listPath : f.shopPath;
        WriteFile(file + "-wal", QByteArray(4096, '\7'));
        const QByteArray shop = ReadFile(f.shopPath), listBytes = ReadFile(f.listPath);
        RunState st(f.window);
        cmdUpDate_Click(st);
        ASSERT_FALSE(f.window.messages.empty());
        EXPECT_EQ(f.window.messages.back().advice,
                  ThaiSentence(Failure::StaleLog, {FileInThai(file), file + "-wal"}));
        EXPECT_EQ(ReadFile(f.shopPath), shop);
        EXPECT_EQ(ReadFile(f.listPath), listBytes);
    }
}

// The SQL Server password from a file or the environment; in no trace, report or
// error detail, whichever way it came.
TEST(Passwords, ComeFromAFileOrTheEnvironmentAndNeverShow) {
    ShopFixture f;
    const QString secret = QStringLiteral("s3cr3t-pw");
    const QString file = f.dir.filePath("password");
    WriteFile(file, (secret + "\r\nsecond line\n").toUtf8());
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup);
    QProcessEnvironment env;
    env.insert("TOLVANE_PASSWORD", secret);
    const QString trace = f.dir.filePath("sql.txt"), report = f.dir.filePath("report.html");
    const QStringList server = {
        "--price-list", f.listPath, "--sql",       "--server", f.dir.filePath("none"),
        "--user",       "shop",     "--trace-sql", trace,      "--report",
        report};
    const QList<std::pair<QStringList, QProcessEnvironment>> ways = {
        {{"--password", secret}, {}}, {{"--password-file", file}, {}}, {{}, env}};
    for (const auto& [options, environment] : ways) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const Result r = Runner(server + options, false, environment);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, kFailed);
        EXPECT_EQ(r.err.contains("other users of this machine can read the password file"),
                  options.contains("--password-file"))
            << r.err;
        const QString html = QString::fromUtf8(ReadFile(report));
        for (const QString& text : {r.err, Lines(trace).join('\n'), html})
            EXPECT_FALSE(text.contains(secret));
        EXPECT_TRUE(r.err.contains(";pwd=***;")) << r.err; // the refused connection, masked
        EXPECT_TRUE(html.contains(";pwd=***;"));           // and the failed run's report says why
    }
}

} // namespace
} // namespace tolvane::testing
