#include "bench_report.h"

#include <QFile>
#include <stdexcept>

namespace tolvane::bench {

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readLine()).section(u' ', 0, 2);
}

void Report::Add(const QString& caseName, const CaseResult& result) {
    for (const StageFigures& s : MergeStages(result.stages))
        rows_.push_back({caseName, s.name, s.seconds, s.statements, s.rows, s.floorSeconds,
                         s.floorAllSeconds, 0});
    rows_.push_back({caseName, QStringLiteral("total"), result.seconds, result.statements,
                     result.rows, result.floorSeconds, result.floorAllSeconds, result.peakKb});
}

const ReportRow* Report::Total(const QString& caseName) const {
    for (const ReportRow& r : rows_) {
        if (r.caseName == caseName && r.stage == QLatin1String("total"))
            return &r;
    }
    return nullptr;
}

std::vector<Goal> Report::Goals() const {
    Goal floor{QStringLiteral("medium run / floor"), -1, 1.5};
    if (const ReportRow* r = Total(QStringLiteral("medium")); r && r->floorSeconds > 0)
        floor.ratio = r->seconds / r->floorSeconds;
    Goal window{QStringLiteral("medium window / headless"), -1, 1.2};
    const ReportRow* w = Total(QStringLiteral("medium window"));
    const ReportRow* h = Total(QStringLiteral("medium headless"));
    if (w && h && h->seconds > 0)
        window.ratio = w->seconds / h->seconds;
    Goal grow{QStringLiteral("growth 40k / 20k rows"), -1, 2.3};
    if (growth.count(20000) && growth.count(40000) && growth.at(20000) > 0)
        grow.ratio = growth.at(40000) / growth.at(20000);
    return {floor, window, grow};
}

bool Report::AllGoalsMet() const {
    for (const Goal& g : Goals()) {
        if (g.ratio >= 0 && !g.Met())
            return false;
    }
    return true;
}

namespace {

QString Fixed(double value, int decimals) {
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', decimals);
}

QString RowsPerSecond(const ReportRow& r) {
    return r.rows > 0 && r.seconds > 0 ? QString::number(r.rows / r.seconds, 'f', 0)
                                       : QStringLiteral("-");
}

QString Ratio(double seconds, double floor) {
    return floor > 0 ? QString::number(seconds / floor, 'f', 2) : QStringLiteral("-");
}

QString PeakMb(const ReportRow& r) {
    return r.peakKb > 0 ? QString::number(r.peakKb / 1024.0, 'f', 0) : QString();
}

} // namespace

void Report::Print(QTextStream& out) const {
    const QStringList header = {"case",     "stage",    "seconds", "statements",
                                "rows",     "rows/s",   "floor s", "run/floor",
                                "floorAll", "run/fAll", "peak MB"};
    const std::vector<int> widths = {16, 19, 9, 11, 7, 7, 9, 10, 9, 9, 8};
    auto line = [&](const QStringList& cells) {
        for (int i = 0; i < cells.size(); ++i)
            out << (i < 2 ? cells[i].leftJustified(widths[i]) : cells[i].rightJustified(widths[i]));
        out << '\n';
    };
    line(header);
    for (const ReportRow& r : rows_) {
        line({r.caseName, r.stage, Fixed(r.seconds, 2), QString::number(r.statements),
              QString::number(r.rows), RowsPerSecond(r), Fixed(r.floorSeconds, 2),
              Ratio(r.seconds, r.floorSeconds), Fixed(r.floorAllSeconds, 2),
              Ratio(r.seconds, r.floorAllSeconds), PeakMb(r)});
    }
    out << "\nGoals (load average " << loadAtStart << " at start, " << loadAtEnd << " at end):\n";
    for (const Goal& g : Goals()) {
        out << "  " << g.name.leftJustified(28) << Fixed(g.ratio, 2).rightJustified(6)
            << "  (<= " << g.limit << ")  "
            << (g.ratio < 0 ? "not measured"
                : g.Met()   ? "met"
                            : "MISSED")
            << '\n';
    }
    out.flush();
}

void Report::WriteCsv(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    QTextStream csv(&file);
    csv << "case,stage,seconds,statements,rows,rows_per_s,floor_seconds,ratio,"
           "floor_all_seconds,ratio_all,limit,peak_mb,load_start,load_end\n";
    const QString load = '"' + loadAtStart + "\",\"" + loadAtEnd + '"';
    for (const ReportRow& r : rows_) {
        csv << r.caseName << ',' << r.stage << ',' << Fixed(r.seconds, 3) << ',' << r.statements
            << ',' << r.rows << ',' << RowsPerSecond(r) << ',' << Fixed(r.floorSeconds, 3) << ','
            << Ratio(r.seconds, r.floorSeconds) << ',' << Fixed(r.floorAllSeconds, 3) << ','
            << Ratio(r.seconds, r.floorAllSeconds) << ",," << PeakMb(r) << ',' << load << '\n';
    }
    for (const Goal& g : Goals())
        csv << "goal," << g.name << ",,,,,," << Fixed(g.ratio, 3) << ",,," << g.limit << ",,"
            << load << '\n';
}

} // namespace tolvane::bench
