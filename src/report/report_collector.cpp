#include "report/report_collector.h"

#include "data/open_connection.h"
#include "parts/progress.h"
#include "text/error.h"

#include <memory>

namespace tolvane::report {

namespace {

CreatedRole RoleOf(PartRole role) {
    switch (role) {
    case PartRole::Own:
        return CreatedRole::Own;
    case PartRole::Linked:
        return CreatedRole::Linked;
    case PartRole::Alternate:
        return CreatedRole::Alternate;
    }
    return CreatedRole::Unknown;
}

// The connection the second reading uses: the run's own when it is still open, else a
// new one to the same shop (a failed run may have lost its connection).
template <typename Read> void WithShop(RunState& st, Read read) {
    if (st.cnData && st.cnData->State() == Connection::adStateOpen) {
        try {
            read(*st.cnData);
            return;
        } catch (const Error&) {
            // A connection that failed mid-run may not answer again; try a fresh one.
        }
    }
    Connection fresh(Role::Target, DataHooks{st.hooks.trace, nullptr});
    OpenTargetOn(st, fresh);
    read(fresh);
    fresh.Close();
}

} // namespace

ReportCollector::ReportCollector(std::function<void(RunState&)> beforeReading)
    : beforeReading_(std::move(beforeReading)) {}

void ReportCollector::BeforeFirstWrite(RunState& st) {
    if (beforeReading_)
        beforeReading_(st);
    version_ = st.strVer;
    brandId_ = st.lngBrandID;
    before_ = ReadParts(st.Data(), brandId_, version_);
    read_ = true;
}

void ReportCollector::PartCreated(PartRole role, std::int32_t partId) {
    roles_[partId] = RoleOf(role);
}

void ReportCollector::AfterLastWrite(RunState& st) {
    if (!read_ || compared_)
        return;
    compared_ = true;
    WithShop(st, [&](Connection& cn) {
        // Compared afresh on each attempt; what the run itself gathered stays.
        ReportData compared;
        CompareParts(cn, brandId_, version_, before_, compared);
        compared.applied = std::move(data_.applied);
        data_ = std::move(compared);
    });
    // The run is over: an unfinished row was not applied.
    pendingChunk_ = -1;
}

void ReportCollector::EndRow() {
    if (pendingChunk_ < 0)
        return;
    if (pendingChunk_ == 0) {
        data_.applied.allBrandRows = data_.applied.allBrandRows.value_or(0) + 1;
    } else {
        auto& chunks = data_.applied.chunks;
        if (chunks.empty() || chunks.back().number != pendingChunk_)
            chunks.push_back({pendingChunk_, 0});
        ++chunks.back().rows;
    }
    pendingChunk_ = -1;
}

void ReportCollector::Progress(const QString& txtQTY, const QString& brand) {
    // The row before this text is done, whatever this text is.
    EndRow();
    // "กำลังเปลี่ยนราคา  TATA_3  45 %" for a row of chunk 3, "..._All  45 %" for the
    // all-brand pass.
    const QString prefix = kPhraseChanging + brand + u'_';
    if (!txtQTY.startsWith(prefix))
        return;
    const QString chunk = txtQTY.mid(prefix.size()).section(QStringLiteral("  "), 0, 0);
    bool number = false;
    const int n = chunk.toInt(&number);
    if (chunk == QLatin1String("All"))
        pendingChunk_ = 0;
    else if (number)
        pendingChunk_ = n;
}

ReportData ReportCollector::Finish(const std::vector<std::array<QString, 8>>& grid, RunFacts run) {
    data_.run = std::move(run);
    // The first reading counts even when the second could not be taken.
    if (read_)
        data_.partsBefore = static_cast<int>(before_.size());
    if (data_.run.version.isEmpty())
        data_.run.version = version_;
    for (CreatedPart& part : data_.created) {
        const auto role = roles_.find(part.row.partId);
        if (role != roles_.end())
            part.role = role->second;
    }
    data_.differences.clear();
    for (std::size_t row = 1; row < grid.size() && !grid[row][1].isEmpty(); ++row) {
        const auto& cells = grid[row];
        data_.differences.push_back(
            {cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[7]});
    }
    return data_;
}

} // namespace tolvane::report
