#pragma once

#include "bench_cases.h"

#include <QString>
#include <QTextStream>
#include <map>
#include <vector>

namespace tolvane::bench {

// One line of the table.
struct ReportRow {
    QString caseName;
    QString stage;
    double seconds = 0;
    std::int64_t statements = 0;
    std::int64_t rows = 0;
    double floorSeconds = -1;
    double floorAllSeconds = -1;
    long peakKb = 0;                   // on the case's total line only
    std::int64_t roundTrips = 0;       // the shop database's
    std::int64_t sourceRoundTrips = 0; // the price-list file's
    std::int64_t floorRoundTrips = 0;
    std::int64_t proxyTurns = -1; // total line of a case through the latency link only
    std::int64_t proxyConnections = 0;
    double linkDelayMs = -1;
};

// The server cases' names, and the embedded run they are compared with.
inline const QString kServerSocket = QStringLiteral("medium server socket");
inline const QString kServerLink = QStringLiteral("medium server link");
inline const QString kServerSlowLink = QStringLiteral("medium server slow link");
inline const QString kEmbedded = QStringLiteral("medium headless");
// The same three server cases with the alternate index rebuild ticked.
inline const QString kServerSocketRebuild = QStringLiteral("medium server socket rebuild");
inline const QString kServerLinkRebuild = QStringLiteral("medium server link rebuild");
inline const QString kServerSlowLinkRebuild = QStringLiteral("medium server slow link rebuild");
// The large shop, embedded and over the server's socket, without the rebuild.
inline const QString kLargeEmbedded = QStringLiteral("large headless");
inline const QString kLargeServer = QStringLiteral("large server socket");
// The stage the rebuild's figures stand under.
inline const QString kRebuildStage = QStringLiteral("rebuild alternates");

// A goal: a ratio measured in this invocation against its limit.
struct Goal {
    QString name;
    double ratio = -1; // negative when not measured
    double limit = 0;
    bool Met() const { return ratio >= 0 && ratio <= limit; }
    // "name  ratio  (<= limit)  met", MISSED or not measured.
    QString Line() const;
};

// The table of one invocation, printed and written as CSV.
class Report {
public:
    explicit Report(QString load) : loadAtStart(std::move(load)) {}

    void Add(const QString& caseName, const CaseResult& result);
    std::vector<Goal> Goals() const;
    bool AllGoalsMet() const;

    void Print(QTextStream& out) const;
    void WriteCsv(const QString& path) const;

    QString loadAtStart;
    QString loadAtEnd;
    std::map<int, double> growth; // price-list rows -> seconds of the headless run
    int serverListRows = 0;       // price-list rows of the server cases
    int serverGroups = 0;         // alternate groups of the server cases' shop
    int mediumListRows = 0;       // price-list rows of the medium runs
    int largeListRows = 0;        // price-list rows of the large runs

private:
    const ReportRow* Total(const QString& caseName) const;
    const ReportRow* Stage(const QString& caseName, const QString& stage) const;
    Goal ShareOfMedium(const QString& name, const QString& stage, double limit) const;
    void PrintServer(QTextStream& out) const;
    // The shop's round trips per price-list row of a server case; negative: not measured.
    double PerListRow(const ReportRow* total, std::int64_t count) const;
    // A server case's time against the embedded run's; negative: not measured.
    double AgainstEmbedded(const ReportRow* total) const;
    // A large run's seconds per list row over the medium run's; negative: not measured.
    Goal PerRowOfMedium(const QString& name, const QString& large, const QString& medium) const;
    // A large run's peak memory in MB against `limit`; negative: not measured.
    Goal PeakMemory(const QString& name, const QString& large, double limit) const;

    std::vector<ReportRow> rows_;
};

// The three load averages of /proc/loadavg ("1.02 0.80 0.75").
QString LoadAverage();

} // namespace tolvane::bench
