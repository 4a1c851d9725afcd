#pragma once

#include "data/run_state.h"
#include "data/window.h"
#include "keep/keep_settings.h"
#include "keep/kept_run.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace tolvane {

// The program's one window: the operator's fields, the progress boxes, the button
// and the detail grid. It owns the run's shared state and holds no transfer logic:
// the button hands the state to cmdUpDate_Click. Geometry towards the run is in
// twips (15 per pixel at 96 dots per inch, scaled by the screen's logical dpi).
class frmKordan : public QWidget, public Window {
public:
    explicit frmKordan(QWidget* parent = nullptr);
    ~frmKordan() override;

    RunState& state() { return state_; }

    // Instead of a modal box, hands every message to `recorder` (tests answer
    // messages this way); an empty function restores the modal box.
    using MessageRecorder = std::function<void(const QString& text, MessageStyle style,
                                               const QString& detail, const QString& advice)>;
    void SetMessageRecorder(MessageRecorder recorder) { recorder_ = std::move(recorder); }
    // Sets `box` up as the window shows a message: the described text, the Thai
    // sentence under it, the detail behind "Show Details...".
    void FillMessageBox(QMessageBox& box, const QString& text, MessageStyle style,
                        const QString& detail, const QString& advice) const;

    // What the operator's press of cmdUpDate does.
    void PressUpdate();
    // The same run on copies of the shop and list files: the report of what would
    // change, nothing of the shop changed.
    void PressTestRun();
    // What the window keeps of each run (read from the settings file at start).
    void SetKeepSettings(const keep::KeepSettings& settings) { keep_ = settings; }
    // The last run's kept files and counts; null before the first run.
    const keep::KeptRun* LastRun() const { return kept_.get(); }
    // The status line under the window, as plain text.
    QString StatusText() const;
    bool Running() const { return running_; }
    // True once the window was closed while a run was under way.
    bool ClosedDuringRun() const { return closedDuringRun_; }

    int Left() const;
    int Top() const;
    QString GridText(int row, int col) const;
    int GridCols() const;
    // The grid's width in twips, as column 4's width is derived from it.
    double GridWidthTwips() const;
    // A column's width in twips.
    int GridColWidth(int col) const;

    // Window
    FormFields Fields() const override;
    void SetTxtQTY(const QString& text) override;
    void SetTxtPartNO(const QString& text) override;
    int GridRows() const override;
    void SetGridRows(int rows) override;
    void SetGridText(int row, int col, const QString& text) override;
    int Height() const override;
    int Width() const override;
    int ScreenWidth() const override;
    int ScreenHeight() const override;
    void SetHeight(int twips) override;
    void SetLeft(int twips) override;
    void SetTop(int twips) override;
    void ShowMessage(const QString& text, MessageStyle style, const QString& detail = QString(),
                     const QString& advice = QString()) override;
    void SetMousePointer(int pointer) override;
    void SetUpdateEnabled(bool enabled) override;
    void Yield() override;
    void Notice(const QString& text, const QString& thai = QString()) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void SetTabOrder();
    void Form_Load();
    void PlaceAtLoad();
    void SetupGrid();
    // Moves the outer frame; Left and Top set one after the other both count even
    // before the platform has confirmed the first move.
    void MoveFrame(std::optional<int> x, std::optional<int> y);
    void BuildStatusLine();
    // The run with what the window keeps of it, and the status line after it.
    void KeepRun(bool testRun, const FormFields& real);
    void ShowStatus(bool testRun);
    void RunCommand();
    int StatusHeight() const;

    // True until one screen frame has passed since the message loop last ran.
    bool WithinFrame() const;
    // Shows the progress texts held back during the current frame, if any.
    void ShowPendingTexts();

    double Scale() const;
    int Px(double twips) const;
    int Twips(double px) const;

    RunState state_;
    MessageRecorder recorder_;
    bool running_ = false;
    bool closedDuringRun_ = false;
    bool busyCursor_ = false;
    bool shownOnce_ = false;
    bool resizedByRun_ = false;
    std::optional<QPoint> pendingMove_;
    QElapsedTimer sinceFrame_;          // since the message loop last ran
    std::optional<QString> pendingQTY_; // progress texts to show at the next frame
    std::optional<QString> pendingPartNO_;

    keep::KeepSettings keep_;
    QString settingsProblem_; // the settings file, when a value of it was not taken
    std::unique_ptr<keep::KeptRun> kept_;
    std::optional<std::pair<QString, QString>> testCopies_; // shop and list of a test run
    QString lastMessage_, lastDetail_, lastAdvice_;
    QStringList notices_, thaiNotices_;
    QWidget* statusLine_ = nullptr; // under the described window
    QLabel* statusText_ = nullptr;
    QPushButton* cmdTestRun_ = nullptr;

    QCheckBox* chkLikelAt_ = nullptr;
    QRadioButton* optAccess_ = nullptr;
    QLineEdit* txtDataVelmora_ = nullptr;
    QRadioButton* optSQL_ = nullptr;
    QLineEdit* txtServer_ = nullptr;
    QLineEdit* txtdbq_ = nullptr;
    QCheckBox* chkComType_ = nullptr;
    QLineEdit* txtuid_ = nullptr;
    QLineEdit* txtpwd_ = nullptr;
    QLineEdit* txtPriceList_ = nullptr;
    QLineEdit* txtQTY_ = nullptr;
    QLineEdit* txtPartNO_ = nullptr;
    QPushButton* cmdUpDate_ = nullptr;
    QTableWidget* msgDetail_ = nullptr;
};

} // namespace tolvane
