#pragma once

#include "parts/part_entry.h"
#include "text/amount.h"

#include <QString>
#include <functional>

namespace tolvane {

struct RunState;

// One entry of a chunk table as the checks read it: the twelve texts trimmed,
// including the two the checks only carry over.
struct CheckEntry : PartEntry {
    QString PartNew, FPartNew;
};

// What the brand's part table holds for an entry: the first matching row's
// price and sale price (Price1/Sale1 in P.45 (Bar)), or nothing.
struct StoredPrice {
    bool found = false;
    Currency price, sale;
};

// Looks the entry's part up in Pta<B> by kind and number, or by search number
// in the search-key versions. Leaves rsData closed.
StoredPrice LookUpPart(RunState& st, const CheckEntry& entry);

// True when the entry is still new or its price or sale price differs from the
// stored one.
bool StillDiffers(const CheckEntry& entry, const StoredPrice& stored);

// The opening text of a check, then a yield.
void BeginCheck(RunState& st);

// Walks every chunk of the price list in chunk-list order and, within a chunk,
// in part-number order: progress texts and a yield per row, the look-up, and
// `onListed` for every entry that still differs. `beforeChunk` (may be empty)
// runs at the start of every chunk. Ends with a yield and the "  100 %" text.
void WalkPriceList(RunState& st, const std::function<void()>& beforeChunk,
                   const std::function<void(const CheckEntry&, const StoredPrice&)>& onListed);

} // namespace tolvane
