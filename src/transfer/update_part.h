#pragma once

#include "parts/part_entry.h"

namespace tolvane {

struct RunState;

// How often a write is repeated while its read-back finds nothing before the run
// gives up with an error naming the read-back.
constexpr int kReadBackLimit = 10;

// Applies one price-list entry: updates every matching row of Pta<B> (texts unless
// UpRec is set, prices always) and its copies in MovementStock, SPG, Price, Sale
// and Alt<B>, or stages the entry in PriceList when no part matches.
// Needs cnData open; leaves rsData and rsWork closed.
void UpdatePart(RunState& st, const PartEntry& entry);

} // namespace tolvane
