#pragma once

#include <QStringList>
#include <QTextStream>

namespace tolvane::batch {

// Exit status of the runner.
enum ExitStatus { kFinished = 0, kStoppedByMessage = 1, kBadOptions = 2 };

// The headless runner: parses `args` (program name first), sets up a window with
// the window's defaults and the given fields, presses Update once and writes the
// requested files. Messages go to `out`, error detail and the live progress line
// (when `liveProgress`, i.e. standard error is a terminal) to `err`.
int RunBatch(const QStringList& args, QTextStream& out, QTextStream& err,
             bool liveProgress = false);

} // namespace tolvane::batch
