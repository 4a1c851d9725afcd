#include "data/open_connection.h"
#include "data/run_state.h"
#include "insert/insert_new_part.h"
#include "parts/progress.h"
#include "text/error.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"
#include "transfer/update_parts_by_set.h"

#include <exception>

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

// The row itself, then its linked and its alternate number where it names another one.
RowEntries EntriesOfRow(const PartEntry& row) {
    RowEntries entries{row};
    if (!row.lAtNO.isEmpty() && row.lAtNO != row.PartNO)
        entries.push_back(RelatedEntry(row, row.lKind, row.lAtNO));
    if (!row.AltNO.isEmpty() && row.AltNO != row.PartNO)
        entries.push_back(RelatedEntry(row, row.AKind, row.AltNO));
    return entries;
}

void ShowRow(RunState& st, std::int16_t n, std::int32_t row, std::int32_t rowCount,
             const PartEntry& entry) {
    ShowListRow(st.window, kPhraseChanging + st.strBrand + "_" + QString::number(n), row, rowCount,
                entry, kPriceGap);
}

// On a server: every row of the chunk read first (a chunk holds at most 32,767), the
// parts by the set. A row that cannot be read ends the chunk there, after the rows
// before it, as it does row by row.
void ApplyRowsBySet(RunState& st, std::int16_t n, std::int32_t rowCount) {
    std::vector<RowEntries> rows;
    std::exception_ptr unreadable;
    try {
        for (; !st.rsList.Eof(); st.rsList.MoveNext())
            rows.push_back(EntriesOfRow(ReadChunkRow(st.rsList)));
    } catch (const Error&) {
        unreadable = std::current_exception();
    }
    UpdatePartsBySet(st, rows, [&](std::size_t i) {
        ShowRow(st, n, static_cast<std::int32_t>(i + 1), rowCount, rows[i].front());
    });
    if (unreadable)
        std::rethrow_exception(unreadable);
}

// The chunk's staged rows emptied, then every row applied or staged.
void ApplyChunkPrices(RunState& st, std::int16_t n) {
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
    if (st.Data().SendsCheckedCalls()) {
        ApplyRowsBySet(st, n, rowCount);
    } else {
        while (!st.rsList.Eof()) {
            const PartEntry entry = ReadChunkRow(st.rsList);
            ShowRow(st, n, ++row, rowCount, entry);
            for (const PartEntry& e : EntriesOfRow(entry))
                UpdatePart(st, e);
            st.rsList.MoveNext();
        }
    }
    st.rsList.Close();
}

} // namespace

void ApplyPriceList(RunState& st) {
    RunSteps all;
    ApplyPriceList(st, all);
}

void ApplyPriceList(RunState& st, RunSteps& steps) {
    if (!steps.Ahead(Step::ChunkNewParts))
        return;
    st.window.SetTxtQTY(kPhraseMoving + st.strBrand);
    st.window.Yield();
    if (!LoadChunkList(st))
        return;
    for (std::int32_t i = 0; i < st.lngCountUB; ++i) {
        const std::int16_t n = st.intCount[static_cast<std::size_t>(i)];
        if (steps.Due({Step::ChunkPrices, i}))
            ApplyChunkPrices(st, n);
        if (steps.Due({Step::ChunkNewParts, i})) {
            InsertNewPart(st, n);
            st.window.SetTxtQTY(kPhraseAdding + st.strBrand + "  100 %");
        }
    }
}

} // namespace tolvane
