#pragma once

// Gathers the price-change report of one run: the first reading of the brand's parts
// before the run's first write (after the backup, when one is asked for), the parts
// the insertion creates, the list rows the price stages show, and the second reading
// after the run's last write, whether it finished or failed.

#include "data/run_state.h"
#include "report/report_data.h"
#include "report/report_reading.h"

#include <QString>
#include <array>
#include <functional>
#include <map>

namespace tolvane::report {

class ReportCollector : public RunObserver {
public:
    // `beforeReading` runs first in BeforeFirstWrite (the runner's backup); an Error it
    // raises ends the run before anything is written.
    explicit ReportCollector(std::function<void(RunState&)> beforeReading = {});

    void BeforeFirstWrite(RunState& st) override;
    void PartCreated(PartRole role, std::int32_t partId) override;
    void AfterLastWrite(RunState& st) override;

    // Every txtQTY text the run shows, in order: the price stages show one per list row.
    void Progress(const QString& txtQTY, const QString& brand);

    // The report's data once the run has ended; `grid` is the grid's lines after the
    // run (row 0 the header), `run` what the runner knows of the run itself.
    ReportData Finish(const std::vector<std::array<QString, 8>>& grid, RunFacts run);
    // True once the reading before the first write was taken: the run wrote.
    bool FirstReadingTaken() const { return read_; }

private:
    void EndRow();

    std::function<void(RunState&)> beforeReading_;
    bool read_ = false;     // the first reading was taken
    bool compared_ = false; // the second one too
    QString version_;
    int brandId_ = 0;
    PartRows before_;
    ReportData data_;
    std::map<std::int32_t, CreatedRole> roles_;
    // The list row being applied: counted once the next text shows it was done.
    int pendingChunk_ = -1; // chunk number, 0 for the all-brand pass, -1 for none
};

} // namespace tolvane::report
