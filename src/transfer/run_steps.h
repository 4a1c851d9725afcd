#pragma once

#include <functional>
#include <optional>
#include <tuple>

namespace tolvane {

// The steps of a run, in their order. The run is recorded at its start, before it reads
// the list: one cut short before its first write of the work is then cut short as well, and
// the next run does it whole before its own. A run cut short within a step leaves what the next
// run of the same list can take up by doing the step again from its start: a chunk's prices
// and texts are written as values and its staged rows are emptied first (no part is created
// before its new parts), the check and the differences only read the shop, and the new
// parts and the rebuild's groups keep their own place in the shop, in the transaction of
// each row or group: the staged rows left in PriceList, the part IDs left in AltGX.
enum class Step {
    Start,             // nothing written yet: the whole run is ahead
    ChunkPrices,       // the chunk's staged rows emptied, its rows applied or staged
    ChunkNewParts,     // the parts the chunk staged, created
    Check,             // the entries still different, collected in PriceListAll
    CollectedPrices,   // the staged rows emptied, the collected entries applied or staged
    CollectedNewParts, // the parts they staged, created
    Differences,       // the grid of what still differs
    QueueFill,         // AltGX emptied and filled with the brand's parts
    QueueGroups,       // the alternate groups rebuilt, one per queued head
};

// A place between steps: the step, and for the chunk steps the chunk's place in the chunk
// list (from 0; a list may name a chunk number twice).
struct RunPoint {
    Step step = Step::ChunkPrices;
    int chunk = 0;
};

inline bool IsChunkStep(Step step) {
    return step == Step::ChunkPrices || step == Step::ChunkNewParts;
}

inline bool Before(const RunPoint& a, const RunPoint& b) {
    const auto key = [](const RunPoint& p) {
        return std::tuple(IsChunkStep(p.step) ? 0 : static_cast<int>(p.step), p.chunk,
                          static_cast<int>(p.step));
    };
    return key(a) < key(b);
}

// Takes a run through its steps: each step is told to `mark` before its first write. A run
// that takes up one cut short skips the steps before the point that run stood at, rebuilds
// the alternates as that run was to, and shows no grid (the run after it shows its own).
class RunSteps {
public:
    using Mark = std::function<void(const RunPoint&)>;

    RunSteps() = default; // a whole run, told to no one
    explicit RunSteps(Mark mark) : mark_(std::move(mark)) {}
    RunSteps(Mark mark, const RunPoint& from, bool rebuild)
        : mark_(std::move(mark)), from_(from), rebuild_(rebuild) {}

    // Whether the run does the step at `point`; marks it when it does.
    bool Due(const RunPoint& point) {
        if (from_ && Before(point, *from_))
            return false;
        if (mark_)
            mark_(point);
        return true;
    }
    // Whether steps of the kind of `step` may still be due.
    bool Ahead(Step step) const {
        return !from_ || static_cast<int>(from_->step) <= static_cast<int>(step);
    }
    bool TakesUp() const { return from_.has_value(); }
    // For a run taken up: whether it rebuilds the alternates.
    bool Rebuilds() const { return rebuild_; }

private:
    Mark mark_;
    std::optional<RunPoint> from_;
    bool rebuild_ = false;
};

} // namespace tolvane
