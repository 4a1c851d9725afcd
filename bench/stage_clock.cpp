#include "stage_clock.h"

#include "parts/progress.h"

#include <algorithm>

namespace tolvane::bench {

QString StageForProgress(const QString& txtQTY, int& checkWalks) {
    if (txtQTY.startsWith(kPhraseCheckStart)) {
        ++checkWalks;
        return checkWalks == 1 ? QStringLiteral("check") : QStringLiteral("differences");
    }
    if (txtQTY.startsWith(kPhraseRebuilding))
        return QStringLiteral("rebuild alternates");
    if (checkWalks > 0) {
        // After the first walk only the collected list moves prices.
        if (txtQTY.startsWith(kPhraseMoving))
            return QStringLiteral("apply all");
        return QString();
    }
    if (txtQTY.startsWith(kPhraseMoving) || txtQTY.startsWith(kPhraseChanging))
        return QStringLiteral("apply: prices");
    // "adding ... 100 %" closes a chunk; "adding TATA_<n>  <p> %" is an insertion row.
    if (txtQTY.startsWith(kPhraseAdding) && txtQTY.contains(u'_'))
        return QStringLiteral("apply: new parts");
    return QString();
}

bool UnavoidableRoundTrip(TraceKind kind) {
    switch (kind) {
    case TraceKind::Connect:
    case TraceKind::Begin:
    case TraceKind::Commit:
    case TraceKind::Rollback:
    case TraceKind::Open:
    case TraceKind::Recordset:
        return true;
    case TraceKind::Execute:
    case TraceKind::Close:
        return false;
    }
    return false;
}

void StageClock::Start() {
    clock_.start();
    stageStartNs_ = 0;
    current_ = StageFigures{QStringLiteral("open")};
    done_.clear();
    events_ = 0;
    checkWalks_ = 0;
}

void StageClock::Event(Role role, TraceKind kind, const QString& text) {
    if (kind == TraceKind::Open || kind == TraceKind::Execute || kind == TraceKind::Recordset)
        ++current_.statements;
    if (role == Role::Target && UnavoidableRoundTrip(kind))
        ++current_.floorRoundTrips;
    ++events_;
    if (next_)
        next_->Event(role, kind, text);
}

void StageClock::RoundTrip(Role role) {
    ++(role == Role::Target ? current_.roundTrips : current_.sourceRoundTrips);
    if (next_)
        next_->RoundTrip(role);
}

void StageClock::Progress(const QString& txtQTY) {
    const QString stage = StageForProgress(txtQTY, checkWalks_);
    if (!stage.isEmpty() && stage != current_.name)
        Switch(stage);
}

void StageClock::Switch(const QString& name) {
    const qint64 now = clock_.nsecsElapsed();
    current_.seconds = (now - stageStartNs_) / 1e9;
    current_.endEvent = events_;
    done_.push_back(current_);
    current_ = StageFigures{name};
    current_.firstEvent = events_;
    stageStartNs_ = now;
}

std::vector<StageFigures> StageClock::Finish() {
    current_.seconds = (clock_.nsecsElapsed() - stageStartNs_) / 1e9;
    current_.endEvent = events_;
    done_.push_back(current_);
    return done_;
}

std::vector<StageFigures> MergeStages(const std::vector<StageFigures>& segments) {
    std::vector<StageFigures> merged;
    for (const StageFigures& s : segments) {
        auto same = std::find_if(merged.begin(), merged.end(),
                                 [&](const StageFigures& m) { return m.name == s.name; });
        if (same == merged.end()) {
            merged.push_back(s);
            continue;
        }
        same->seconds += s.seconds;
        same->statements += s.statements;
        same->rows += s.rows;
        same->roundTrips += s.roundTrips;
        same->sourceRoundTrips += s.sourceRoundTrips;
        same->floorRoundTrips += s.floorRoundTrips;
        if (s.floorSeconds >= 0)
            same->floorSeconds = std::max(same->floorSeconds, 0.0) + s.floorSeconds;
        if (s.floorAllSeconds >= 0)
            same->floorAllSeconds = std::max(same->floorAllSeconds, 0.0) + s.floorAllSeconds;
    }
    return merged;
}

} // namespace tolvane::bench
