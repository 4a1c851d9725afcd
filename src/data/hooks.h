#pragma once

#include <QString>

namespace tolvane {

// Which database a connection serves.
enum class Role {
    Source, // the supplier's price-list file
    Target, // the shop database
};

// Every database event a connection reports.
enum class TraceKind { Connect, Open, Execute, Begin, Commit, Rollback, Close, Recordset };

// "source" / "target", and "connect", "open", ... as the trace file writes them.
QString RoleName(Role role);
QString TraceKindName(TraceKind kind);

// Sees every event of every connection. For Connect the text is the connection
// text with every password value replaced by ***; for Open and Execute the
// statement; for Recordset a free description of AddNew/Update/Delete; empty for
// the others. Not owned by the connection.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void Event(Role role, TraceKind kind, const QString& text) = 0;
    // One call that waits for the database: a connect, an executed statement (or
    // batch of statements), an opened recordset, a recordset write, a begin, commit
    // or rollback. Counted for the benchmark; no trace line of its own.
    virtual void RoundTrip(Role /*role*/) {}
};

// Called before every operation a connection performs (same kinds and texts as
// the trace, but Connect gets the unmasked text). A test implementation throws
// Error to make an operation fail: a refused password, the Nth statement, ...
class FaultInjector {
public:
    virtual ~FaultInjector() = default;
    virtual void Before(Role role, TraceKind kind, const QString& text) = 0;
};

// What every connection of a run is handed when it is created; both may be null.
// `batches` lets a server connection send statements the run does not wait for
// together (off: one statement per call, as the embedded engine always does).
struct DataHooks {
    TraceSink* trace = nullptr;
    FaultInjector* faults = nullptr;
    bool batches = true;
};

} // namespace tolvane
