#include "runner/batch_window.h"

#include "command/form_defaults.h"
#include "runner/batch_trace.h"
#include "text/error.h"

namespace tolvane::batch {

namespace {

constexpr qint64 kLiveIntervalMs = 50; // at most 20 redraws a second
constexpr qsizetype kLiveWidth = 78;   // keeps the live display on one terminal line
const QLatin1String kEraseLine("\r\x1b[K");

} // namespace

BatchWindow::BatchWindow(const FormFields& fields, QTextStream& out, QTextStream& err)
    : fields_(fields), out_(out), err_(err), grid_(form::kGridRows), height_(form::kLoadHeight),
      width_(form::kClientWidth), left_(form::CentredLeft(kScreenWidth, form::kClientWidth)),
      top_(form::LoadTop(kScreenHeight)) {
    for (int col = 0; col < form::kGridCols; ++col)
        grid_[0][col] = form::HeaderText(col);
}

void BatchWindow::Trace(const char* name, const QString& value) {
    if (trace_)
        *trace_ << name << '\t' << EscapeField(value) << '\n';
}

void BatchWindow::SetTxtQTY(const QString& text) {
    txtQTY_ = text;
    if (qtyListener_)
        qtyListener_(text);
    liveDirty_ = true;
    Trace("txtQTY", text);
}

void BatchWindow::SetTxtPartNO(const QString& text) {
    txtPartNO_ = text;
    liveDirty_ = true;
    Trace("txtPartNO", text);
}

void BatchWindow::SetGridRows(int rows) {
    if (rows < 1)
        throw Error(QStringLiteral("Invalid Rows value: ") + QString::number(rows));
    grid_.resize(rows);
}

void BatchWindow::SetGridText(int row, int col, const QString& text) {
    if (row < 0 || row >= GridRows() || col < 0 || col >= form::kGridCols)
        throw Error(QStringLiteral("Subscript out of range: grid cell ") + QString::number(row) +
                    ", " + QString::number(col));
    grid_[row][col] = text;
}

void BatchWindow::SetHeight(int twips) {
    height_ = twips;
    Trace("Height", QString::number(twips));
}

void BatchWindow::SetLeft(int twips) {
    left_ = twips;
    Trace("Left", QString::number(twips));
}

void BatchWindow::SetTop(int twips) {
    top_ = twips;
    Trace("Top", QString::number(twips));
}

void BatchWindow::ShowMessage(const QString& text, MessageStyle style, const QString& detail,
                              const QString& advice) {
    ClearLiveProgress();
    lastMessage_ = text;
    lastDetail_ = detail;
    lastAdvice_ = advice;
    // The English detail for whoever looks after the machine, then the clerk's sentence.
    if (!detail.isEmpty())
        err_ << detail << '\n';
    if (!advice.isEmpty())
        err_ << advice << '\n';
    err_.flush();
    out_ << static_cast<int>(style) << '\t' << text << '\n';
    out_.flush();
}

void BatchWindow::Notice(const QString& text, const QString& thai) {
    ClearLiveProgress();
    notices_ << text;
    thaiNotices_ << thai;
    err_ << text << '\n';
    err_.flush();
}

void BatchWindow::Yield() {
    if (live_ && liveDirty_ && (!sinceDraw_.isValid() || sinceDraw_.elapsed() >= kLiveIntervalMs))
        DrawLiveProgress();
}

void BatchWindow::DrawLiveProgress() {
    QString line = txtQTY_;
    if (!txtPartNO_.isEmpty())
        line += QLatin1String("   ") + txtPartNO_;
    line.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    err_ << kEraseLine << line.left(kLiveWidth);
    err_.flush();
    liveShown_ = true;
    liveDirty_ = false;
    sinceDraw_.start();
}

void BatchWindow::ClearLiveProgress() {
    if (!liveShown_)
        return;
    err_ << kEraseLine;
    err_.flush();
    liveShown_ = false;
    liveDirty_ = true;
}

void BatchWindow::WriteGrid(QTextStream& stream) const {
    for (const Row& row : grid_) {
        for (int col = 0; col < form::kGridCols; ++col) {
            if (col > 0)
                stream << '\t';
            stream << EscapeField(row[col]);
        }
        stream << '\n';
    }
}

} // namespace tolvane::batch
