#pragma once

#include "data/hooks.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <vector>

namespace tolvane::bench {

// What one stage of a run cost.
struct StageFigures {
    QString name;
    double seconds = 0;
    std::int64_t statements = 0; // open, execute and recordset events
    std::int64_t rows = 0;       // progress rows shown (one per txtPartNO)
    std::int64_t firstEvent = 0; // index of the stage's first database event
    std::int64_t endEvent = 0;   // one past its last
    double floorSeconds = -1; // the same events replayed, first rows only; negative: not replayed
    double floorAllSeconds = -1;       // the same, every row of every open stepped
    std::int64_t roundTrips = 0;       // calls that waited for the shop database
    std::int64_t sourceRoundTrips = 0; // the same for the price-list file
    std::int64_t floorRoundTrips = 0;  // the shop database's that the run cannot avoid
};

// Whether an event of the shop database is a round trip that no way of sending the
// run's statements can save: a connect; a transaction's begin, commit or rollback; an
// opened recordset (a read whose rows decide what the run does next); a recordset
// write (an ID counter's update, whose success decides whether the ID is the run's).
// An executed statement is not: its answer is only a row count the run goes on
// without, so such statements could travel together.
bool UnavoidableRoundTrip(TraceKind kind);

// Sums the stages that come back (prices and new parts alternate chunk by chunk)
// under their name, in the order of their first appearance.
std::vector<StageFigures> MergeStages(const std::vector<StageFigures>& segments);

// Splits a run into stages by the progress texts it shows, and counts the
// database events of each stage on their way to the next trace sink.
//
// Stages: "open" (connections, version, brand) until the first progress text;
// "apply: prices" and "apply: new parts" for the chunked price list; "check"
// for the first walk; "apply all" for the collected list; "differences" for the
// second walk; "rebuild alternates"; "close" once the run's last stage is over.
class StageClock : public TraceSink {
public:
    explicit StageClock(TraceSink* next = nullptr) : next_(next) {}

    void Start();
    void Event(Role role, TraceKind kind, const QString& text) override;
    void RoundTrip(Role role) override;
    void Progress(const QString& txtQTY);
    void Row() { ++current_.rows; }
    // Ends the current stage and starts `name` (used for "close").
    void Switch(const QString& name);
    // Ends the last stage; every stretch of one stage in the order they ran.
    std::vector<StageFigures> Finish();

    std::int64_t Events() const { return events_; }

private:
    QString StageOf(const QString& txtQTY);

    TraceSink* next_;
    QElapsedTimer clock_;
    qint64 stageStartNs_ = 0;
    StageFigures current_;
    std::vector<StageFigures> done_;
    std::int64_t events_ = 0;
    int checkWalks_ = 0;
};

// The stage a txtQTY text starts, given how many check walks have begun so far
// (updated); empty when the text does not start a stage of its own.
QString StageForProgress(const QString& txtQTY, int& checkWalks);

} // namespace tolvane::bench
