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
    long peakKb = 0; // on the case's total line only
};

// A goal: a ratio measured in this invocation against its limit.
struct Goal {
    QString name;
    double ratio = -1; // negative when not measured
    double limit = 0;
    bool Met() const { return ratio >= 0 && ratio <= limit; }
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

private:
    const ReportRow* Total(const QString& caseName) const;

    std::vector<ReportRow> rows_;
};

// The three load averages of /proc/loadavg ("1.02 0.80 0.75").
QString LoadAverage();

} // namespace tolvane::bench
