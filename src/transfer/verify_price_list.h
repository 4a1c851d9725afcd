#pragma once

#include <QString>

namespace tolvane {

struct RunState;

// Reads the whole price list once, before the run's first write, and refuses a list
// the run would stop on halfway: a chunk that PriceList_Count names but that is missing
// or lacks a column the run reads, a count that is no whole number from 1 to 32767, a
// Null in a text column, an empty part number, a price or sale price that is no amount
// (Null, not a number, beyond the amounts' range), a PriceListAll without its columns.
// Raises Error naming the table, the row (and part), the column and the value of the
// first 20 problems and counting the rest. Writes nothing; needs cnPriceList open.
//
// A list that passes may still name one part number in several lines of one chunk with
// different values: the run stages them all, and the database's order of the tied
// staged rows decides which line creates the part. Each such number is told as a
// notice (the first 20 of the run, then one notice counting the rest); the run goes on.
//
// Returns the list's fingerprint (ListFingerprint): whether a run cut short ran this list.
QString VerifyPriceList(RunState& st);

// How many part numbers a notice of VerifyPriceList names as named more than once in a
// chunk with different values: 1 for a notice on one number, the rest for the notice
// that counts them, 0 for any other notice.
int DoublyNamedIn(const QString& notice);

} // namespace tolvane
