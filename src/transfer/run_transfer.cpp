#include "data/run_state.h"
#include "transfer/price_stages.h"

namespace tolvane {

namespace {

// Height that shows the whole grid below the fields.
constexpr int kEnlargedHeight = 11520;

// Makes the grid visible: full height, centred horizontally, at the top of the
// screen. The window is never made smaller again.
void Enlarge(Window& w) {
    w.SetHeight(kEnlargedHeight);
    w.SetLeft(w.ScreenWidth() / 2 - w.Width() / 2);
    w.SetTop(0);
}

} // namespace

void RunTransfer(RunState& st) {
    RunSteps all;
    RunTransfer(st, all);
}

void RunTransfer(RunState& st, RunSteps& steps) {
    ApplyPriceList(st, steps);
    // A run taken up after its check: the check had collected entries.
    bool collected = true;
    if (steps.Due({Step::Check})) {
        CheckPriceList(st);
        collected = HasPriceListAll(st) == 1;
    }
    if (collected) {
        ApplyPriceListAll(st, steps);
        if (steps.Due({Step::Differences}) && !steps.TakesUp()) {
            Enlarge(st.window);
            ShowPriceDiff(st);
        }
    }
    if (steps.TakesUp() ? steps.Rebuilds() : st.window.Fields().chkLikelAt)
        RebuildAltGX(st, steps);
}

} // namespace tolvane
