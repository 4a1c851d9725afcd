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
    ApplyPriceList(st);
    CheckPriceList(st);
    if (HasPriceListAll(st) == 1) {
        ApplyPriceListAll(st);
        Enlarge(st.window);
        ShowPriceDiff(st);
    }
    if (st.window.Fields().chkLikelAt)
        RebuildAltGX(st);
}

} // namespace tolvane
