#pragma once

#include "data/run_state.h"
#include "insert/row_layouts.h"
#include "insert/row_writer.h"
#include "parts/part_entry.h"

#include <QString>
#include <cstdint>

namespace tolvane {

// What one insertion run works with.
struct InsertionRun {
    RunState& st;
    const RowLayout& layout;
    std::int32_t dateStamp = 0;

    QString Brand() const { return QString::number(st.lngBrandID); }
};

// The values all parts of the row share. Layouts without the Thai search key keep
// the name-and-model search texts instead.
SharedValues ShareValues(const InsertionRun& run, const PartEntry& row);

// How a part is looked up: by kind and number, or in the layouts that key parts by
// their compact number, by that number (linked and alternate parts by the compact
// number alone). `kind` is empty where the look-up compares no kind.
struct PartLookup {
    QString kind;
    QString value; // of the key column
};
PartLookup LookupOf(const RowLayout& layout, PartRole role, const QString& kind,
                    const QString& number);
// "PartNO", or "FPartNO" in the layouts that look parts up by their compact number.
QString LookupColumn(const RowLayout& layout);

// A new part of the row, its ID given: its kind, number and search number.
NewPart NewPartOf(const InsertionRun& run, PartRole role, std::int32_t id, const QString& kind,
                  const QString& number);

// The removal of a handled staged row (by number alone when it has no kind).
QString StagedRowRemoval(const InsertionRun& run, const PartEntry& row);

// The first staged row of the brand in part-number order, read and closed again; false
// when none is left. The query runs afresh for every row, so each row sees what the
// rows before it deleted.
bool NextStagedRow(InsertionRun& run, PartEntry* row);

// How far an insertion run is: its staged rows at the start and those handled so far.
struct InsertionProgress {
    std::int16_t intCountNo = 0; // the chunk, shown in the progress text only
    std::int32_t total = 0;
    std::int32_t done = 0;
};

// Gets the next staged row under way: a Thai name from the English one where it has
// none, a yield and the row's progress texts. The values its parts share.
SharedValues StartStagedRow(InsertionRun& run, InsertionProgress& progress, PartEntry& row);

// One staged row, statement by statement, in a transaction of its own: the own, linked
// and alternate part found or created, their links, the staged row's removal. A
// failing row leaves nothing behind and raises its error.
void InsertStagedRow(InsertionRun& run, const PartEntry& row, const SharedValues& shared);

// The staged rows left, one by one, each read afresh.
void InsertStagedRowsOneByOne(InsertionRun& run, InsertionProgress& progress);

} // namespace tolvane
