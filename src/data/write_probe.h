#pragma once

namespace tolvane {

class Connection;

// Whether the run can write the file `cn` works on, asked before the run's first write
// by a write that is tried and undone: a file or folder without the right to write, a
// file on a read-only share or held by another program's write lock is refused here
// (Error naming the file and the engine's reason), not halfway through the run. The
// file stays as it was. Asks nothing of a server or an ODBC driver's file: their first
// write says it.
void CheckWritable(Connection& cn);

} // namespace tolvane
