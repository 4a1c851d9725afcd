#pragma once

#include "data/window.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tolvane::testing {

// A window that records what the run shows and answers with fixed fields.
// Geometry starts as the window after load: 4080 twips high, 15120 wide, on a
// 1920 x 1080 pixel screen at 15 twips per pixel.
class RecordingWindow : public Window {
public:
    struct Message {
        QString text;
        MessageStyle style;
        QString detail;
        QString advice;
    };

    RecordingWindow();

    FormFields fields;

    // Every assignment in order: "txtQTY\t<text>", "txtPartNO\t<text>",
    // "Height\t<twips>", "Left\t<twips>", "Top\t<twips>".
    QStringList progress;
    QString txtQTY, txtPartNO;
    std::vector<Message> messages;
    std::vector<std::vector<QString>> grid; // rows x 8 cells
    int height = 4080, width = 15120, left = 0, top = 0;
    int screenWidth = 28800, screenHeight = 16200;
    int yields = 0;
    QStringList notices, thaiNotices;

    FormFields Fields() const override { return fields; }
    void SetTxtQTY(const QString& text) override { progress << "txtQTY\t" + (txtQTY = text); }
    void SetTxtPartNO(const QString& text) override {
        progress << "txtPartNO\t" + (txtPartNO = text);
    }
    int GridRows() const override { return static_cast<int>(grid.size()); }
    void SetGridRows(int rows) override { grid.resize(rows, std::vector<QString>(8)); }
    void SetGridText(int row, int col, const QString& text) override {
        grid.at(row).at(col) = text;
    }
    int Height() const override { return height; }
    int Width() const override { return width; }
    int ScreenWidth() const override { return screenWidth; }
    int ScreenHeight() const override { return screenHeight; }
    void SetHeight(int twips) override { progress << "Height\t" + QString::number(height = twips); }
    void SetLeft(int twips) override { progress << "Left\t" + QString::number(left = twips); }
    void SetTop(int twips) override { progress << "Top\t" + QString::number(top = twips); }
    void ShowMessage(const QString& text, MessageStyle style, const QString& detail,
                     const QString& advice) override {
        messages.push_back({text, style, detail, advice});
    }
    void SetMousePointer(int) override {}
    void SetUpdateEnabled(bool) override {}
    void Yield() override { ++yields; }
    void Notice(const QString& text, const QString& thai) override {
        notices << text;
        thaiNotices << thai;
    }

    // Only the txtQTY texts, in order.
    QStringList QtyTexts() const;
};

} // namespace tolvane::testing
