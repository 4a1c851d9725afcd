#include "runner/batch_run.h"

#include "command/form_defaults.h"
#include "command/update_command.h"
#include "data/connection_texts.h"
#include "data/database_file.h"
#include "data/run_state.h"
#include "data/write_probe.h"
#include "keep/kept_run.h"
#include "keep/shop_backup.h"
#include "keep/shop_copy.h"
#include "report/report_collector.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "runner/batch_options.h"
#include "runner/batch_trace.h"
#include "runner/batch_window.h"
#include "text/error.h"
#include "text/failure.h"
#include "text/versions.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <optional>

namespace tolvane::batch {

namespace {

const QString kFinishedMessage = QStringLiteral("เสร็จแล้วจ้า");
const QString kFailedMessage = QStringLiteral("ไม่สามรถบันทึกได้");

// The files the runner writes, opened before the run so a bad path costs no work.
struct OutputFiles {
    TraceFile sql, progress, grid, report, changes;

    bool Open(const BatchOptions& o, QString& error) {
        const std::pair<TraceFile*, const QString*> files[] = {{&sql, &o.traceSql},
                                                               {&progress, &o.traceProgress},
                                                               {&grid, &o.grid},
                                                               {&report, &o.report},
                                                               {&changes, &o.changes}};
        for (const auto& [file, path] : files) {
            if (!path->isEmpty() && !file->Open(*path, error))
                return false;
        }
        return true;
    }
    // Flushes and closes every file; false (with each reason on `err`) when any failed.
    bool Close(QTextStream& err) {
        bool written = true;
        QString error;
        for (TraceFile* file : {&sql, &progress, &grid, &report, &changes}) {
            if (!file->Close(error)) {
                err << error << '\n';
                written = false;
            }
        }
        return written;
    }
};

// A test run and a backup copy shop files through SQLite; an Access file reached
// through its ODBC driver cannot be copied consistently from here.
QString CheckCopyable(const BatchOptions& o) {
    const QString shop = TrimBlanks(o.fields.txtDataVelmora);
    const QString list = TrimBlanks(o.fields.txtPriceList);
    if (o.testRun && (KindOfDatabaseFile(shop) != DatabaseFile::SQLite ||
                      KindOfDatabaseFile(list) != DatabaseFile::SQLite))
        return QStringLiteral("--test-run needs a shop file and a price-list file it can copy "
                              "(files the program opens itself); ") +
               shop + QStringLiteral(" or ") + list + QStringLiteral(" is not one");
    if (!o.backup.isEmpty() && KindOfDatabaseFile(shop) != DatabaseFile::SQLite)
        return QStringLiteral("--backup copies a shop file the program opens itself; ") + shop +
               QStringLiteral(" is not one (back an Access file up with Access, while no one "
                              "has it open)");
    return QString();
}

// The shop as the clerk knows it: its file, or its database on its server. A connection
// text means nothing to a clerk and may carry what should not be printed.
QString ShopText(const FormFields& f) {
    if (f.optAccess)
        return TrimBlanks(f.txtDataVelmora);
    return DatabaseInThai(f.txtServer, f.txtdbq);
}

// Copies of the two files in a private folder, removed with it.
struct TestCopies {
    QTemporaryDir dir;
    QString shop, list;
};

// The test run writes its copies, the real run the files themselves: they take the real
// run's write check (tried and undone), so the test run fails where the real one would.
void CheckWritable(Role role, const QString& text) {
    Connection cn(role, {});
    cn.SetCommandTimeout(20); // as long as the run waits for a file's lock
    cn.Open(text);
    tolvane::CheckWritable(cn);
    cn.Close();
}

std::unique_ptr<TestCopies> CopyForTestRun(FormFields& fields) {
    auto copies = std::make_unique<TestCopies>();
    if (!copies->dir.isValid())
        throw Error(QStringLiteral("No private folder for the test run's copies: ") +
                    copies->dir.errorString());
    const QString shop = TrimBlanks(fields.txtDataVelmora);
    const QString list = TrimBlanks(fields.txtPriceList);
    copies->shop = copies->dir.filePath(QFileInfo(shop).fileName());
    copies->list = copies->dir.filePath(QFileInfo(list).fileName());
    keep::CopyDatabaseFile(shop, copies->shop);
    keep::CopyDatabaseFile(list, copies->list);
    CheckWritable(Role::Target, AccessTargetText(shop, false));
    CheckWritable(Role::Source, SourceText(shop, list));
    fields.txtDataVelmora = copies->shop;
    fields.txtPriceList = copies->list;
    return copies;
}

void WriteReport(OutputFiles& files, report::ReportCollector& collector, const BatchWindow& window,
                 report::RunFacts facts, int checkShare) {
    report::ReportData data = collector.Finish(window.Grid(), std::move(facts));
    data.checkShare = checkShare;
    if (files.report.IsOpen())
        files.report.stream() << report::ReportHtml(data);
    if (files.changes.IsOpen()) {
        files.changes.stream().flush();
        files.changes.device().write(report::ChangesCsv(data));
    }
}

} // namespace

int RunBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool liveProgress,
             const QProcessEnvironment& environment) {
    BatchOptions options;
    QString error;
    if (!ParseBatchOptions(args, environment, options, error) ||
        !(error = CheckCopyable(options)).isEmpty()) {
        err << error << "\n\n" << BatchUsage();
        err.flush();
        return kBadOptions;
    }
    if (options.help) {
        out << BatchUsage();
        out.flush();
        return kFinished;
    }
    for (const QString& warning : options.warnings)
        err << "tolvane-batch: " << warning << '\n';

    OutputFiles files;
    if (!files.Open(options, error)) {
        err << error << '\n';
        err.flush();
        return kBadOptions;
    }
    std::unique_ptr<SqlTraceWriter> sqlTrace;
    if (files.sql.IsOpen())
        sqlTrace = std::make_unique<SqlTraceWriter>(files.sql.stream());

    report::RunFacts facts;
    facts.shop = ShopText(options.fields);
    facts.priceList = TrimBlanks(options.fields.txtPriceList);
    facts.testRun = options.testRun;
    facts.started = QDateTime::currentDateTime();

    FormFields fields = options.fields;
    std::unique_ptr<TestCopies> copies;
    std::optional<Error> copyFailure;
    if (options.testRun) {
        try {
            copies = CopyForTestRun(fields);
        } catch (const Error& e) {
            copyFailure = e;
        }
    }

    BatchWindow window(fields, out, err);
    window.SetLiveProgress(liveProgress);
    if (files.progress.IsOpen())
        window.SetProgressTrace(&files.progress.stream());

    // The backup is taken under the run lock, right before the first write.
    report::ReportCollector collector([&](RunState& st) {
        if (options.backup.isEmpty())
            return;
        const QString shop = TrimBlanks(st.window.Fields().txtDataVelmora);
        const QString path =
            keep::BackUpDatabaseFile(shop, options.backup, QDateTime::currentDateTime());
        facts.backupPath = path;
        if (options.keepBackups > 0)
            keep::KeepNewestBackups(shop, options.backup, options.keepBackups);
        err << "backup: " << path << '\n';
        err.flush();
    });
    window.SetQtyListener([&](const QString& text) { collector.Progress(text, form::kBrand); });
    if (copyFailure) {
        window.ShowMessage(kFailedMessage, kNoIcon, copyFailure->detail(), copyFailure->advice());
    } else {
        // The state lives only for the run: its connections report their last
        // events to the trace while the trace file is still open.
        RunState state(window, DataHooks{sqlTrace.get(), nullptr});
        state.strBrand = form::kBrand;
        state.observer = &collector;
        cmdUpDate_Click(state);
    }
    window.ClearLiveProgress();
    if (files.grid.IsOpen())
        window.WriteGrid(files.grid.stream());

    facts.ended = QDateTime::currentDateTime();
    facts.message = window.LastMessage();
    if (facts.message != kFinishedMessage) {
        facts.errorDetail = window.LastDetail();
        facts.errorAdvice = window.LastAdvice();
    }
    facts.notices = window.Notices();
    facts.thaiNotices = window.ThaiNotices();
    if (files.report.IsOpen() || files.changes.IsOpen())
        WriteReport(files, collector, window, std::move(facts), options.checkShare);

    const bool written = files.Close(err);
    err.flush();
    if (!written)
        return kStoppedByMessage;
    return window.LastMessage() == kFinishedMessage ? kFinished : kStoppedByMessage;
}

} // namespace tolvane::batch
