#pragma once

#include "data/window.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tolvane::batch {

// The runner's command line: the window's fields (unset ones keep the window's
// defaults), the files to write and what to do around the run.
struct BatchOptions {
    FormFields fields;
    QString traceSql;
    QString traceProgress;
    QString grid;
    QString report;       // the price-change report (HTML)
    QString changes;      // the price-change table (CSV)
    QString backup;       // a folder for a copy of the shop file taken before the first write
    bool testRun = false; // run on copies of the two files; the originals stay untouched
    int checkShare = 50;
    int keepBackups = 0;  // with a backup: keep this many of the shop's in its folder (0: all)  // the report's prices to check: a rise or fall beyond this percent
    bool help = false;
    QStringList warnings; // said on standard error before the run
};

// Parses `args` (the program name first). The SQL Server password comes from
// --password, --password-file (its first line) or, when neither is given, from the
// environment variable TOLVANE_PASSWORD of `environment`. False, with `error` set, for
// an unknown option, a missing value, a stray argument, a password file that cannot
// be read, or options that do not go together.
bool ParseBatchOptions(const QStringList& args, const QProcessEnvironment& environment,
                       BatchOptions& options, QString& error);

// The usage text of --help.
QString BatchUsage();

} // namespace tolvane::batch
