#pragma once

#include <QDate>
#include <QString>
#include <cstdint>

// Dates in the Buddhist era, as the shop database stamps new parts.
namespace tolvane::mduDate {

// "d/m/yyyy" with the Buddhist-era year: 5 December 2026 -> "5/12/2569".
QString DateTextBE(const QDate& dtmDate);
// yyyymmdd of a date text: "5/12/2569" -> 25691205; parts that are not numbers
// become 0. Raises Error when the result does not fit 32 bits.
std::int32_t DateToNumber(const QString& strDate);
std::int16_t GetDay(const QString& strDate);
std::int16_t GetMonth(const QString& strDate);
std::int16_t GetYear(const QString& strDate);

} // namespace tolvane::mduDate
