// The window program: shows frmKordan and runs until the operator closes it.
#include "window/frmKordan.h"

#include <QApplication>
#include <QCommandLineParser>
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
    parser.parse(QApplication::arguments());

    tolvane::frmKordan window;
    window.show();
    if (parser.isSet(screenshot))
        return SaveScreenshot(window, parser.value(screenshot));
    return QApplication::exec();
}
