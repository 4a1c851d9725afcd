#include "support/chromium.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace tolvane::testing {

ChromiumPage RenderInChromium(const QString& htmlFile, int timeoutMs) {
    const QString chromium = QStringLiteral("/usr/bin/chromium");
    if (!QFileInfo(chromium).isExecutable())
        return {QStringLiteral("not installed"), {}, {}};
    QTemporaryDir profile; // a fresh one each time: nothing carries over between pages
    QProcess process;
    // --enable-logging=stderr makes every console message, uncaught exceptions included,
    // a stderr line holding "CONSOLE"; --dump-dom prints the document once it has loaded.
    process.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                             "--no-first-run", "--disable-background-networking",
                             "--disable-component-update", "--disable-sync",
                             "--user-data-dir=" + profile.path(), "--enable-logging=stderr",
                             "--v=0", "--dump-dom", QUrl::fromLocalFile(htmlFile).toString()});
    ChromiumPage page;
    if (!process.waitForFinished(timeoutMs)) {
        page.error =
            QStringLiteral("no page within %1 ms: ").arg(timeoutMs) + process.errorString();
        process.kill();
        process.waitForFinished(5000);
        return page;
    }
    page.dom = QString::fromUtf8(process.readAllStandardOutput());
    // The rest of stderr is Chromium's own noise (no D-Bus, no GPU here).
    for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split(u'\n')) {
        if (line.contains(QStringLiteral(":CONSOLE")))
            page.console << line.mid(line.indexOf(u']') + 1).trimmed();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        page.error = QStringLiteral("chromium ended with status %1").arg(process.exitCode());
    return page;
}

} // namespace tolvane::testing
