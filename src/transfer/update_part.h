#pragma once

#include "data/run_state.h"
#include "parts/part_entry.h"
#include "parts/part_keys_by_set.h"

#include <QStringList>
#include <vector>

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

// What UpdatePart writes for one part, or for the staging of an entry: the statements
// of one attempt, and the read-back that must then find a row. `perTable` writes the same
// in one statement per table (the same rows, columns and values), for a server that
// runs them in one call.
struct PartWrite {
    QStringList statements;
    QStringList perTable;
    QString readBack;
};

// The writes of UpdatePart for an entry whose look-up found `matches` (none: the entry
// is staged), in the order UpdatePart sends them.
std::vector<PartWrite> PlanPartUpdate(const RunState& st, const PartEntry& entry,
                                      const std::vector<PartMatch>& matches);

// The entry's look-up in Pta<B>: its kind (empty: every kind) and the value of the key
// column, which is UpdateKeyColumn: FPartNO in the search-key versions, else PartNO.
PartKey UpdateLookupKey(const RunState& st, const PartEntry& entry);
QString UpdateKeyColumn(const RunState& st);

} // namespace tolvane
