#pragma once

#include <cstdint>

namespace tolvane {

struct RunState;

// Turns the brand's staged PriceList rows into parts (own, linked and alternate),
// one transaction per row, in the row layout of the target's version, then cleans up
// the placeholder rows. `intCountNo` is shown in the progress text only. Returns 0.
std::int16_t InsertNewPart(RunState& st, std::int16_t intCountNo);

} // namespace tolvane
