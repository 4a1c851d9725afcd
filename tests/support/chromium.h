#pragma once

#include <QString>
#include <QStringList>

namespace tolvane::testing {

// A local HTML file as Debian's headless Chromium renders it.
struct ChromiumPage {
    // Empty when the page was rendered; "not installed" when there is no Chromium,
    // so that the caller can skip; otherwise why the rendering failed.
    QString error;
    QString dom;         // the document after its scripts ran
    QStringList console; // every console message, uncaught exceptions included
};

// Renders the file with scripts on and no network, waiting at most timeoutMs.
ChromiumPage RenderInChromium(const QString& htmlFile, int timeoutMs = 60000);

} // namespace tolvane::testing
