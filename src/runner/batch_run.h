#pragma once

#include <QProcessEnvironment>
#include <QStringList>
#include <QTextStream>

namespace tolvane::batch {

// Exit status of the runner.
enum ExitStatus { kFinished = 0, kStoppedByMessage = 1, kBadOptions = 2 };

// The headless runner: parses `args` (program name first), sets up a window with
// the window's defaults and the given fields, presses Update once and writes the
// requested files: traces, grid, the price-change report and table. With --test-run
// it runs on copies of the two files, with --backup it copies the shop file before the
// first write. Messages go to `out`; error detail, notices and the live progress line
// (when `liveProgress`, i.e. standard error is a terminal) to `err`. `environment`
// may hold the SQL Server password (TOLVANE_PASSWORD).
int RunBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool liveProgress = false,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

} // namespace tolvane::batch
