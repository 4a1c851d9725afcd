#pragma once

#include "transfer/run_steps.h"

#include <cstdint>

namespace tolvane {

struct RunState;

// Reads PriceList_Count (ascending) into intCount/lngCountUB; false when it is empty.
bool LoadChunkList(RunState& st);

// The brand's price list, chunk by chunk: every row to UpdatePart (and its linked and
// alternate numbers), then InsertNewPart(n) per chunk. With `steps`: the chunk steps due.
void ApplyPriceList(RunState& st);
void ApplyPriceList(RunState& st, RunSteps& steps);
// The collected list PriceListAll, once, then InsertNewPart(0). With `steps`: the collected
// list's steps due.
void ApplyPriceListAll(RunState& st);
void ApplyPriceListAll(RunState& st, RunSteps& steps);
// The first check: every entry still missing or different goes into PriceListAll.
void CheckPriceList(RunState& st);
// 1 when PriceListAll holds a row, else 0.
std::int16_t HasPriceListAll(RunState& st);
// The second check: every entry still missing or different becomes a grid line.
void ShowPriceDiff(RunState& st);
// Rebuilds every alternate group of the brand through the AltGX queue. With `steps`: the
// queue's steps due (a rebuild taken up goes on with the queue as it stands).
void RebuildAltGX(RunState& st);
void RebuildAltGX(RunState& st, RunSteps& steps);
// The whole run, stage by stage.
void RunTransfer(RunState& st);
// The run's steps that are due.
void RunTransfer(RunState& st, RunSteps& steps);

} // namespace tolvane
