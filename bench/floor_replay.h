#pragma once

#include "stage_clock.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::bench {

// One line of a --trace-sql file.
struct TraceEvent {
    enum Kind { Connect, Open, Execute, Begin, Commit, Rollback, Close, Recordset };
    bool target = false; // false: the price-list file
    Kind kind = Execute;
    std::string sql; // UTF-8: the statement to send (empty for the others)
};

// Reverses the trace file's escapes (\t, \n, \\).
QString UnescapeField(const QString& field);

// The statement a recordset event stands for: "AddNew T (a, b) = (1, 'x')" becomes
// "Insert Into T (a, b) Values (1, 'x')"; the Update and Delete descriptions are
// already statements. Empty when the description has neither form.
QString RecordsetStatement(const QString& description);

// Reads a --trace-sql file; throws std::runtime_error on a line it cannot read.
std::vector<TraceEvent> ReadTrace(const QString& path);

struct FloorResult {
    double seconds = 0;        // each open pays for its first row only
    double allRowsSeconds = 0; // each open steps through every row
    std::int64_t statements = 0;
    std::int64_t failures = 0;
    QString firstFailure;
};

// Replays `events` through SQLite's C API in this process: connect opens the copy
// of that side's file (WAL, synchronous=NORMAL, as the program does), open
// prepares and steps through every row, execute prepares and steps, begin, commit
// and rollback send BEGIN, COMMIT and ROLLBACK, close closes. The time spent on
// rows past the first row of a statement is counted apart: the program's
// recordsets fetch only the rows their caller reads (a work queue is opened for
// its first row), so the floor leaves it out and floorAll keeps it. Each stretch
// of `stages` gets the time of its own events.
FloorResult ReplayTrace(const std::vector<TraceEvent>& events, const QString& sourceCopy,
                        const QString& targetCopy, std::vector<StageFigures>& stages);

} // namespace tolvane::bench
