// The window's progress boxes keep pace with the screen, not with the rows: texts
// written between two frames are shown at the next one, and whatever a run wrote
// last is on screen when it ends or shows a message.
#if TOLVANE_TEST_GUI

#include "app/frmKordan.h"
#include "support/shop_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

// The window, remembering every part the run wrote and counting what the box showed.
class WatchedWindow : public frmKordan {
public:
    WatchedWindow() {
        connect(Box("txtPartNO"), &QLineEdit::textChanged, this, [this] { ++shown; });
    }
    QLineEdit* Box(const char* name) { return findChild<QLineEdit*>(QLatin1String(name)); }
    void SetTxtPartNO(const QString& text) override {
        written << text;
        frmKordan::SetTxtPartNO(text);
    }

    QStringList written;
    int shown = 0;
};

TEST(WindowFrames, APartWrittenBetweenFramesShowsAtTheNextFrame) {
    WatchedWindow w;
    w.show();
    QCoreApplication::processEvents();
    QElapsedTimer sinceFrame;
    w.Yield(); // a frame
    sinceFrame.start();
    w.SetTxtQTY(QStringLiteral("กำลังเปลี่ยนราคา  TATA_1  0 %"));
    w.SetTxtPartNO(QStringLiteral("A-1 - ไส้กรอง   FM"));
    w.SetTxtPartNO(QStringLiteral("A-2 - ไส้กรอง   FM"));
    // Both boxes wait while the frame lasts (only checkable when this machine got
    // here well within one frame).
    if (sinceFrame.elapsed() < 8) {
        EXPECT_NE(w.Box("txtQTY")->text(), "กำลังเปลี่ยนราคา  TATA_1  0 %");
        EXPECT_NE(w.Box("txtPartNO")->text(), "A-2 - ไส้กรอง   FM");
    }

    QThread::msleep(40); // past any screen's frame
    w.Yield();
    EXPECT_EQ(w.Box("txtQTY")->text(), "กำลังเปลี่ยนราคา  TATA_1  0 %");
    EXPECT_EQ(w.Box("txtPartNO")->text(), "A-2 - ไส้กรอง   FM"); // the latest, not A-1
}

TEST(WindowFrames, AMessageShowsTheLastPartWritten) {
    WatchedWindow w;
    w.show();
    QString partWhileShown;
    w.SetMessageRecorder([&](const QString&, MessageStyle, const QString&) {
        partWhileShown = w.Box("txtPartNO")->text();
    });
    w.Yield();
    w.SetTxtPartNO(QStringLiteral("B-7"));
    w.ShowMessage(QStringLiteral("ไม่สามรถบันทึกได้"), kExclamation);
    EXPECT_EQ(partWhileShown, "B-7");
}

TEST(WindowFrames, ARunEndsWithItsLastTextsOnScreenHavingLaidOutFewer) {
    ShopFixture files("P.52");
    files.SmallRun();
    // Enough rows that many fall within one frame.
    std::vector<shop::PriceRow> rows;
    for (int i = 1; i <= 300; ++i)
        rows.push_back(ListRow("B", QString::number(1000 + i), "20", "18"));
    shop::AddChunk(files.listPath, 3, rows);

    WatchedWindow w;
    w.show();
    QStringList messages;
    w.SetMessageRecorder(
        [&](const QString& text, MessageStyle, const QString&) { messages << text; });
    w.Box("txtPriceList")->setText(files.listPath);
    w.Box("txtDataVelmora")->setText(files.shopPath);
    w.PressUpdate();

    ASSERT_EQ(messages, QStringList{"เสร็จแล้วจ้า"});
    ASSERT_GT(w.written.size(), 600); // every row of both walks at least
    EXPECT_EQ(w.Box("txtPartNO")->text(), w.written.last());
    EXPECT_LT(w.shown, w.written.size() / 2);
}

} // namespace
} // namespace tolvane::testing

#endif
