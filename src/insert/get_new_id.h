#pragma once

#include <QString>
#include <cstdint>

namespace tolvane {

struct RunState;

// The next ID of counter `NameID` ("Pta7"): the smallest freed ID in OldID (its row
// deleted), else LastID + 1 (1 after 2147483647; a new counter row starts at 1).
// The counter row is written with optimistic locking. Any failure gives 0 and
// leaves rsData closed.
std::int32_t GetNewID(RunState& st, const QString& NameID);

} // namespace tolvane
