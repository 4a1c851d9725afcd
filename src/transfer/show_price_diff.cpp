#include "data/open_connection.h"
#include "data/run_state.h"
#include "transfer/check_walk.h"
#include "transfer/price_stages.h"

namespace tolvane {

namespace {

// The grid msgDetail: column 1 running number, 2 "New" mark, 3 part, 4 Thai
// name, 5 model, 6 old price, 7 new price.
void WriteGridLine(Window& w, int line, const CheckEntry& e, const StoredPrice& stored) {
    // One empty row always stays below the last line written.
    if (line == w.GridRows() - 1)
        w.SetGridRows(w.GridRows() + 1);

    QString mark, partText, oldPrice, newPrice;
    if (!stored.found) {
        mark = QStringLiteral("New");
        partText = e.Kind.isEmpty() ? e.PartNO : e.Kind + " - " + e.PartNO;
        newPrice = e.Price.ToText();
    } else {
        partText = e.Kind.isEmpty() ? e.PartNO : e.Kind + "-" + e.PartNO;
        if (e.Price != stored.price) {
            oldPrice = stored.price.ToText();
            newPrice = e.Price.ToText();
        } else {
            oldPrice = stored.sale.ToText();
            newPrice = e.Sale.ToText();
        }
    }
    w.SetGridText(line, 1, QString::number(line));
    w.SetGridText(line, 2, mark);
    w.SetGridText(line, 3, partText);
    w.SetGridText(line, 4, e.TName);
    w.SetGridText(line, 5, e.Model);
    w.SetGridText(line, 6, oldPrice);
    w.SetGridText(line, 7, newPrice);
}

} // namespace

void ShowPriceDiff(RunState& st) {
    Window& w = st.window;
    BeginCheck(st);
    // Lines are numbered across all chunks; a later run writes again from row 1.
    int line = 1;
    WalkPriceList(
        st, [&st] { ReopenTarget(st); },
        [&](const CheckEntry& entry, const StoredPrice& stored) {
            WriteGridLine(w, line, entry, stored);
            w.Yield();
            ++line;
        });
}

} // namespace tolvane
