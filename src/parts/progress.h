#pragma once

#include <QString>
#include <cstdint>

namespace tolvane {

class Window;
struct PartEntry;

// Stage phrases of the progress box txtQTY (each ends in two blanks).
inline const QString kPhraseMoving = QStringLiteral("กำลังย้ายข้อมูล  ");
inline const QString kPhraseChanging = QStringLiteral("กำลังเปลี่ยนราคา  ");
inline const QString kPhraseAdding = QStringLiteral("กำลังเพิ่มข้อมูลใหม่  ");
inline const QString kPhraseCheckStart = QStringLiteral("กำลังครวจสอบข้อมูล  ");
inline const QString kPhraseChecking = QStringLiteral("กำลังตรวจสอบข้อมูล  ");
inline const QString kPhraseRebuilding = QStringLiteral("จัดระเบียบเบอร์แทนใหม่  ");

// The whole part of row * 100 / count in decimal; row * 100 is 32-bit arithmetic
// and its overflow raises Error.
QString PercentText(std::int32_t row, std::int32_t count);

// "<Kind>-<PartNO> - <TName><gap><Model>", without "<Kind>-" when the kind is empty.
// The price stages use a gap of three blanks, the checks two.
QString PartProgressText(const QString& kind, const QString& partNO, const QString& tname,
                         const QString& model, const QString& gap);

// A list row's progress, then a yield: "<stage>  <percent> %" in txtQTY (the stage
// phrase, the brand and its chunk: "..._2", "..._All") and the part in txtPartNO.
void ShowListRow(Window& w, const QString& stage, std::int32_t row, std::int32_t count,
                 const PartEntry& entry, const QString& gap);

} // namespace tolvane
