#pragma once

#include <QVariant>
#include <cstdint>

namespace tolvane::mduValue {

// The value as a 16-bit integer when it reads as a number (blanks around it
// allowed), rounding an exact half to the even neighbour; 0 when it does not read
// as a number. Raises Error when the number lies outside -32768..32767.
std::int16_t ValueToInteger(const QVariant& varValue);

} // namespace tolvane::mduValue
