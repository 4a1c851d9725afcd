#pragma once

#include "data/window.h"

#include <QString>
#include <QStringList>

namespace tolvane::batch {

// The runner's command line: the window's fields (unset ones keep the window's
// defaults) and the files to write.
struct BatchOptions {
    FormFields fields;
    QString traceSql;
    QString traceProgress;
    QString grid;
    bool help = false;
};

// Parses `args` (the program name first). False, with `error` set, for an unknown
// option, a missing value or a stray argument.
bool ParseBatchOptions(const QStringList& args, BatchOptions& options, QString& error);

// The usage text of --help.
QString BatchUsage();

} // namespace tolvane::batch
