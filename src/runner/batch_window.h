#pragma once

#include "data/window.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <array>
#include <functional>
#include <vector>

namespace tolvane::batch {

// The headless runner's window: fields from the command line, messages as lines
// on standard output, progress to a trace file and, on a terminal, to one live
// line on standard error. It starts as the window does after load.
class BatchWindow : public Window {
public:
    // A 1920 x 1080 pixel screen at 15 twips per pixel.
    static constexpr int kScreenWidth = 28800;
    static constexpr int kScreenHeight = 16200;

    BatchWindow(const FormFields& fields, QTextStream& out, QTextStream& err);

    // Every progress assignment as a line "<name>\t<value>" to `trace` (may be null).
    void SetProgressTrace(QTextStream* trace) { trace_ = trace; }
    // Redraws txtQTY and txtPartNO as one line on standard error, at most 20 times
    // a second.
    void SetLiveProgress(bool live) { live_ = live; }
    // Wipes the live line, so what follows starts on a clean line.
    void ClearLiveProgress();

    // Every txtQTY text as it is shown, to `listener` (may be empty).
    void SetQtyListener(std::function<void(const QString&)> listener) {
        qtyListener_ = std::move(listener);
    }

    // The last message shown, its technical detail and its Thai sentence; empty when
    // none was.
    const QString& LastMessage() const { return lastMessage_; }
    const QString& LastDetail() const { return lastDetail_; }
    const QString& LastAdvice() const { return lastAdvice_; }
    // The notices of the run, also written on standard error as they come, and each
    // one's Thai sentence (empty where it has none).
    const QStringList& Notices() const { return notices_; }
    const QStringList& ThaiNotices() const { return thaiNotices_; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    const QString& TxtQTY() const { return txtQTY_; }
    const QString& TxtPartNO() const { return txtPartNO_; }
    using Row = std::array<QString, 8>;
    // The grid, one line per row, its cells separated by TAB.
    void WriteGrid(QTextStream& stream) const;
    const std::vector<Row>& Grid() const { return grid_; }

    FormFields Fields() const override { return fields_; }
    void SetTxtQTY(const QString& text) override;
    void SetTxtPartNO(const QString& text) override;
    int GridRows() const override { return static_cast<int>(grid_.size()); }
    void SetGridRows(int rows) override;
    void SetGridText(int row, int col, const QString& text) override;
    int Height() const override { return height_; }
    int Width() const override { return width_; }
    int ScreenWidth() const override { return kScreenWidth; }
    int ScreenHeight() const override { return kScreenHeight; }
    void SetHeight(int twips) override;
    void SetLeft(int twips) override;
    void SetTop(int twips) override;
    void ShowMessage(const QString& text, MessageStyle style, const QString& detail = QString(),
                     const QString& advice = QString()) override;
    void SetMousePointer(int) override {}
    void SetUpdateEnabled(bool) override {}
    void Yield() override;
    void Notice(const QString& text, const QString& thai = QString()) override;

private:
    void Trace(const char* name, const QString& value);
    void DrawLiveProgress();

    FormFields fields_;
    QTextStream& out_;
    QTextStream& err_;
    QTextStream* trace_ = nullptr;
    bool live_ = false;
    bool liveShown_ = false;
    bool liveDirty_ = false;
    QElapsedTimer sinceDraw_;

    QString txtQTY_, txtPartNO_;
    std::vector<Row> grid_;
    int height_;
    int width_;
    int left_;
    int top_;
    QString lastMessage_;
    QString lastDetail_;
    QString lastAdvice_;
    QStringList notices_;
    QStringList thaiNotices_;
    std::function<void(const QString&)> qtyListener_;
};

} // namespace tolvane::batch
