#pragma once

#include <QString>

namespace tolvane {

// What the operator typed or chose on the window; read afresh each time the run
// needs it (a re-open of the shop database reads the fields again).
struct FormFields {
    QString txtPriceList;
    QString txtDataVelmora;
    bool optAccess = true; // false: optSQL is selected
    QString txtServer;
    QString txtdbq;
    QString txtuid;
    QString txtpwd;
    bool chkComType = true;
    bool chkLikelAt = false;
};

// Message box icon styles.
enum MessageStyle { kNoIcon = 0, kQuestion = 32, kExclamation = 48 };

// Everything the run reads from or writes to the window frmKordan. The Qt window,
// the headless runner and the tests' recording window implement it; the run holds
// no other link to a front end. Geometry is in twips.
class Window {
public:
    virtual ~Window() = default;

    virtual FormFields Fields() const = 0;

    virtual void SetTxtQTY(const QString& text) = 0;
    virtual void SetTxtPartNO(const QString& text) = 0;

    // The detail grid msgDetail.
    virtual int GridRows() const = 0;
    virtual void SetGridRows(int rows) = 0;
    virtual void SetGridText(int row, int col, const QString& text) = 0;

    virtual int Height() const = 0;
    virtual int Width() const = 0;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    virtual void SetHeight(int twips) = 0;
    virtual void SetLeft(int twips) = 0;
    virtual void SetTop(int twips) = 0;

    // A modal message without title; `detail` (may be empty) is the technical
    // detail offered one click away, `advice` (may be empty) the Thai sentence shown
    // under the text: what happened and what to do.
    virtual void ShowMessage(const QString& text, MessageStyle style,
                             const QString& detail = QString(),
                             const QString& advice = QString()) = 0;
    // 13 = busy, 1 = arrow.
    virtual void SetMousePointer(int pointer) = 0;
    virtual void SetUpdateEnabled(bool enabled) = 0;

    // Hands control to the message loop once, so the window repaints.
    virtual void Yield() = 0;

    // Something the run repaired or decided on the side (a counter moved past the
    // IDs in use, a run without a run lock), in English and in the clerk's Thai. The
    // window shows nothing; the runner writes the English on standard error, and the
    // report shows both.
    virtual void Notice(const QString& /*text*/, const QString& /*thai*/ = QString()) {}
};

} // namespace tolvane
