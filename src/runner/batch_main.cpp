// tolvane-batch: the Update command without a window, for scripts and benchmarks.
#include "runner/batch_run.h"

#include <QCoreApplication>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define TOLVANE_ISATTY _isatty
#define TOLVANE_FILENO _fileno
#else
#include <unistd.h>
#define TOLVANE_ISATTY isatty
#define TOLVANE_FILENO fileno
#endif

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool errIsTerminal = TOLVANE_ISATTY(TOLVANE_FILENO(stderr)) != 0;
    return tolvane::batch::RunBatch(QCoreApplication::arguments(), out, err, errIsTerminal);
}
