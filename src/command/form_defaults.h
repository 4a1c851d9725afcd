#pragma once

// The window's start-up state, shared by the Qt window frmKordan and the headless
// runner so both begin a run from the same fields, geometry and grid.
// Qt Core only.

#include "data/window.h"

#include <QString>
#include <array>
#include <cmath>

namespace tolvane::form {

// The brand this program serves.
inline const QString kBrand = QStringLiteral("TATA");

// Window geometry in twips. The client area is 15120 x 10950; at load the outer
// height (title bar and borders included) is cut to 4080, so the grid, whose top
// lies at 3600 in the client area, falls at the lower edge.
constexpr int kClientWidth = 15120;
constexpr int kClientHeight = 10950;
constexpr int kLoadHeight = 4080;
constexpr int kTwipsPerPixel = 15; // at 96 dots per inch

// Form_Load's placement: centred horizontally, a sixth of the screen height from the top.
inline int CentredLeft(int screenWidth, int width) {
    return static_cast<int>(std::lround(screenWidth / 2.0 - width / 2.0));
}
inline int LoadTop(int screenHeight) {
    return static_cast<int>(std::lround(screenHeight / 6.0));
}

// The caption before Form_Load replaces it.
inline const QString kDesignCaption = QStringLiteral("Tolvane UD");

inline QString Caption(const QString& brand) {
    return "Tolvane " + brand;
}
inline QString ChkLikelAtCaption(const QString& brand) {
    return QStringLiteral("จัดระเบียบเบอร์แทน  ") + brand;
}
inline QString DefaultDataPath() {
    return QStringLiteral("G:\\DataVelmora\\Velmora.accdb");
}
inline QString DefaultPriceListPath(const QString& brand) {
    return "G:\\DataVelmora\\PriceList_" + brand + ".mdb";
}

// The fields as Form_Load leaves them: Access target, server machine, no rebuild.
inline FormFields DefaultFields(const QString& brand) {
    FormFields f;
    f.txtDataVelmora = DefaultDataPath();
    f.txtPriceList = DefaultPriceListPath(brand);
    f.optAccess = true;
    f.chkComType = true;
    f.chkLikelAt = false;
    return f;
}

// The detail grid msgDetail: row 0 is the header row, column 0 a fixed column.
constexpr int kGridCols = 8;
constexpr int kGridRows = 30;
constexpr int kGridWidth = 14535; // design width in twips

// Column widths in twips; column 4 takes what the others leave of the grid width.
constexpr int kGridOtherColumns = 9890;
constexpr std::array<int, kGridCols> kColumnWidths = {1, 1200, 1200, 2700, 0, 1800, 1300, 1300};
inline int ColumnWidth(int col, double gridWidthTwips) {
    if (col == 4)
        return static_cast<int>(gridWidthTwips - kGridOtherColumns + 0.5);
    return kColumnWidths.at(col);
}
// Columns 1 to 5 are left aligned; 6 and 7 keep the grid's general alignment.
inline bool IsLeftAligned(int col) {
    return col >= 1 && col <= 5;
}

// Header texts of row 0; the leading blanks belong to them.
inline QString HeaderText(int col) {
    static const std::array<QString, kGridCols> texts = {
        QString(),
        QStringLiteral("     ลำดับ"),
        QStringLiteral("  สินค้าใหม่"),
        QStringLiteral("               รหัสสินค้า"),
        QStringLiteral("                                   รายการ"),
        QStringLiteral("             รุ่น"),
        QStringLiteral("    ราคาเก่า"),
        QStringLiteral("   ราคาใหม่"),
    };
    return texts.at(col);
}

} // namespace tolvane::form
