#include "app/batch_run.h"

#include "app/batch_options.h"
#include "app/batch_trace.h"
#include "app/batch_window.h"
#include "app/form_defaults.h"
#include "app/update_command.h"
#include "data/run_state.h"

#include <memory>

namespace tolvane::batch {

namespace {

const QString kFinishedMessage = QStringLiteral("เสร็จแล้วจ้า");

// Opens every requested file before the run, so a bad path costs no work.
bool OpenFiles(const BatchOptions& options, TraceFile& sql, TraceFile& progress, TraceFile& grid,
               QString& error) {
    return (options.traceSql.isEmpty() || sql.Open(options.traceSql, error)) &&
           (options.traceProgress.isEmpty() || progress.Open(options.traceProgress, error)) &&
           (options.grid.isEmpty() || grid.Open(options.grid, error));
}

} // namespace

int RunBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool liveProgress) {
    BatchOptions options;
    QString error;
    if (!ParseBatchOptions(args, options, error)) {
        err << error << "\n\n" << BatchUsage();
        err.flush();
        return kBadOptions;
    }
    if (options.help) {
        out << BatchUsage();
        out.flush();
        return kFinished;
    }

    TraceFile sqlFile, progressFile, gridFile;
    if (!OpenFiles(options, sqlFile, progressFile, gridFile, error)) {
        err << error << '\n';
        err.flush();
        return kBadOptions;
    }
    std::unique_ptr<SqlTraceWriter> sqlTrace;
    if (sqlFile.IsOpen())
        sqlTrace = std::make_unique<SqlTraceWriter>(sqlFile.stream());

    BatchWindow window(options.fields, out, err);
    window.SetLiveProgress(liveProgress);
    if (progressFile.IsOpen())
        window.SetProgressTrace(&progressFile.stream());
    {
        // The state lives only for the run: its connections report their last
        // events to the trace while the trace file is still open.
        RunState state(window, DataHooks{sqlTrace.get(), nullptr});
        state.strBrand = form::kBrand;
        cmdUpDate_Click(state);
    }
    window.ClearLiveProgress();
    if (gridFile.IsOpen())
        window.WriteGrid(gridFile.stream());

    bool written = true;
    for (TraceFile* file : {&sqlFile, &progressFile, &gridFile}) {
        if (!file->Close(error)) {
            err << error << '\n';
            written = false;
        }
    }
    err.flush();
    if (!written)
        return kStoppedByMessage;
    return window.LastMessage() == kFinishedMessage ? kFinished : kStoppedByMessage;
}

} // namespace tolvane::batch
