// The window: what the operator sees at start-up, and the Update command driven
// through the real window with its messages recorded instead of shown.
#if TOLVANE_TEST_GUI

#include "support/shop_fixture.h"
#include "text/error.h"
#include "text/failure.h"
#include "window/frmKordan.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <gtest/gtest.h>
#include <tuple>

namespace tolvane::testing {
namespace {

template <typename T> T* Control(frmKordan& w, const char* name) {
    T* control = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// A control's Left, Top, Width, Height in twips.
QList<int> Twips(frmKordan& w, const char* name) {
    const QRect r = w.findChild<QWidget*>(QLatin1String(name))->geometry();
    const double perPixel = 15.0 * 96.0 / w.screen()->logicalDotsPerInch();
    return {qRound(r.x() * perPixel), qRound(r.y() * perPixel), qRound(r.width() * perPixel),
            qRound(r.height() * perPixel)};
}

// Asking the program for its usage prints it and ends; no window waits for a close.
TEST(WindowLoad, HelpPrintsUsageAndExits) {
    QProcess program;
    program.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane"), {QStringLiteral("--help")});
    const bool ended = program.waitForFinished(15000);
    if (!ended)
        program.kill();
    EXPECT_TRUE(ended && program.exitCode() == 0);
    EXPECT_TRUE(program.readAllStandardOutput().startsWith("Usage: tolvane"));
}

TEST(WindowLoad, CaptionsDefaultsAndStartState) {
    frmKordan w;
    EXPECT_EQ(w.windowTitle(), "Tolvane TATA");
    EXPECT_EQ(Control<QCheckBox>(w, "chkLikelAt")->text(), "จัดระเบียบเบอร์แทน  TATA");
    EXPECT_EQ(Control<QRadioButton>(w, "optAccess")->text(), "ข้อมูล Access ที่จัดเก็บ Velmora");
    EXPECT_FALSE(Control<QRadioButton>(w, "optSQL")->isChecked());
    EXPECT_EQ(Control<QCheckBox>(w, "chkComType")->text(), "เครื่องแม่");
    EXPECT_EQ(Control<QPushButton>(w, "cmdUpDate")->text(), "UpDate");
    EXPECT_TRUE(Control<QPushButton>(w, "cmdUpDate")->isEnabled());
    const std::pair<const char*, const char*> labels[] = {
        {"Label4", "Server Name"}, {"Label1", "Autherntication"},     {"Label8", "Login"},
        {"Label7", "Password"},    {"Label5", "ที่จัดเก็บข้อมูลPriceList"}, {"Label2", "ลำดับการทำงาน"},
        {"Label3", "เบอร์อะไหล่"}};
    for (const auto& [name, caption] : labels) {
        EXPECT_EQ(Control<QLabel>(w, name)->text(), QString::fromUtf8(caption)) << name;
        EXPECT_TRUE(Control<QLabel>(w, name)->font().bold()) << name;
        EXPECT_DOUBLE_EQ(Control<QLabel>(w, name)->font().pointSizeF(), 12) << name;
    }

    // The fields read the controls: check boxes and option as set at load.
    const FormFields f = w.Fields();
    EXPECT_EQ(f.txtDataVelmora, "G:\\DataVelmora\\Velmora.accdb");
    EXPECT_EQ(f.txtPriceList, "G:\\DataVelmora\\PriceList_TATA.mdb");
    EXPECT_TRUE(f.optAccess && f.chkComType && !f.chkLikelAt);
    EXPECT_EQ(f.txtServer + f.txtdbq + f.txtuid + f.txtpwd, "");
    EXPECT_EQ(w.state().strBrand, "TATA");

    EXPECT_DOUBLE_EQ(Control<QLineEdit>(w, "txtPriceList")->font().pointSizeF(), 12);
    EXPECT_DOUBLE_EQ(Control<QTableWidget>(w, "msgDetail")->font().pointSizeF(), 8.25);
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(192, 192, 192));
}

TEST(WindowLoad, FieldsReadWhatTheOperatorChose) {
    frmKordan w;
    for (const auto& [name, text] :
         {std::pair{"txtServer", "srv"}, {"txtdbq", "shop"}, {"txtuid", "sa"}, {"txtpwd", "abc"}})
        Control<QLineEdit>(w, name)->setText(text);
    Control<QRadioButton>(w, "optSQL")->setChecked(true);
    Control<QCheckBox>(w, "chkComType")->setChecked(false);
    Control<QCheckBox>(w, "chkLikelAt")->setChecked(true);
    const FormFields f = w.Fields();
    EXPECT_TRUE(!f.optAccess && !f.chkComType && f.chkLikelAt); // options exclude each other
    EXPECT_EQ(QStringList({f.txtServer, f.txtdbq, f.txtuid, f.txtpwd}),
              QStringList({"srv", "shop", "sa", "abc"}));
    // The password box masks every character with "*".
    EXPECT_EQ(Control<QLineEdit>(w, "txtpwd")->displayText(), "***");
    EXPECT_EQ(Control<QLineEdit>(w, "txtuid")->displayText(), "sa");
}

TEST(WindowLoad, TabOrderFollowsTheFields) {
    frmKordan w;
    const QStringList expected = {"chkLikelAt", "optAccess",    "txtDataVelmora", "optSQL",
                                  "txtServer",  "txtdbq",       "chkComType",     "txtuid",
                                  "txtpwd",     "txtPriceList", "txtQTY",         "txtPartNO",
                                  "cmdUpDate",  "msgDetail"};
    QStringList seen;
    QWidget* widget = w.findChild<QWidget*>("chkLikelAt");
    for (int step = 0; step < 200 && seen.size() < expected.size(); ++step) {
        if (expected.contains(widget->objectName()) && !seen.contains(widget->objectName()))
            seen << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(seen, expected);
}

TEST(WindowLoad, GeometryInTwips) {
    frmKordan w;
    // The tests' screen is 1600 x 900 pixels: 24000 x 13500 twips. At load the window
    // is compact, centred horizontally, a sixth of the screen height from the top
    // (within half a pixel: the window lies on whole pixels).
    ASSERT_EQ(QList<int>({w.ScreenWidth(), w.ScreenHeight()}), QList<int>({24000, 13500}));
    EXPECT_EQ(w.Height(), 4080);
    EXPECT_EQ(w.Width(), 15120);
    EXPECT_NEAR(w.Left(), 4440, 8);
    EXPECT_NEAR(w.Top(), 2250, 8);
    EXPECT_EQ(Twips(w, "chkLikelAt"), (QList<int>{9120, 600, 5655, 375}));
    EXPECT_EQ(Twips(w, "txtpwd"), (QList<int>{4320, 1680, 1815, 360}));
    EXPECT_EQ(Twips(w, "cmdUpDate"), (QList<int>{9960, 2640, 855, 735}));
    EXPECT_EQ(Twips(w, "msgDetail"), (QList<int>{240, 3600, 14535, 7095}));

    // Enlarged and moved as a run does it, on screen: the whole grid comes into view
    // and Left and Top set one after the other both hold.
    w.show();
    QCoreApplication::processEvents();
    w.SetHeight(11520);
    w.SetLeft(300);
    w.SetTop(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(QList<int>({w.Height(), w.Left(), w.Top()}), QList<int>({11520, 300, 0}));
    EXPECT_LE(w.findChild<QWidget*>("msgDetail")->geometry().bottom(), w.height());
}

TEST(WindowGrid, SetUpAtLoadAndAddressedByGridRowAndColumn) {
    frmKordan w;
    EXPECT_EQ(w.GridRows(), 30);
    EXPECT_EQ(w.GridCols(), 8);
    // Within half a pixel: widths are whole pixels on screen; column 4 takes the rest.
    const QList<int> expected = {1, 1200, 1200, 2700, 4645, 1800, 1300, 1300};
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(w.GridColWidth(i), expected[i], 8) << "column " << i;
    EXPECT_EQ(w.GridText(0, 4), QString(35, ' ') + "รายการ");

    auto* table = w.findChild<QTableWidget*>("msgDetail");
    w.SetGridText(1, 3, "A-100");
    w.SetGridText(29, 7, "155");
    w.SetGridText(1, 6, "150");
    EXPECT_EQ(table->item(0, 3)->text(), "A-100"); // grid row 1 is the table's first row
    EXPECT_EQ(table->item(28, 7)->text(), "155");
    EXPECT_TRUE(table->item(0, 3)->textAlignment() & Qt::AlignLeft);
    EXPECT_TRUE(table->item(0, 6)->textAlignment() & Qt::AlignRight); // general: number right
    EXPECT_THROW(w.SetGridText(30, 1, "x"), Error);
    EXPECT_THROW(w.SetGridText(1, 8, "x"), Error);

    w.SetGridRows(41);
    EXPECT_EQ(w.GridRows(), 41);
    w.SetGridText(40, 2, "*");
    EXPECT_EQ(w.GridText(40, 2), "*");
    EXPECT_EQ(w.GridText(29, 7), "155"); // growing keeps what is there
}

// The real window with its fields pointed at test files and its messages recorded.
struct WindowRun {
    explicit WindowRun(ShopFixture& files) {
        w.SetMessageRecorder([this](const QString& text, MessageStyle style, const QString& detail,
                                    const QString& advice) {
            messages.push_back({text, style, detail, advice});
            busyWhileShown = QApplication::overrideCursor() != nullptr;
            buttonWhileShown = button()->isEnabled();
        });
        w.state().hooks = DataHooks{&trace, &faults};
        SetPaths(files.listPath, files.shopPath);
    }
    void SetPaths(const QString& source, const QString& target) {
        w.findChild<QLineEdit*>("txtPriceList")->setText(source);
        w.findChild<QLineEdit*>("txtDataVelmora")->setText(target);
    }
    QPushButton* button() { return w.findChild<QPushButton*>("cmdUpDate"); }
    QString Press() {
        messages.clear();
        trace.lines.clear();
        w.PressUpdate();
        return messages.empty() ? QString() : messages.back().text;
    }
    bool BothClosed() {
        const RunState& st = w.state();
        return (!st.cnPriceList || st.cnPriceList->State() == 0) &&
               (!st.cnData || st.cnData->State() == 0);
    }
    // One message of this text and style; connections closed, button and pointer back.
    void ExpectEnded(const QString& text, int style) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text);
        EXPECT_EQ(messages[0].style, style);
        EXPECT_TRUE(BothClosed());
        EXPECT_TRUE(button()->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // No statement other than queries, no recordset change, no transaction.
    bool NothingWritten() const {
        return trace.Of("execute").isEmpty() && trace.Of("recordset").isEmpty() &&
               trace.Of("begin").isEmpty();
    }

    frmKordan w;
    TraceLog trace;
    FaultPlan faults;
    std::vector<RecordingWindow::Message> messages;
    bool busyWhileShown = false;
    bool buttonWhileShown = true;
};

// A path that is blank, missing or a folder ("<src>" stands for the supplier's real file,
// "<dir>" for the folder): one message, nothing opened, the button back.
TEST(WindowUpdate, APathThatIsNoFileEndsInOneMessageAndOpensNothing) {
    const struct {
        QString source, target, message;
    } cases[] = {{"   ", "<src>", "ยังมิได้กำหนดที่อยู่ข้อมูล  PriceList_TATA.mdb"},
                 {"<dir>/nothing.mdb", "<src>", "ที่จัดเก็บข้อมูล  PriceList_TATA.mdb  หาไม่พบ"},
                 {" <dir> ", "<src>", "ที่จัดเก็บข้อมูล  PriceList_TATA.mdb  หาไม่พบ"},
                 {"<src>", "  ", "ยังมิได้กำหนดที่อยู่ข้อมูล"},
                 {"<src>", "<dir>/gone.accdb", "ที่จัดเก็บข้อมูล  Velmora.accdb  หาไม่พบ"},
                 {"<src>", "<dir>/gone.mdb", "ที่จัดเก็บข้อมูล  Velmora.mdb  หาไม่พบ"},
                 {"<src>", "<dir>/GONE.ACCDB", "ที่จัดเก็บข้อมูล  Velmora.mdb  หาไม่พบ"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " | " + c.target);
        ShopFixture files("P.52");
        files.SmallRun();
        WindowRun run(files);
        auto resolve = [&](QString path) {
            return path.replace("<src>", files.listPath).replace("<dir>", files.dir.path());
        };
        run.SetPaths(resolve(c.source), resolve(c.target));
        run.Press();
        run.ExpectEnded(c.message, 48);
        EXPECT_TRUE(run.busyWhileShown);
        EXPECT_TRUE(run.trace.lines.isEmpty()) << run.trace.lines.join('\n');
    }
}

// An unsupported version or a missing brand: the message, nothing written, the
// connections let go so the next press starts afresh.
TEST(WindowUpdate, UnsupportedVersionOrMissingBrandWritesNothing) {
    for (const auto& [version, brand, message] :
         {std::tuple{"P.99", "TATA",
                     "กำหนด Vertion ของฐานข้อมูลผิด  ให้ติดต่อผู้ติดตั้งระบบ  หรือ  "
                     "ผู้จำหน่าย VelmoraSoft"},
          std::tuple{"P.52", "HINO", "ไม่สามารถหา Files TATA ไม่สามารถบันทึกได้"}}) {
        ShopFixture files(version == QString("P.99") ? "P.52" : version, brand);
        files.SmallRun();
        files.Exec(QString("Update System Set Ver = '%1'").arg(version));
        WindowRun run(files);
        run.Press();
        run.ExpectEnded(message, 32);
        EXPECT_TRUE(run.NothingWritten()) << run.trace.lines.join('\n');
    }
}

// Progress texts wait for the next screen frame; a message stands in front of the
// window as the run left it, with the last part written in view.
TEST(WindowUpdate, AMessageShowsTheLastPartWritten) {
    frmKordan w;
    w.show();
    QString partWhileShown;
    w.SetMessageRecorder([&](const QString&, MessageStyle, const QString&, const QString&) {
        partWhileShown = Control<QLineEdit>(w, "txtPartNO")->text();
    });
    w.Yield(); // a frame starts: the next text is held back
    w.SetTxtPartNO(QStringLiteral("B-7"));
    w.ShowMessage(QStringLiteral("ไม่สามรถบันทึกได้"), kExclamation);
    EXPECT_EQ(partWhileShown, "B-7");
}

TEST(WindowUpdate, FailureMidRunEndsInOneMessageAndASecondPressSucceeds) {
    ShopFixture files("P.52");
    files.SmallRun();
    WindowRun run(files);
    run.faults.failKind = TraceKind::Execute;
    run.faults.failAt = 3;
    run.Press();
    run.ExpectEnded("ไม่สามรถบันทึกได้", 0);
    EXPECT_TRUE(run.messages[0].detail.startsWith("Injected failure.\n"))
        << run.messages[0].detail.toStdString();
    EXPECT_GE(run.trace.Of("execute").size(), 2); // it failed mid-way, not at the start
    EXPECT_TRUE(run.w.StatusText().contains("หยุดไปกลางคัน ให้กด UpDate กับรายการราคาเดิมอีกครั้ง"));

    // The brand is found under TATA_U too; the run lists the one difference left and
    // enlarges the window, busy and with the button off until the message.
    run.faults.failAt = 0;
    files.Exec("Update Brand Set BrandName = 'TATA_U'");
    run.Press();
    run.ExpectEnded("เสร็จแล้วจ้า", 0);
    EXPECT_EQ(run.w.state().lngBrandID, 7);
    EXPECT_EQ(run.w.GridText(1, 3), "A-100");
    EXPECT_EQ(run.w.Height(), 11520);
    EXPECT_TRUE(run.busyWhileShown);
    EXPECT_FALSE(run.buttonWhileShown);
}

TEST(WindowUpdate, ClosingDuringARunEndsItWithoutAMessage) {
    ShopFixture files("P.52");
    files.SmallRun();
    WindowRun run(files);
    run.w.show();
    // The operator closes the window as the first chunk starts.
    struct CloseAtFirstChunk : TraceSink {
        frmKordan* w = nullptr;
        void Event(Role, TraceKind kind, const QString& text) override {
            if (kind == TraceKind::Execute && text.startsWith("Delete From PriceList"))
                w->close();
        }
    } closer;
    closer.w = &run.w;
    run.w.state().hooks.trace = &closer;
    run.Press();
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(run.w.ClosedDuringRun());
    EXPECT_FALSE(run.w.Running());
    // The run stopped there: it never came to list differences or enlarge the window.
    EXPECT_EQ(run.w.GridText(1, 3), "");
    EXPECT_EQ(run.w.Height(), 4080);
    EXPECT_TRUE(run.BothClosed());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The window, as progress boxes and grid go: what the runner's progress trace records.
struct TracedForm : frmKordan {
    QStringList trace;
    void SetTxtQTY(const QString& t) override { trace << "txtQTY\t" + t, frmKordan::SetTxtQTY(t); }
    void SetTxtPartNO(const QString& t) override {
        trace << "txtPartNO\t" + t, frmKordan::SetTxtPartNO(t);
    }
    void SetHeight(int twips) override {
        trace << "Height\t" + QString::number(twips), frmKordan::SetHeight(twips);
    }
};

// A refused run, then completed ones, as the clerk sees them: the Thai sentence in the
// box and the screen said to be older; then the runner's counts, progress and grid for
// the same files, with the report, CSV and backup where the status line says, and the
// backups beyond the kept number let go.
TEST(WindowKeeps, ARefusedRunThenACompletedRunAsTheRunnerDoesIt) {
    QTemporaryDir dir, other;
    const auto [shop, list] = SampleFiles(dir.path(), 300, 240, 80);
    const auto [shop2, list2] = SampleFiles(other.path(), 300, 240, 80);
    const QString report = other.filePath("r.html"), grid = other.filePath("g.txt"),
                  progress = other.filePath("p.txt");
    ASSERT_EQ(Runner({"--data", shop2, "--price-list", list2, "--report", report, "--grid", grid,
                      "--trace-progress", progress})
                  .status,
              0);
    TracedForm w;
    QStringList advice;
    w.SetMessageRecorder(
        [&](const QString&, MessageStyle, const QString&, const QString& a) { advice << a; });
    w.findChild<QLineEdit*>("txtPriceList")->setText(list);
    w.findChild<QLineEdit*>("txtDataVelmora")->setText(list); // the list in the shop's field
    w.PressUpdate();
    ASSERT_EQ(advice.size(), 1);
    EXPECT_EQ(advice[0], ThaiSentence(Failure::NotAShop, {FileInThai(list)}));
    EXPECT_TRUE(w.LastRun()->WroteNothing() && QFile::exists(w.LastRun()->report()));
    EXPECT_TRUE(w.StatusText().contains("ตารางและข้อความบนจอเป็นของการทำงานครั้งก่อน"));

    w.findChild<QLineEdit*>("txtDataVelmora")->setText(shop);
    w.trace.clear();
    w.PressUpdate();
    const keep::RunCounts& c = w.LastRun()->counts();
    const QString page = QString::fromUtf8(ReadFile(report));
    for (const auto& [key, count] : {std::pair{"list-rows", c.rowsApplied},
                                     {"created", c.partsCreated},
                                     {"changes", c.pricesChanged},
                                     {"differences", c.stillDiffering}}) {
        EXPECT_TRUE(page.contains(QString("data-count=\"%1\">%2<").arg(key).arg(count))) << key;
        EXPECT_TRUE(w.StatusText().contains(QLocale(QLocale::English).toString(count))) << key;
    }
    QStringList cells;
    for (int row = 0; row < w.GridRows(); ++row) {
        QStringList line;
        for (int col = 0; col < 8; ++col)
            line << w.GridText(row, col);
        cells << line.join('\t');
    }
    EXPECT_EQ(cells, Lines(grid));
    QStringList runnerTrace;
    for (const QString& line : Lines(progress))
        if (!line.startsWith("Left") && !line.startsWith("Top"))
            runnerTrace << line;
    EXPECT_EQ(w.trace, runnerTrace);
    const QString backups = dir.filePath("TolvaneBackups"),
                  reports = dir.filePath("TolvaneReports");
    EXPECT_EQ(QFileInfo(w.LastRun()->backup()).absolutePath(), backups);
    EXPECT_EQ(QFileInfo(w.LastRun()->report()).absolutePath(), reports);
    EXPECT_TRUE(QFile::exists(w.LastRun()->changes()));
    EXPECT_TRUE(w.StatusText().contains("รายงาน") && w.StatusText().contains("โฟลเดอร์สำรอง"));

    keep::KeepSettings two;
    two.keepBackups = 2;
    w.SetKeepSettings(two);
    const QString first = w.LastRun()->backup();
    w.PressUpdate();
    w.PressUpdate();
    const QStringList kept = QDir(backups).entryList(QDir::Files);
    EXPECT_EQ(kept.size(), 2);
    EXPECT_FALSE(kept.contains(QFileInfo(first).fileName()));
    EXPECT_EQ(QDir(reports).entryList(QDir::Files).size(), 8); // a page and a table a run

    // The test run writes its report beside the shop and changes nothing of it.
    const QStringList before = AllRows(shop);
    w.PressTestRun();
    EXPECT_TRUE(w.LastRun()->report().endsWith("-test.html") &&
                QFile::exists(w.LastRun()->report()));
    EXPECT_TRUE(w.StatusText().startsWith("ทดลอง"));
    EXPECT_EQ(AllRows(shop), before);
    EXPECT_EQ(QDir(backups).entryList(QDir::Files).size(), 2);
}

} // namespace
} // namespace tolvane::testing

#endif
