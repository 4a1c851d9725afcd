#pragma once

namespace tolvane {

struct RunState;

// Reads the whole price list once, before the run's first write, and refuses a list
// the run would stop on halfway: a chunk that PriceList_Count names but that is missing
// or lacks a column the run reads, a count that is no whole number from 1 to 32767, a
// Null in a text column, an empty part number, a price or sale price that is no amount
// (Null, not a number, beyond the amounts' range), a PriceListAll without its columns.
// Raises Error naming the table, the row (and part), the column and the value of the
// first 20 problems and counting the rest. Writes nothing; needs cnPriceList open.
void VerifyPriceList(RunState& st);

} // namespace tolvane
