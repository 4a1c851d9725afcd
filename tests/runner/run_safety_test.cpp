// What keeps a shop's data safe from a bad price list, a second run and a careless
// command line: the list is refused before the first write, a second run on the
// same shop is refused, and the password never shows.
#include "runner/batch_run.h"
#include "support/shop_fixture.h"

#include <QFile>
#include <QProcess>
#include <QSysInfo>

namespace tolvane::testing {
namespace {

const QString kFailed = QStringLiteral("0\tไม่สามรถบันทึกได้\n");

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
    EXPECT_TRUE(html.contains("<li>1 is named twice in chunk 1 with different values: ") &&
                html.contains("data-count=\"doubly-named\">25<"));

    SqliteExec(f.listPath, {"Update PriceList_1 Set Model = Null"});
    r = f.Run();
    EXPECT_EQ(r.err.count(": Model is Null, not a text"), 20) << r.err;
    EXPECT_TRUE(r.err.trimmed().endsWith("... and 30 more problems.")) << r.err;
    EXPECT_FALSE(r.err.contains(" is named ")) << r.err;
}

// Two runs started at once on one shop file: one finishes, the other is refused
// before it writes, and the shop holds what one run alone leaves.
TEST(RunLock, TwoRunsAtOnceLeaveWhatOneRunLeaves) {
    QTemporaryDir dir, alone;
    const auto [shop, list] = SampleFiles(dir.path(), 400, 300, 100);
    const auto [aloneShop, aloneList] = SampleFiles(alone.path(), 400, 300, 100);
    ASSERT_EQ(Runner({"--price-list", aloneList, "--data", aloneShop}).status, 0);

    QProcess a, b;
    for (QProcess* p : {&a, &b})
        p->start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
                 {"--price-list", list, "--data", shop});
    for (QProcess* p : {&a, &b})
        ASSERT_TRUE(p->waitForFinished(120000));
    const QList<int> codes = {a.exitCode(), b.exitCode()};
    ASSERT_TRUE(codes.contains(0) && codes.contains(1)) << codes[0] << " " << codes[1];
    QProcess& refused = a.exitCode() == 1 ? a : b;
    EXPECT_EQ(QString::fromUtf8(refused.readAllStandardOutput()), kFailed);
    const QString detail = QString::fromUtf8(refused.readAllStandardError());
    EXPECT_TRUE(detail.startsWith("Another run is working on this shop since ")) << detail;
    EXPECT_TRUE(detail.contains("from machine " + QSysInfo::machineHostName())) << detail;
    EXPECT_EQ(AllRows(shop), AllRows(aloneShop));
    EXPECT_FALSE(QFile::exists(shop + ".tolvane.lock")); // gone with the run that held it
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
        QString out, err;
        QTextStream o(&out), e(&err);
        EXPECT_EQ(batch::RunBatch(QStringList{"tolvane-batch"} + server + options, o, e, false,
                                  environment),
                  1);
        EXPECT_EQ(out, kFailed);
        EXPECT_EQ(err.contains("other users of this machine can read the password file"),
                  options.contains("--password-file"))
            << err;
        const QString html = QString::fromUtf8(ReadFile(report));
        for (const QString& text : {err, Lines(trace).join('\n'), html})
            EXPECT_FALSE(text.contains(secret));
        EXPECT_TRUE(err.contains(";pwd=***;")) << err; // the refused connection, masked
        EXPECT_TRUE(html.contains(";pwd=***;"));       // and the failed run's report says why
    }
}

} // namespace
} // namespace tolvane::testing
