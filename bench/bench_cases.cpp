#include "bench_cases.h"

#include "command/form_defaults.h"
#include "command/update_command.h"
#include "data/run_state.h"
#include "floor_replay.h"
#include "report/report_collector.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "runner/batch_trace.h"
#include "runner/batch_window.h"
#include "window/frmKordan.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <memory>
#include <stdexcept>
#include <sys/resource.h>

namespace tolvane::bench {

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void CaseResult::Write(QTextStream& out) const {
    for (const StageFigures& s : stages)
        out << "stage\t" << s.name << '\t' << s.seconds << '\t' << s.statements << '\t' << s.rows
            << '\t' << s.floorSeconds << '\t' << s.floorAllSeconds << '\t' << s.roundTrips << '\t'
            << s.sourceRoundTrips << '\t' << s.floorRoundTrips << '\n';
    out << "total\t" << seconds << '\t' << statements << '\t' << rows << '\t' << floorSeconds
        << '\t' << floorAllSeconds << '\t' << roundTrips << '\t' << sourceRoundTrips << '\t'
        << floorRoundTrips << '\n';
    out << "peak_kb\t" << peakKb << '\n';
    out << "floor_failures\t" << floorFailures << '\t' << batch::EscapeField(firstFloorFailure)
        << '\n';
    out << "message\t" << batch::EscapeField(message) << '\n';
}

CaseResult CaseResult::Read(const QString& text) {
    CaseResult r;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        const QString& key = f[0];
        if (key == QLatin1String("stage") && f.size() >= 10) {
            StageFigures s;
            s.name = f[1];
            s.seconds = f[2].toDouble();
            s.statements = f[3].toLongLong();
            s.rows = f[4].toLongLong();
            s.floorSeconds = f[5].toDouble();
            s.floorAllSeconds = f[6].toDouble();
            s.roundTrips = f[7].toLongLong();
            s.sourceRoundTrips = f[8].toLongLong();
            s.floorRoundTrips = f[9].toLongLong();
            r.stages.push_back(s);
        } else if (key == QLatin1String("total") && f.size() >= 9) {
            r.seconds = f[1].toDouble();
            r.statements = f[2].toLongLong();
            r.rows = f[3].toLongLong();
            r.floorSeconds = f[4].toDouble();
            r.floorAllSeconds = f[5].toDouble();
            r.roundTrips = f[6].toLongLong();
            r.sourceRoundTrips = f[7].toLongLong();
            r.floorRoundTrips = f[8].toLongLong();
        } else if (key == QLatin1String("peak_kb") && f.size() >= 2) {
            r.peakKb = f[1].toLong();
        } else if (key == QLatin1String("floor_failures") && f.size() >= 2) {
            r.floorFailures = f[1].toLongLong();
            r.firstFloorFailure = f.value(2);
        } else if (key == QLatin1String("message")) {
            r.message = f.value(1);
        }
    }
    return r;
}

namespace {

FormFields FieldsFor(const ShopFiles& files, bool rebuild) {
    FormFields fields = form::DefaultFields(form::kBrand);
    fields.txtPriceList = files.list;
    fields.txtDataVelmora = files.shop;
    fields.chkLikelAt = rebuild;
    return fields;
}

// The batch runner's window, telling the clock what the progress boxes show.
class ClockedWindow : public batch::BatchWindow {
public:
    ClockedWindow(const FormFields& fields, QTextStream& out, QTextStream& err, StageClock& clock)
        : BatchWindow(fields, out, err), clock_(clock) {}

    void SetTxtQTY(const QString& text) override {
        clock_.Progress(text);
        BatchWindow::SetTxtQTY(text);
    }
    void SetTxtPartNO(const QString& text) override {
        clock_.Row();
        BatchWindow::SetTxtPartNO(text);
    }

private:
    StageClock& clock_;
};

// The runner's price-change report, its readings and its writing timed as a stage
// of their own: the first reading before the first write, the second after the last.
class ClockedReport : public report::ReportCollector {
public:
    explicit ClockedReport(StageClock& clock) : clock_(clock) {}
    void BeforeListCheck(RunState&) override { clock_.Switch(QStringLiteral("list check")); }
    void BeforeFirstWrite(RunState& st) override {
        clock_.Switch(QStringLiteral("report"));
        ReportCollector::BeforeFirstWrite(st);
    }
    void AfterLastWrite(RunState& st) override {
        clock_.Switch(QStringLiteral("report"));
        ReportCollector::AfterLastWrite(st);
    }

private:
    StageClock& clock_;
};

// Writes the report of a finished run as the runner does.
void WriteReport(ClockedReport& collector, const batch::BatchWindow& window, const QString& path) {
    report::RunFacts facts;
    facts.message = window.LastMessage();
    const report::ReportData data = collector.Finish(window.Grid(), facts);
    QFile html(path + ".html"), csv(path + ".csv");
    if (!html.open(QIODevice::WriteOnly) || !csv.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the report beside " + path.toStdString());
    html.write(report::ReportHtml(data).toUtf8());
    csv.write(report::ChangesCsv(data));
}

void AddUpStages(CaseResult& result) {
    for (const StageFigures& s : result.stages) {
        result.statements += s.statements;
        result.rows += s.rows;
        result.roundTrips += s.roundTrips;
        result.sourceRoundTrips += s.sourceRoundTrips;
        result.floorRoundTrips += s.floorRoundTrips;
    }
}

CaseResult RunHeadlessWith(const FormFields& fields, const QString& traceFile,
                           const ShopFiles& floorCopy) {
    QString error;
    batch::TraceFile file;
    std::unique_ptr<batch::SqlTraceWriter> writer;
    if (!traceFile.isEmpty()) {
        if (!file.Open(traceFile, error))
            throw std::runtime_error(error.toStdString());
        writer = std::make_unique<batch::SqlTraceWriter>(file.stream());
    }
    QString messages, detail;
    QTextStream out(&messages), err(&detail);
    StageClock clock(writer.get());
    ClockedWindow window(fields, out, err, clock);

    CaseResult result;
    QElapsedTimer total;
    // The traced runs also write the price-change report beside their trace.
    ClockedReport collector(clock);
    const bool withReport = !traceFile.isEmpty();
    window.SetQtyListener([&](const QString& text) { collector.Progress(text, form::kBrand); });
    {
        // As the batch runner does: the state lives only for the run.
        RunState state(window, DataHooks{&clock, nullptr});
        state.strBrand = form::kBrand;
        if (withReport)
            state.observer = &collector;
        clock.Start();
        total.start();
        cmdUpDate_Click(state);
    }
    if (withReport)
        WriteReport(collector, window, traceFile + ".report");
    result.seconds = total.nsecsElapsed() / 1e9;
    result.stages = clock.Finish();
    result.peakKb = PeakKb();
    result.message = window.LastMessage();
    // Standard error also carries the run's notices (the list check's doubly named
    // numbers, counter repairs); only a run that did not finish needs its detail shown.
    if (!detail.isEmpty() && result.message != QStringLiteral("เสร็จแล้วจ้า"))
        result.message += " | " + detail.trimmed();
    if (!file.Close(error))
        throw std::runtime_error(error.toStdString());
    AddUpStages(result);
    if (!traceFile.isEmpty() && !floorCopy.shop.isEmpty()) {
        const FloorResult floor =
            ReplayTrace(ReadTrace(traceFile), floorCopy.list, floorCopy.shop, result.stages);
        result.floorSeconds = floor.seconds;
        result.floorAllSeconds = floor.allRowsSeconds;
        result.floorFailures = floor.failures;
        result.firstFloorFailure = floor.firstFailure;
    }
    return result;
}

} // namespace

CaseResult RunHeadless(const ShopFiles& files, bool rebuild, const QString& traceFile,
                       const ShopFiles& floorCopy) {
    return RunHeadlessWith(FieldsFor(files, rebuild), traceFile, floorCopy);
}

CaseResult RunHeadlessOnServer(const ServerShop& shop, const QString& list, bool rebuild) {
    FormFields fields = form::DefaultFields(form::kBrand);
    fields.txtPriceList = list;
    fields.chkLikelAt = rebuild;
    fields.optAccess = false;
    fields.chkComType = true; // on the server machine: driver={SQL Server};server=...
    fields.txtServer = shop.server;
    fields.txtdbq = shop.database;
    fields.txtuid = shop.user;
    fields.txtpwd = shop.password;
    return RunHeadlessWith(fields, QString(), ShopFiles());
}

namespace {

// The window, telling the clock what its progress boxes show.
class ClockedForm : public frmKordan {
public:
    explicit ClockedForm(StageClock& clock) : clock_(clock) { state().hooks = {&clock, nullptr}; }
    void SetTxtQTY(const QString& text) override {
        clock_.Progress(text);
        frmKordan::SetTxtQTY(text);
    }
    void SetTxtPartNO(const QString& text) override {
        clock_.Row();
        frmKordan::SetTxtPartNO(text);
    }

private:
    StageClock& clock_;
};

} // namespace

CaseResult RunWindow(const ShopFiles& files, bool rebuild) {
    StageClock clock;
    ClockedForm window(clock);
    window.show();
    QCoreApplication::processEvents();
    const FormFields fields = FieldsFor(files, rebuild);
    window.findChild<QLineEdit*>(QStringLiteral("txtPriceList"))->setText(fields.txtPriceList);
    window.findChild<QLineEdit*>(QStringLiteral("txtDataVelmora"))->setText(fields.txtDataVelmora);
    window.findChild<QCheckBox*>(QStringLiteral("chkLikelAt"))->setChecked(fields.chkLikelAt);
    CaseResult result;
    window.SetMessageRecorder(
        [&](const QString& text, MessageStyle, const QString& detail, const QString&) {
            result.message = detail.isEmpty() ? text : text + " | " + detail;
        });
    QCoreApplication::processEvents();
    QElapsedTimer total;
    clock.Start();
    total.start();
    window.PressUpdate();
    result.seconds = total.nsecsElapsed() / 1e9;
    result.stages = clock.Finish();
    result.peakKb = PeakKb();
    AddUpStages(result);
    return result;
}

} // namespace tolvane::bench
