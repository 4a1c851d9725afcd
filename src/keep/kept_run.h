#pragma once

#include "data/window.h"
#include "keep/keep_settings.h"
#include "report/report_collector.h"

#include <QDateTime>
#include <QString>

namespace tolvane::keep {

// The counts a status line shows of a run, counted as the run's report counts them.
struct RunCounts {
    int rowsApplied = 0;    // list rows applied: the chunks and the all-brand pass
    int partsCreated = 0;   // parts only the reading after the run holds
    int pricesChanged = 0;  // parts whose price or sale price changed
    int stillDiffering = 0; // lines of the grid of remaining differences
};
RunCounts CountsOf(const report::ReportData& data);

// The folders a run's files go to: the settings' folder when set, else a folder beside
// the shop file (a server shop's reports: beside the price list).
QString BackupFolder(const FormFields& f, const KeepSettings& k);
QString ReportFolder(const FormFields& f, const KeepSettings& k);

// Keeps the newest `keep` backups of `shop` in `dir`, removing the older ones. Only
// files named as a backup of this shop is named ("<name>-<yyyyMMdd-HHmmss>[-n].<ext>")
// are counted or removed.
void KeepNewestBackups(const QString& shop, const QString& dir, int keep);

// What one run of the window keeps: a backup of a shop file right before the first
// write (not in a test run), and after the run, however it ended, the report and the
// CSV named by the run's date and time.
class KeptRun {
public:
    KeptRun(KeepSettings settings, FormFields fields, bool testRun);

    // The run's observer: it takes the backup, then the report's first reading.
    report::ReportCollector& collector() { return collector_; }
    // Writes the report and the CSV of the ended run; `grid` as the window shows it,
    // row 0 the header. A file that cannot be written is named in problem().
    void Finish(const std::vector<std::array<QString, 8>>& grid, report::RunFacts facts);

    // True when the run ended before its first write: what is on screen is older.
    bool WroteNothing() const { return !collector_.FirstReadingTaken(); }
    const RunCounts& counts() const { return counts_; }
    const QString& report() const { return report_; }
    const QString& changes() const { return changes_; }
    const QString& backup() const { return backup_; }
    const QString& problem() const { return problem_; }
    const QDateTime& started() const { return started_; }

private:
    void BackUp();
    bool Write(const QString& path, const QByteArray& bytes);

    KeepSettings settings_;
    FormFields fields_;
    bool testRun_;
    QDateTime started_;
    report::ReportCollector collector_;
    RunCounts counts_;
    QString report_, changes_, backup_, problem_;
};

} // namespace tolvane::keep
