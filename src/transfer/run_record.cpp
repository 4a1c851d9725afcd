#include "transfer/run_record.h"

#include "data/literal.h"
#include "data/recordset.h"
#include "data/run_state.h"
#include "text/error.h"
#include "text/failure.h"
#include "transfer/list_fingerprint.h"
#include "transfer/price_stages.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <iterator>

namespace tolvane {

namespace {

const QString kTable = QStringLiteral("TolvaneRun");

// Plain types every engine of a shop takes (Jet, SQL Server, SQLite, PostgreSQL); the keys
// and the step are ASCII, so no text here depends on a collation's code page.
const QString kCreate = QStringLiteral(
    "Create Table TolvaneRun ( BrandID Integer, ListKey VarChar(40), RunStep VarChar(20), "
    "ChunkAt Integer, ChunkNO Integer, Rebuild Integer, CollectedKey VarChar(40), "
    "StartedAt VarChar(19) )");

// Each step as the record holds it, and where a run stopped in it, in words.
struct StepText {
    Step step;
    const char* name;
    const char* where;
};
const StepText kSteps[] = {
    {Step::Start, "start", "before its first write"},
    {Step::ChunkPrices, "prices", "in the prices of chunk %1"},
    {Step::ChunkNewParts, "new parts", "in the new parts of chunk %1"},
    {Step::Check, "check", "in the check of the list"},
    {Step::CollectedPrices, "collected prices", "in the prices of the entries its check collected"},
    {Step::CollectedNewParts, "collected new parts",
     "in the new parts of the entries its check collected"},
    {Step::Differences, "differences", "after its last write, in the differences it shows"},
    {Step::QueueFill, "rebuild queue", "at the start of the alternate rebuild"},
    {Step::QueueGroups, "rebuild groups", "in the alternate rebuild"},
};

const StepText& TextOf(Step step) {
    for (const StepText& text : kSteps) {
        if (text.step == step)
            return text;
    }
    return kSteps[0];
}

// The record's columns in the order of the insert.
const QString kColumns =
    QStringLiteral("BrandID, ListKey, RunStep, ChunkAt, ChunkNO, Rebuild, CollectedKey, StartedAt");

RecordedRun ReadRecord(const Recordset& rs) {
    RecordedRun run;
    run.list = rs.Text(QStringLiteral("ListKey"));
    const QString name = rs.Text(QStringLiteral("RunStep"));
    const auto text = std::find_if(std::begin(kSteps), std::end(kSteps),
                                   [&](const StepText& t) { return name == QLatin1String(t.name); });
    if (text == std::end(kSteps)) {
        run.unreadable = QStringLiteral("a step '%1'").arg(name);
        return run;
    }
    run.point = {text->step, rs.Long(QStringLiteral("ChunkAt"))};
    run.chunkNumber = rs.Long(QStringLiteral("ChunkNO"));
    run.rebuild = rs.Long(QStringLiteral("Rebuild")) != 0;
    run.collected = rs.Text(QStringLiteral("CollectedKey"));
    run.started = rs.Text(QStringLiteral("StartedAt"));
    return run;
}

} // namespace

RunRecord::RunRecord(RunState& st, QString list) : st_(st), list_(std::move(list)) {
    // No table: no run has recorded itself on this shop yet. A table of that name that is
    // not the record fails the run here, before it writes.
    table_ = st.Data().HasTable(kTable);
    if (!table_)
        return;
    Recordset rs;
    rs.Open("Select " + kColumns + " From " + kTable +
                " Where BrandID = " + QString::number(st.lngBrandID),
            st.Data(), Recordset::adOpenForwardOnly);
    if (!rs.Eof()) {
        row_ = true;
        try {
            cut_ = ReadRecord(rs);
        } catch (const Error& e) {
            cut_ = RecordedRun{};
            cut_->unreadable = e.message();
        }
    }
    rs.Close();
    if (cut_)
        current_ = *cut_;
}

QString RunRecord::CollectedFingerprint() {
    ListFingerprint fingerprint;
    fingerprint.Table(0);
    Recordset rs;
    rs.Open(QStringLiteral("Select Kind, PartNO, PartNew, FPartNew, lKind, lAtNO, AKind, AltNO, "
                           "EName, TName, Model, Import, Price, Sale From PriceListAll"),
            st_.PriceList(), Recordset::adOpenForwardOnly);
    for (; !rs.Eof(); rs.MoveNext())
        fingerprint.Row(rs);
    rs.Close();
    return fingerprint.Text();
}

QString RunRecord::Unfinishable() {
    if (!cut_)
        return QString();
    if (!cut_->unreadable.isEmpty())
        return "it left a record this program cannot read (" + cut_->unreadable + ")";
    if (cut_->list != list_)
        return QStringLiteral("it ran another price list");
    if (cut_->point.step == Step::CollectedPrices) {
        QString collected;
        try {
            collected = CollectedFingerprint();
        } catch (const Error&) {
        }
        if (collected != cut_->collected)
            return QStringLiteral("the price-list file no longer holds the entries its check "
                                  "collected");
    }
    return QString();
}

QString RunRecord::CutShortNotice(const QString& unfinishable) const {
    QString text = QStringLiteral("cut short: the last run on this shop");
    if (!cut_->started.isEmpty())
        text += " (started " + cut_->started + ")";
    text += QStringLiteral(" stopped");
    if (cut_->unreadable.isEmpty()) {
        const QString where = QString::fromLatin1(TextOf(cut_->point.step).where);
        text += u' ' + (IsChunkStep(cut_->point.step) ? where.arg(cut_->chunkNumber) : where);
    }
    if (unfinishable.isEmpty())
        return text + QStringLiteral("; this run finishes it first, then runs the list again.");
    return text + "; " + unfinishable + QStringLiteral(", so this run does not finish it and "
                                                      "starts afresh.");
}

void RunRecord::Start(bool rebuild) {
    current_ = RecordedRun{};
    current_.list = list_;
    current_.rebuild = rebuild;
    current_.started = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    Mark({Step::Start});
    // Sent now: a server holds a statement back until the run waits for an answer, and
    // the run's first waits are on the list; a run cut before then would leave no record.
    st_.Data().Flush();
}

void RunRecord::Mark(const RunPoint& point) {
    current_.point = point;
    current_.chunkNumber =
        IsChunkStep(point.step) ? st_.intCount.at(static_cast<std::size_t>(point.chunk)) : 0;
    // The entries the check collected, as the next run must find them to take the run up.
    if (point.step == Step::CollectedPrices)
        current_.collected = CollectedFingerprint();
    // The box may be ticked while the run works: the run rebuilds when it gets there.
    if (point.step == Step::QueueFill)
        current_.rebuild = true;
    Write();
}

void RunRecord::Write() {
    const QString brand = QString::number(st_.lngBrandID);
    const QStringList values = {brand,
                                Literal(current_.list),
                                Literal(QString::fromLatin1(TextOf(current_.point.step).name)),
                                QString::number(current_.point.chunk),
                                QString::number(current_.chunkNumber),
                                current_.rebuild ? QStringLiteral("1") : QStringLiteral("0"),
                                Literal(current_.collected),
                                Literal(current_.started)};
    if (!table_) {
        st_.ExecuteCounted(st_.Data(), kCreate);
        table_ = true;
    }
    if (!row_) {
        st_.Execute(st_.Data(), "Insert Into " + kTable + " ( " + kColumns + " ) Values( " +
                                    values.join(QStringLiteral(", ")) + " )");
        row_ = true;
        return;
    }
    const QStringList columns = kColumns.split(QStringLiteral(", "));
    QStringList assignments;
    for (qsizetype i = 1; i < columns.size(); ++i)
        assignments << columns[i] + " = " + values[i];
    st_.Execute(st_.Data(), "Update " + kTable + " Set " + assignments.join(QStringLiteral(", ")) +
                                " Where BrandID = " + brand);
}

void RunRecord::Complete() {
    if (row_)
        st_.Execute(st_.Data(), "Delete From " + kTable + " Where BrandID = " +
                                    QString::number(st_.lngBrandID));
    row_ = false;
}

void RunTransfer(RunState& st, RunRecord& record) {
    const auto mark = [&record](const RunPoint& point) { record.Mark(point); };
    if (const std::optional<RecordedRun>& cut = record.cut()) {
        const QString unfinishable = record.Unfinishable();
        st.window.Notice(record.CutShortNotice(unfinishable),
                         ThaiSentence(unfinishable.isEmpty() ? NoticeKind::CutShortFinished
                                                             : NoticeKind::CutShortAfresh,
                                      {cut->started}));
        if (unfinishable.isEmpty()) {
            RunSteps finish(mark, cut->point, cut->rebuild);
            RunTransfer(st, finish);
        }
    }
    record.Start(st.window.Fields().chkLikelAt);
    RunSteps steps(mark);
    RunTransfer(st, steps);
    record.Complete();
}

} // namespace tolvane
