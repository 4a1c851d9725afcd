#pragma once

namespace tolvane {

struct RunState;

// One pass of the rebuild statement by statement: takes the first part ID the database
// returns from AltGX as the head, and in one transaction rewrites the head's group
// (SaveAltGFacD) and takes the head and its alternates out of the queue. False, with
// nothing done, when the queue is empty.
bool RebuildNextGroup(RunState& st);

// The passes of the rebuild on a server engine (the shop connection sends checked
// calls): the same heads, links, factories and queue deletions as RebuildNextGroup pass
// after pass, with one round trip per some thousand statements instead of several per
// group.
//
// It reads the queue once, in the order the database returns it, with the statement
// each pass reads it with, and takes the heads in that order: which part heads a group
// where the outcome depends on it stays the database's choice, and a run taken up from
// the queue a cut-short run left goes on in the same order. It reads the brand's links
// as LoadAltG joins them and the factories as LoadFacD joins them, all parts at once,
// works every pass out in memory and sends each pass's transaction in a checked call
// with those after it; the head's removal from the queue must touch a row, so a queue
// changed meanwhile undoes the pass. A head it cannot read and a pass the server undid
// go through RebuildNextGroup at their turn, and what is left is read afresh.
//
// Shows each head as the passes statement by statement do. Raises the error of the
// pass that fails. False, with nothing done, when the first read fails: the caller then
// goes pass by pass.
bool RebuildGroupsBySet(RunState& st);

} // namespace tolvane
