// The window program: shows frmKordan and runs until the operator closes it.
#include "window/frmKordan.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <cstdio>
#include <cstring>

namespace {

// For the documentation: the window as a run that lists differences leaves it
// (enlarged so the grid is in view), saved as an image.
int SaveScreenshot(tolvane::frmKordan& window, const QString& path) {
    constexpr int kEnlargedHeight = 11520;
    window.SetHeight(kEnlargedHeight);
    QCoreApplication::processEvents();
    return window.grab().save(path) ? 0 : 1;
}

// Printed for --help instead of opening the window.
const char* const kUsage =
    "Usage: tolvane [--help]\n"
    "Opens the Tolvane window: type the shop's database and the supplier's price list,\n"
    "then press UpDate. For runs without a window (scheduled, or on a server machine)\n"
    "use tolvane-batch; tolvane-batch --help lists its options.\n";

// For the documentation: a run on the given files, its message recorded instead of
// shown; then the window as the run left it, or the run's last message box, saved.
int SaveRunScreenshot(tolvane::frmKordan& window, const QString& shop, const QString& list,
                      const QString& windowShot, const QString& boxShot) {
    window.findChild<QLineEdit*>(QStringLiteral("txtDataVelmora"))->setText(shop);
    window.findChild<QLineEdit*>(QStringLiteral("txtPriceList"))->setText(list);
    struct Shown {
        QString text, detail, advice;
        tolvane::MessageStyle style = tolvane::kNoIcon;
    } last;
    window.SetMessageRecorder([&](const QString& text, tolvane::MessageStyle style,
                                  const QString& detail, const QString& advice) {
        last = {text, detail, advice, style};
    });
    window.PressUpdate();
    QCoreApplication::processEvents();
    if (!windowShot.isEmpty() && !window.grab().save(windowShot))
        return 1;
    if (boxShot.isEmpty())
        return 0;
    QMessageBox box(&window);
    window.FillMessageBox(box, last.text, last.style, last.detail, last.advice);
    box.show();
    QCoreApplication::processEvents();
    return box.grab().save(boxShot) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before the application starts: no screen is needed to print the usage.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));

    QCommandLineParser parser;
    QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("file"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    // With a shop and a list: the screenshots after a run on them.
    QCommandLineOption shop(QStringLiteral("shot-data"), QString(), QStringLiteral("path"));
    QCommandLineOption list(QStringLiteral("shot-price-list"), QString(), QStringLiteral("path"));
    QCommandLineOption box(QStringLiteral("box-screenshot"), QString(), QStringLiteral("file"));
    for (QCommandLineOption* o : {&shop, &list, &box}) {
        o->setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(*o);
    }
    parser.parse(QApplication::arguments());

    tolvane::frmKordan window;
    window.show();
    if (parser.isSet(shop))
        return SaveRunScreenshot(window, parser.value(shop), parser.value(list),
                                 parser.value(screenshot), parser.value(box));
    if (parser.isSet(screenshot))
        return SaveScreenshot(window, parser.value(screenshot));
    return QApplication::exec();
}
