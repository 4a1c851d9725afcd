// The window program: shows frmKordan and runs until the operator closes it.
#include "window/frmKordan.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>

namespace {

// For the documentation: the window as a run that lists differences leaves it
// (enlarged so the grid is in view), saved as an image.
int SaveScreenshot(tolvane::frmKordan& window, const QString& path) {
    constexpr int kEnlargedHeight = 11520;
    window.SetHeight(kEnlargedHeight);
    QCoreApplication::processEvents();
    return window.grab().save(path) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
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
