#pragma once

#include "transfer/run_steps.h"

#include <QString>
#include <optional>

namespace tolvane {

struct RunState;

// A brand's run as the shop database records it while the run works.
struct RecordedRun {
    QString list;         // the price list's fingerprint (ListFingerprint)
    RunPoint point;       // the step it was at
    int chunkNumber = 0;  // the chunk's number, for a chunk step
    bool rebuild = false; // whether it rebuilds the alternates at its end
    QString collected;    // the collected list's fingerprint, from its collected prices on
    QString started;      // when it started, yyyy-MM-dd HH:mm:ss
    QString unreadable;   // what a record this program cannot read holds; else empty
};

// Where the brand's run stands, recorded in the shop database so that a run cut short (the
// window closed, the power gone, the program killed, an error) is finished by the next run
// of the same list: the shop then ends as if the cut run had completed, followed by the
// next. The table TolvaneRun holds one row per brand while the brand's run works; the first
// run that writes creates it (no other table changes), and a run that completes removes its
// row. Each step is marked in a statement of its own before the step's first write, on
// whatever engine the shop is (RunSteps says why a step needs no more).
class RunRecord {
public:
    // Reads the brand's record of a run cut short, before the run's first write (a shop
    // without the table has none). `list` is this run's price list's fingerprint.
    RunRecord(RunState& st, QString list);

    // The run cut short, if any.
    const std::optional<RecordedRun>& cut() const { return cut_; }
    // Why this run cannot finish the run cut short (another list, a collected list the
    // price-list file no longer holds, a record not understood); empty when it can.
    QString Unfinishable();
    // One line for the operator: that the last run was cut short, where, and what this run
    // does about it (`unfinishable` as Unfinishable gave it).
    QString CutShortNotice(const QString& unfinishable) const;

    // From here on the marks are this run's, and the first writes its whole record.
    void Start(bool rebuild);
    // The run being worked (the cut one until Start) is at `point`.
    void Mark(const RunPoint& point);
    // This run completed: its record goes.
    void Complete();

private:
    QString CollectedFingerprint();
    void Write();

    RunState& st_;
    QString list_;
    std::optional<RecordedRun> cut_;
    RecordedRun current_;
    bool table_ = false; // the table exists
    bool row_ = false;   // the brand's row exists
};

// The run with its record: a run cut short is finished first where it can be (and said so
// either way), then this run, each step marked in the shop; the record goes at the end.
void RunTransfer(RunState& st, RunRecord& record);

} // namespace tolvane
