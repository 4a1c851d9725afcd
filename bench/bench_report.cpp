#include "bench_report.h"

#include <QFile>
#include <algorithm>
#include <iterator>
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
                         s.floorAllSeconds, 0, s.roundTrips, s.sourceRoundTrips,
                         s.floorRoundTrips});
    rows_.push_back({caseName, QStringLiteral("total"), result.seconds, result.statements,
                     result.rows, result.floorSeconds, result.floorAllSeconds, result.peakKb,
                     result.roundTrips, result.sourceRoundTrips, result.floorRoundTrips,
                     result.proxyTurns, result.proxyConnections, result.linkDelayMs});
}

double Report::PerListRow(const ReportRow* total, std::int64_t count) const {
    return total && serverListRows > 0 ? double(count) / serverListRows : -1;
}

double Report::AgainstEmbedded(const ReportRow* total) const {
    const ReportRow* embedded = Total(kEmbedded);
    return total && embedded && embedded->seconds > 0 ? total->seconds / embedded->seconds : -1;
}

const ReportRow* Report::Total(const QString& caseName) const {
    return Stage(caseName, QStringLiteral("total"));
}

const ReportRow* Report::Stage(const QString& caseName, const QString& stage) const {
    for (const ReportRow& r : rows_) {
        if (r.caseName == caseName && r.stage == stage)
            return &r;
    }
    return nullptr;
}

// A stage's share of the medium run.
Goal Report::ShareOfMedium(const QString& name, const QString& stage, double limit) const {
    Goal share{name, -1, limit};
    const ReportRow* total = Total(QStringLiteral("medium"));
    if (const ReportRow* s = Stage(QStringLiteral("medium"), stage);
        s && total && total->seconds > 0)
        share.ratio = s->seconds / total->seconds;
    return share;
}

Goal Report::PerRowOfMedium(const QString& name, const QString& large,
                            const QString& medium) const {
    Goal goal{name, -1, 1.3};
    const ReportRow* l = Total(large);
    const ReportRow* m = Total(medium);
    const int mediumRows = medium == kEmbedded ? mediumListRows : serverListRows;
    if (l && m && largeListRows > 0 && mediumRows > 0 && m->seconds > 0)
        goal.ratio = (l->seconds / largeListRows) / (m->seconds / mediumRows);
    return goal;
}

Goal Report::PeakMemory(const QString& name, const QString& large, double limit) const {
    const ReportRow* r = Total(large);
    return {name, r && r->peakKb > 0 ? r->peakKb / 1024.0 : -1, limit};
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
    // The server path: round trips per list row (all three runs send the same
    // statements; the socket run's stand for them), and the wall time over the socket
    // against that through each link and against the embedded run.
    const ReportRow* socket = Total(kServerSocket);
    auto over = [&](const QString& name, const QString& caseName, const ReportRow* base,
                    double limit) {
        const ReportRow* r = Total(caseName);
        return Goal{name, r && base && base->seconds > 0 ? r->seconds / base->seconds : -1, limit};
    };
    auto overSocket = [&](const QString& name, const QString& caseName, double limit) {
        return over(name, caseName, socket, limit);
    };
    // The rebuild's round trips per alternate group of the shop.
    Goal rebuildTrips{QStringLiteral("medium server rebuild round trips / group"), -1, 0.5};
    if (const ReportRow* r = Stage(kServerSocketRebuild, kRebuildStage); r && serverGroups > 0)
        rebuildTrips.ratio = double(r->roundTrips) / serverGroups;
    return {floor,
            window,
            grow,
            ShareOfMedium(QStringLiteral("medium list check / run"), QStringLiteral("list check"),
                          0.05),
            ShareOfMedium(QStringLiteral("medium report / run"), QStringLiteral("report"), 0.03),
            {QStringLiteral("medium server round trips / list row"),
             socket ? PerListRow(socket, socket->roundTrips) : -1, 0.5},
            overSocket(QStringLiteral("medium server link / socket"), kServerLink, 1.5),
            overSocket(QStringLiteral("medium server slow link / socket"), kServerSlowLink, 2.0),
            {QStringLiteral("medium server socket / embedded"), AgainstEmbedded(socket), 1.5},
            rebuildTrips,
            over(QStringLiteral("medium server rebuild slow link / socket"), kServerSlowLinkRebuild,
                 Total(kServerSocketRebuild), 1.5),
            PerRowOfMedium(QStringLiteral("large / medium time per list row (embedded)"),
                           kLargeEmbedded, kEmbedded),
            PerRowOfMedium(QStringLiteral("large / medium time per list row (server socket)"),
                           kLargeServer, kServerSocket),
            PeakMemory(QStringLiteral("large peak memory MB (embedded)"), kLargeEmbedded, 400),
            PeakMemory(QStringLiteral("large peak memory MB (server socket)"), kLargeServer, 400)};
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

// 0.5, 2.0: a limit keeps at least one decimal.
QString Limit(double value) {
    const QString text = QString::number(value);
    return text.contains(u'.') ? text : text + QStringLiteral(".0");
}

QString Count(std::int64_t value) {
    return value < 0 ? QStringLiteral("-") : QString::number(value);
}

} // namespace

QString Goal::Line() const {
    return name.leftJustified(49) + Fixed(ratio, 2).rightJustified(6) + "  (<= " + Limit(limit) +
           ")  " +
           (ratio < 0 ? QStringLiteral("not measured")
            : Met()   ? QStringLiteral("met")
                      : QStringLiteral("MISSED"));
}

void Report::Print(QTextStream& out) const {
    // trips: calls that waited for the shop database; trip floor: those the run
    // cannot avoid (see UnavoidableRoundTrip).
    const QStringList header = {"case",   "stage",      "seconds",   "statements", "rows",
                                "rows/s", "floor s",    "run/floor", "floorAll",   "run/fAll",
                                "trips",  "trip floor", "peak MB"};
    const std::vector<int> widths = {32, 19, 9, 11, 7, 7, 9, 10, 9, 9, 9, 11, 8};
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
              Ratio(r.seconds, r.floorAllSeconds), QString::number(r.roundTrips),
              QString::number(r.floorRoundTrips), PeakMb(r)});
    }
    PrintServer(out);
    out << "\nGoals (load average " << loadAtStart << " at start, " << loadAtEnd << " at end):\n";
    for (const Goal& g : Goals())
        out << "  " << g.Line() << '\n';
    out.flush();
}

void Report::WriteCsv(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    QTextStream csv(&file);
    csv << "case,stage,seconds,statements,rows,rows_per_s,floor_seconds,ratio,"
           "floor_all_seconds,ratio_all,limit,peak_mb,load_start,load_end,round_trips,"
           "source_round_trips,floor_round_trips,proxy_turns,proxy_connections,"
           "round_trips_per_list_row,ratio_embedded,link_delay_ms\n";
    const QString load = '"' + loadAtStart + "\",\"" + loadAtEnd + '"';
    for (const ReportRow& r : rows_) {
        csv << r.caseName << ',' << r.stage << ',' << Fixed(r.seconds, 3) << ',' << r.statements
            << ',' << r.rows << ',' << RowsPerSecond(r) << ',' << Fixed(r.floorSeconds, 3) << ','
            << Ratio(r.seconds, r.floorSeconds) << ',' << Fixed(r.floorAllSeconds, 3) << ','
            << Ratio(r.seconds, r.floorAllSeconds) << ",," << PeakMb(r) << ',' << load << ','
            << r.roundTrips << ',' << r.sourceRoundTrips << ',' << r.floorRoundTrips << ',';
        const bool server = r.caseName.startsWith(QLatin1String("medium server "));
        const bool linked = r.proxyTurns >= 0;
        if (server && r.stage == QLatin1String("total"))
            csv << (linked ? QString::number(r.proxyTurns) : QString()) << ','
                << (linked ? QString::number(r.proxyConnections) : QString()) << ','
                << Fixed(PerListRow(&r, r.roundTrips), 3) << ',' << Fixed(AgainstEmbedded(&r), 3)
                << ',' << (linked ? QString::number(r.linkDelayMs) : QString());
        else
            csv << ",,,,";
        csv << '\n';
    }
    for (const Goal& g : Goals())
        csv << "goal," << g.name << ",,,,,," << Fixed(g.ratio, 3) << ",,," << g.limit << ",,"
            << load << ",,,,,,,,\n";
}

void Report::PrintServer(QTextStream& out) const {
    const ReportRow* cases[] = {Total(kServerSocket),        Total(kServerLink),
                                Total(kServerSlowLink),      Total(kServerSocketRebuild),
                                Total(kServerLinkRebuild),   Total(kServerSlowLinkRebuild)};
    if (std::none_of(std::begin(cases), std::end(cases), [](const ReportRow* r) { return r; }))
        return;
    out << "\nServer cases: the shop database on PostgreSQL, its round trips for " << serverListRows
        << " list rows (trips: counted by the data layer; turns: by the "
           "latency link)\n";
    const QStringList header = {"case",       "ms/way",    "seconds",  "statements",
                                "trips",      "trips/row", "floor",    "floor/row",
                                "link turns", "turns/row", "connects", "run/embedded"};
    const std::vector<int> widths = {32, 7, 9, 11, 9, 10, 9, 10, 11, 10, 9, 13};
    auto line = [&](const QStringList& cells) {
        for (int i = 0; i < cells.size(); ++i)
            out << (i == 0 ? cells[i].leftJustified(widths[i])
                           : cells[i].rightJustified(widths[i]));
        out << '\n';
    };
    line(header);
    for (const ReportRow* r : cases) {
        if (!r)
            continue;
        const bool linked = r->proxyTurns >= 0;
        line({r->caseName, Fixed(r->linkDelayMs, 2), Fixed(r->seconds, 2),
              QString::number(r->statements), QString::number(r->roundTrips),
              Fixed(PerListRow(r, r->roundTrips), 2), QString::number(r->floorRoundTrips),
              Fixed(PerListRow(r, r->floorRoundTrips), 2), Count(r->proxyTurns),
              linked ? Fixed(PerListRow(r, r->proxyTurns), 2) : "-",
              linked ? QString::number(r->proxyConnections) : "-", Fixed(AgainstEmbedded(r), 2)});
    }
}

} // namespace tolvane::bench
