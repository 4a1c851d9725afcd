#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace tolvane {

struct RunState;

// The next ID of counter `NameID` ("Pta7"), which is also the name of the table whose
// rows the IDs are for: the smallest freed ID in OldID (its row deleted), else
// LastID + 1 (1 after 2147483647; a new counter row starts at 1). The counter row is
// written with optimistic locking, through rsData.
//
// An ID is handed out only when it is positive and no row of the table uses it, so a
// counter that a partly restored backup left behind cannot write a part over another:
// a freed ID that fails is removed and the next one tried, and a LastID behind the
// table moves past its highest ID. Every repair is written in the caller's
// transaction and told to the window as a notice "counter repaired: ...".
//
// Raises Error with the driver's message when the counters cannot be read or written.
std::int32_t DrawNewID(RunState& st, const QString& NameID);

// DrawNewID for callers that take 0 as "no ID could be drawn": any failure gives 0
// and leaves rsData closed.
std::int32_t GetNewID(RunState& st, const QString& NameID);

// The ID a counter's value names: a whole number from `lowest` to the largest ID,
// whatever type the driver gives it (a number written as a text too); nothing for a
// Null, any other text, a fraction or a number out of that range. A shop file may hold
// any of these where an ID belongs (a hand edit, an old program).
std::optional<std::int32_t> CounterID(const QVariant& value, std::int32_t lowest);

} // namespace tolvane
