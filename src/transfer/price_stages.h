#pragma once

#include <cstdint>

namespace tolvane {

struct RunState;

// Reads PriceList_Count (ascending) into intCount/lngCountUB; false when it is empty.
bool LoadChunkList(RunState& st);

// The brand's price list, chunk by chunk: every row to UpdatePart (and its linked and
// alternate numbers), then InsertNewPart(n) per chunk.
void ApplyPriceList(RunState& st);
// The collected list PriceListAll, once, then InsertNewPart(0).
void ApplyPriceListAll(RunState& st);
// The first check: every entry still missing or different goes into PriceListAll.
void CheckPriceList(RunState& st);
// 1 when PriceListAll holds a row, else 0.
std::int16_t HasPriceListAll(RunState& st);
// The second check: every entry still missing or different becomes a grid line.
void ShowPriceDiff(RunState& st);
// Rebuilds every alternate group of the brand through the AltGX queue.
void RebuildAltGX(RunState& st);
// The whole run, stage by stage.
void RunTransfer(RunState& st);

} // namespace tolvane
