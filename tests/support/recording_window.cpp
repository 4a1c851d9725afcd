#include "support/recording_window.h"

namespace tolvane::testing {

RecordingWindow::RecordingWindow() : grid(30, std::vector<QString>(8)) {}

void RecordingWindow::SetTxtQTY(const QString& text) {
    txtQTY = text;
    progress << "txtQTY\t" + text;
}

void RecordingWindow::SetTxtPartNO(const QString& text) {
    txtPartNO = text;
    progress << "txtPartNO\t" + text;
}

void RecordingWindow::SetGridRows(int rows) { grid.resize(rows, std::vector<QString>(8)); }

void RecordingWindow::SetGridText(int row, int col, const QString& text) {
    grid.at(row).at(col) = text;
}

void RecordingWindow::SetHeight(int twips) {
    height = twips;
    progress << "Height\t" + QString::number(twips);
}

void RecordingWindow::SetLeft(int twips) {
    left = twips;
    progress << "Left\t" + QString::number(twips);
}

void RecordingWindow::SetTop(int twips) {
    top = twips;
    progress << "Top\t" + QString::number(twips);
}

void RecordingWindow::ShowMessage(const QString& text, MessageStyle style, const QString& detail) {
    messages.push_back({text, style, detail});
}

QStringList RecordingWindow::QtyTexts() const {
    QStringList out;
    for (const QString& line : progress) {
        if (line.startsWith("txtQTY\t"))
            out << line.mid(7);
    }
    return out;
}

} // namespace tolvane::testing
