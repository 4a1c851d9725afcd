#include "data/open_connection.h"
#include "data/run_state.h"
#include "insert/insert_new_part.h"
#include "parts/progress.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"

namespace tolvane {

namespace {

// The price stages show the part with three blanks before the model.
const QString kPriceGap = QStringLiteral("   ");

PartEntry ReadChunkRow(const Recordset& rs) {
    PartEntry e = ReadPartEntry(rs, true);
    // A list without a sale price sells at the list price.
    if (e.Sale.isZero())
        e.Sale = e.Price;
    return e;
}

// The entry for a related number (linked or alternate): the row's names and
// prices, no links of its own.
PartEntry RelatedEntry(const PartEntry& row, const QString& kind, const QString& partNO) {
    PartEntry e = row;
    e.Kind = kind;
    e.PartNO = partNO;
    e.lKind.clear();
    e.lAtNO.clear();
    e.AKind.clear();
    e.AltNO.clear();
    return e;
}

void ApplyRow(RunState& st, const PartEntry& row) {
    UpdatePart(st, row);
    if (!row.lAtNO.isEmpty() && row.lAtNO != row.PartNO)
        UpdatePart(st, RelatedEntry(row, row.lKind, row.lAtNO));
    if (!row.AltNO.isEmpty() && row.AltNO != row.PartNO)
        UpdatePart(st, RelatedEntry(row, row.AKind, row.AltNO));
}

void ApplyChunk(RunState& st, std::int16_t n) {
    Window& w = st.window;
    // Every chunk works on a freshly opened shop database.
    ReopenTarget(st);
    st.Execute(st.Data(),
               "Delete From PriceList Where BrandID = " + QString::number(st.lngBrandID));

    std::int32_t row = 0;
    st.Open(st.rsList, st.PriceList(),
            "Select Kind, PartNO, lKind, lAtNO, AKind, AltNO, EName, TName, "
            "Model, Import, "
            "Price, Sale From PriceList_" +
                QString::number(n) + " Order By PartNO");
    const std::int32_t rowCount = st.rsList.RecordCount();
    while (!st.rsList.Eof()) {
        const PartEntry entry = ReadChunkRow(st.rsList);
        ++row;
        w.SetTxtQTY(kPhraseChanging + st.strBrand + "_" + QString::number(n) + "  " +
                    PercentText(row, rowCount) + " %");
        w.SetTxtPartNO(
            PartProgressText(entry.Kind, entry.PartNO, entry.TName, entry.Model, kPriceGap));
        w.Yield();
        ApplyRow(st, entry);
        st.rsList.MoveNext();
    }
    st.rsList.Close();
    InsertNewPart(st, n);
    w.SetTxtQTY(kPhraseAdding + st.strBrand + "  100 %");
}

} // namespace

void ApplyPriceList(RunState& st) {
    st.window.SetTxtQTY(kPhraseMoving + st.strBrand);
    st.window.Yield();
    if (!LoadChunkList(st))
        return;
    for (std::int32_t i = 0; i < st.lngCountUB; ++i)
        ApplyChunk(st, st.intCount[static_cast<std::size_t>(i)]);
}

} // namespace tolvane
