#include "support/recording_window.h"

namespace tolvane::testing {

RecordingWindow::RecordingWindow() : grid(30, std::vector<QString>(8)) {}

QStringList RecordingWindow::QtyTexts() const {
    QStringList out;
    for (const QString& line : progress) {
        if (line.startsWith("txtQTY\t"))
            out << line.mid(7);
    }
    return out;
}

} // namespace tolvane::testing
