#include "data/run_state.h"
#include "insert/insert_new_part.h"
#include "parts/progress.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"

namespace tolvane {

namespace {

const QString kPriceGap = QStringLiteral("   ");

// A collected row: no link fields, and the sale price as the list gives it, 0
// included.
PartEntry ReadCollectedRow(const Recordset& rs) {
    return ReadPartEntry(rs, false);
}

} // namespace

void ApplyPriceListAll(RunState& st) {
    Window& w = st.window;
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
    while (!st.rsList.Eof()) {
        const PartEntry entry = ReadCollectedRow(st.rsList);
        ++row;
        w.SetTxtQTY(kPhraseChanging + st.strBrand + "_All  " + PercentText(row, rowCount) + " %");
        w.SetTxtPartNO(
            PartProgressText(entry.Kind, entry.PartNO, entry.TName, entry.Model, kPriceGap));
        w.Yield();
        UpdatePart(st, entry);
        st.rsList.MoveNext();
    }
    st.rsList.Close();
    InsertNewPart(st, 0);
    w.SetTxtQTY(kPhraseAdding + st.strBrand + "  100 %");
}

} // namespace tolvane
