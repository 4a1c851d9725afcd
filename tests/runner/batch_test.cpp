// The headless runner: its options, its exit status and the three files it writes.
#include "runner/batch_options.h"
#include "runner/batch_run.h"
#include "runner/batch_trace.h"
#include "support/qt_print.h"
#include "support/shop_fixture.h"
#include "support/sqlite_file.h"
#include "text/failure.h"

#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

using batch::BatchOptions;
using batch::ParseBatchOptions;

TEST(BatchOptions, UnsetFieldsKeepTheWindowDefaultsAndEveryOptionMapsToItsField) {
    BatchOptions o;
    QString error;
    ASSERT_TRUE(ParseBatchOptions({"tolvane-batch"}, {}, o, error));
    EXPECT_EQ(o.fields.txtPriceList, "G:\\DataVelmora\\PriceList_TATA.mdb");
    EXPECT_EQ(o.fields.txtDataVelmora, "G:\\DataVelmora\\Velmora.accdb");
    EXPECT_TRUE(o.fields.optAccess && o.fields.chkComType && !o.fields.chkLikelAt && !o.testRun);

    const QStringList args =
        QString("tolvane-batch --price-list p.mdb --data d.mdb --sql --server srv --database shop "
                "--user sa --password pw;x --client --rebuild-alternates --trace-sql s.txt "
                "--trace-progress=p.txt --grid g.txt --report r.html --changes c.csv")
            .split(' ');
    ASSERT_TRUE(ParseBatchOptions(args, {}, o, error)) << error;
    const FormFields& f = o.fields;
    EXPECT_EQ(
        QStringList({f.txtPriceList, f.txtDataVelmora, f.txtServer, f.txtdbq, f.txtuid, f.txtpwd}),
        QStringList({"p.mdb", "d.mdb", "srv", "shop", "sa", "pw;x"}));
    EXPECT_TRUE(!f.optAccess && !f.chkComType && f.chkLikelAt);
    EXPECT_EQ(QStringList({o.traceSql, o.traceProgress, o.grid, o.report, o.changes}),
              QStringList({"s.txt", "p.txt", "g.txt", "r.html", "c.csv"}));
}

// A password file as Windows tools save it (UTF-16 after its byte-order mark, UTF-8 after
// one) gives its first line; bytes that are no text are refused saying so.
TEST(BatchOptions, APasswordFileIsReadInItsEncodingOrRefusedNamingIt) {
    QTemporaryDir dir;
    using C = QStringConverter;
    const auto as = [](C::Encoding e, C::Flags mark = C::Flag::WriteBom) {
        return QByteArray(QStringEncoder(e, mark).encode(QStringLiteral("pä ss\r\nsecond\r\n")));
    };
    // clang-format off
    const std::pair<QByteArray, QString> files[] = {
        {as(C::Utf16LE), ""}, {as(C::Utf16BE), ""}, {as(C::Utf8), ""}, {as(C::Utf8, {}), ""},
        {as(C::Utf16LE, {}), "holds NUL bytes, as UTF-16 text without its byte-order mark does"},
        {"p\xe4ss\n", "is not UTF-8 text; save it as UTF-8, or as UTF-16 with a byte-order mark"},
        {QByteArray("\xff\xfe\x00\xd8\x41\x00", 6), "is not UTF-16LE text though it starts with that"},
        {QByteArray("\xfe\xff\x00p\x00", 5), "is not UTF-16BE text"}};
    // clang-format on
    for (const auto& [bytes, says] : files) {
        WriteFile(dir.filePath("pw"), bytes);
        BatchOptions o;
        QString error;
        const bool read =
            ParseBatchOptions({"x", "--sql", "--password-file", dir.filePath("pw")}, {}, o, error);
        EXPECT_TRUE(read == says.isEmpty() &&
                    (read ? o.fields.txtpwd == "pä ss" : error.contains(says)))
            << error.toStdString() << bytes.toHex().toStdString();
    }
}

TEST(BatchExit, BadOptionsGiveTwoAndRunNothing) {
    const QList<QStringList> bad = {
        {"--frobnicate"}, {"--data"}, {"stray.mdb"}, {"--grid="}, {"--sql=yes"}};
    for (const QStringList& args : bad) {
        const Result r = Runner(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains("Usage: tolvane-batch")) << r.err.toStdString();
    }
    // A trace file that cannot be created is a bad option too, found before any work.
    const Result r = Runner({"--trace-sql", "/nonexistent-folder/trace.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty());

    const Result help = Runner({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--rebuild-alternates"));
}

TEST(BatchExit, AMessageOtherThanFinishedGivesOne) {
    ShopFixture files("P.52");
    files.SmallRun();
    const QString grid = files.dir.filePath("grid.txt");
    const QString progress = files.dir.filePath("progress.txt");
    Result r = Runner({"--price-list", files.dir.filePath("none.mdb"), "--grid", grid,
                       "--trace-progress", progress});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "48\tที่จัดเก็บข้อมูล  PriceList_TATA.mdb  หาไม่พบ\n");
    // No English detail: only the clerk's sentence, naming the file it looked for.
    EXPECT_EQ(r.err, ThaiSentence(Failure::FileMissing, {files.dir.filePath("none.mdb")}) + "\n");
    EXPECT_TRUE(Lines(progress).isEmpty());
    // The grid as the window starts it: the header row and 29 empty rows of 8 cells.
    const QStringList rows = Lines(grid);
    ASSERT_EQ(rows.size(), 30);
    EXPECT_EQ(rows[0], "\t     ลำดับ\t  สินค้าใหม่\t               รหัสสินค้า\t" + QString(35, ' ') +
                           "รายการ\t" + QString(13, ' ') + "รุ่น\t    ราคาเก่า\t   ราคาใหม่");
    EXPECT_EQ(rows[29], QString(7, '\t'));

    // A failing run: the one message on standard output, the detail on standard error.
    files.Exec("Drop Table Pta7");
    r = files.Run();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0\tไม่สามรถบันทึกได้\n");
    EXPECT_TRUE(r.err.contains("Pta7")) << r.err;
}

TEST(BatchRun, FinishedRunWritesTheThreeFilesAndShowsLiveProgressOnlyOnATerminal) {
    ShopFixture files("P.52");
    files.SmallRun();
    const QString sql = files.dir.filePath("sql.txt");
    const QString progress = files.dir.filePath("progress.txt");
    const QString grid = files.dir.filePath("grid.txt");
    const Result r = files.Run({"--trace-sql", sql, "--trace-progress", progress, "--grid", grid});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "0\tเสร็จแล้วจ้า\n");
    EXPECT_TRUE(r.err.isEmpty()); // not a terminal: no live progress

    // SQL: the source connects first, passwords masked, every line well formed,
    // both connections closed at the end.
    const QStringList events = Lines(sql);
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events[0], "source\tconnect\tdriver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=" +
                             files.listPath + ";UID=admin;PWD=***");
    const QRegularExpression withText(
        "^(source|target)\t(connect|open|execute|recordset)\t[^\t]*$");
    const QRegularExpression bare("^(source|target)\t(begin|commit|rollback|close)$");
    for (const QString& line : events) {
        EXPECT_TRUE(withText.match(line).hasMatch() || bare.match(line).hasMatch())
            << line.toStdString();
        EXPECT_FALSE(line.contains("KIV392")) << line.toStdString();
    }
    EXPECT_EQ(events.mid(events.size() - 2), (QStringList{"source\tclose", "target\tclose"}));

    // Progress: one line per assignment, the geometry of the enlarged window.
    const QStringList lines = Lines(progress);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], "txtQTY\tกำลังย้าน  Price TATA  ชั่วคราว");
    const QRegularExpression assignment(
        "^(txtQTY\t[^\t]*|txtPartNO\t[^\t]*|(Height|Left|Top)\t-?\\d+)$");
    for (const QString& line : lines)
        EXPECT_TRUE(assignment.match(line).hasMatch()) << line.toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression("^(Height|Left|Top)\t")),
              (QStringList{"Height\t11520", "Left\t6840", "Top\t0"}));

    // Grid: 8 cells per row, the one difference left in row 1.
    const QStringList rows = Lines(grid);
    ASSERT_GE(rows.size(), 30);
    for (const QString& row : rows)
        EXPECT_EQ(row.count('\t'), 7);
    EXPECT_EQ(rows[1], "\t1\t\tA-100\tNAME\tMODEL\t150\t155");

    // On a terminal the progress goes to standard error live, wiped before the message.
    const Result live = Runner({"--price-list", files.listPath, "--data", files.shopPath}, true);
    EXPECT_EQ(live.status, 0);
    EXPECT_EQ(live.out, "0\tเสร็จแล้วจ้า\n");
    EXPECT_TRUE(live.err.startsWith("\r\x1b[K") && live.err.endsWith("\r\x1b[K")) << live.err;
    EXPECT_FALSE(live.err.contains('\n'));
    EXPECT_TRUE(live.err.contains("กำลังย้าน  Price TATA  ชั่วคราว"));
}

} // namespace
} // namespace tolvane::testing
