#include "data/run_state.h"
#include "insert/insert_new_part.h"
#include "parts/progress.h"
#include "text/error.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"
#include "transfer/update_parts_by_set.h"

#include <exception>
#include <functional>

namespace tolvane {

namespace {

const QString kPriceGap = QStringLiteral("   ");

// The collected rows applied by the set at a time: as many as a chunk may hold.
constexpr std::size_t kRowsPerSlice = 32767;

// A collected row: no link fields, and the sale price as the list gives it, 0
// included.
PartEntry ReadCollectedRow(const Recordset& rs) {
    return ReadPartEntry(rs, false);
}

// On a server: the collected rows a slice at a time (memory stays that of a chunk),
// their parts read by the set. A row that cannot be read ends the stage there, after
// the rows before it, as it does row by row.
void ApplyCollectedBySet(RunState& st, const std::function<void(const PartEntry&)>& show) {
    while (!st.rsList.Eof()) {
        std::vector<RowEntries> rows;
        std::exception_ptr unreadable;
        try {
            for (; !st.rsList.Eof() && rows.size() < kRowsPerSlice; st.rsList.MoveNext())
                rows.push_back({ReadCollectedRow(st.rsList)});
        } catch (const Error&) {
            unreadable = std::current_exception();
        }
        UpdatePartsBySet(st, rows, [&](std::size_t i) { show(rows[i].front()); });
        if (unreadable)
            std::rethrow_exception(unreadable);
    }
}

} // namespace

void ApplyPriceListAll(RunState& st) {
    RunSteps all;
    ApplyPriceListAll(st, all);
}

void ApplyPriceListAll(RunState& st, RunSteps& steps) {
    Window& w = st.window;
    if (steps.Due({Step::CollectedPrices})) {
        w.SetTxtQTY(kPhraseMoving + st.strBrand);
        w.Yield();
        // The shop connection stays as the check left it: no re-open in this stage.
        st.Execute(st.Data(),
                   "Delete From PriceList Where BrandID = " + QString::number(st.lngBrandID));

        std::int32_t row = 0;
        st.Open(st.rsList, st.PriceList(),
                QStringLiteral("Select Kind, PartNO, EName, TName, Model, Import, "
                               "Price, Sale From PriceListAll"));
        const std::int32_t rowCount = st.rsList.RecordCount();
        const auto show = [&](const PartEntry& entry) {
            ShowListRow(w, kPhraseChanging + st.strBrand + "_All", ++row, rowCount, entry,
                        kPriceGap);
        };
        if (st.Data().SendsCheckedCalls()) {
            ApplyCollectedBySet(st, show);
        } else {
            while (!st.rsList.Eof()) {
                const PartEntry entry = ReadCollectedRow(st.rsList);
                show(entry);
                UpdatePart(st, entry);
                st.rsList.MoveNext();
            }
        }
        st.rsList.Close();
    }
    if (steps.Due({Step::CollectedNewParts})) {
        InsertNewPart(st, 0);
        w.SetTxtQTY(kPhraseAdding + st.strBrand + "  100 %");
    }
}

} // namespace tolvane
