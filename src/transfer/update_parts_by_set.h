#pragma once

#include "parts/part_entry.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace tolvane {

struct RunState;

// The UpdatePart calls of one price-list row, in order: the row itself, then its
// linked and its alternate number where it names them.
using RowEntries = std::vector<PartEntry>;

// The price stages on a server engine (the target connection sends checked calls):
// the same writes as UpdatePart row by row (one statement per table where UpdatePart
// sends one per column), with far fewer round trips. The look-ups
// of all the rows are read by the set, matched on the server; the writes of a few
// hundred rows go out as one checked call, each write's read-back checked by the
// server, the whole call one transaction. A call the server undoes (a read-back that
// finds nothing, a statement that fails) is done again row by row through UpdatePart,
// so the limit, the error and what stands before it are those of the row-by-row run.
// A row whose look-up could not be read goes through UpdatePart at its turn.
//
// `show(i)` is called before row i is planned (the row's progress texts and yield).
// The parts the rows name are the shop's as the look-up read them: a part another
// user changes meanwhile is seen as it was.
void UpdatePartsBySet(RunState& st, const std::vector<RowEntries>& rows,
                      const std::function<void(std::size_t)>& show);

} // namespace tolvane
