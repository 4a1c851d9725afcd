#pragma once

#include <cstdint>

namespace tolvane {

struct InsertionProgress;
struct InsertionRun;

// New part insertion on a server engine (the shop connection sends checked calls):
// the same rows, parts, IDs and links as InsertStagedRow row after row, with one round
// trip per few dozen staged rows instead of a dozen per row.
//
// It reads once what the staged rows need: the staged rows in the server's order with
// the server's grouping of equal numbers, the parts their numbers find (matched on the
// server), the server's classes of equal kinds and numbers among all those the rows look
// up or create (so that a part one row creates is found by a later row exactly where
// the server would find it), the counter, its freed IDs and the highest ID in use, and
// the links of the parts that may become an own part. From these it works out what each
// row finds,
// creates, draws and links, and sends each row's transaction in a checked call with
// those of the rows around it: the counter written only while it holds the value read,
// the freed ID and the staged row removed only while they are there, so that another
// program drawing IDs meanwhile undoes the row. A row it cannot work out for certain (a
// counter that needs repair, a freed ID in use, a value it cannot read), and a row whose transaction the server undid, goes
// through InsertStagedRow at its turn; what that row changed is then read afresh. A
// number found under several parts finds the one with the lowest ID.
//
// Shows the progress of every row as the row-by-row insertion does. Raises the error of
// the row that fails. False, with nothing done, when the first read fails: the caller
// then goes row by row.
bool InsertStagedRowsBySet(InsertionRun& run, InsertionProgress& progress);

} // namespace tolvane
