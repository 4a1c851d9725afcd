#include "transfer/check_walk.h"

#include "data/literal.h"
#include "data/run_state.h"
#include "parts/part_keys_by_set.h"
#include "parts/progress.h"
#include "text/error.h"
#include "text/part_keys.h"
#include "text/versions.h"
#include "transfer/price_stages.h"

#include <exception>
#include <optional>

namespace tolvane {

namespace {

// The checks show the part with two blanks before the model.
const QString kCheckGap = QStringLiteral("  ");

CheckEntry ReadEntry(const Recordset& rs) {
    CheckEntry e;
    static_cast<PartEntry&>(e) = ReadPartEntry(rs, true);
    e.PartNew = rs.Text(QStringLiteral("PartNew"));
    e.FPartNew = rs.Text(QStringLiteral("FPartNew"));
    return e;
}

QString ChunkQuery(std::int16_t n) {
    return "Select Kind, PartNO, PartNew, FPartNew, lKind, lAtNO, AKind, AltNO, "
           "EName, TName, "
           "Model, Import, Price, Sale From PriceList_" +
           QString::number(n) + " Order By PartNO";
}

void ShowRow(RunState& st, std::int16_t n, std::int32_t row, std::int32_t rowCount,
             const CheckEntry& entry) {
    ShowListRow(st.window, kPhraseChecking + st.strBrand + "_" + QString::number(n), row, rowCount,
                entry, kCheckGap);
}

// The key column of the look-up and the entry's value in it.
QString KeyColumn(const RunState& st) {
    return IsSearchKeyVersion(TrimBlanks(st.strVer)) ? QStringLiteral("FPartNO")
                                                     : QStringLiteral("PartNO");
}

QString KeyValue(const RunState& st, const CheckEntry& entry) {
    return IsSearchKeyVersion(TrimBlanks(st.strVer)) ? EditString(entry.PartNO) : entry.PartNO;
}

QString PriceColumns(const RunState& st) {
    return IsPrice1Version(TrimBlanks(st.strVer)) ? QStringLiteral("Price1, Sale1")
                                                  : QStringLiteral("Price, Sale");
}

// The stored price of the first matching row, read from the open recordset.
StoredPrice ReadStored(const RunState& st, const Recordset& rs) {
    const bool price1 = IsPrice1Version(TrimBlanks(st.strVer));
    StoredPrice stored;
    stored.found = true;
    stored.price = rs.Amount(price1 ? QStringLiteral("Price1") : QStringLiteral("Price"));
    stored.sale = rs.Amount(price1 ? QStringLiteral("Sale1") : QStringLiteral("Sale"));
    return stored;
}

// On a server: the chunk's rows read first (a chunk holds at most 32,767), their
// parts by the set, the first matching row of each (the lowest PartID) compared. A
// part whose prices cannot be read is looked up again at its turn, which fails there.
void WalkRowsBySet(RunState& st, std::int16_t n, std::int32_t rowCount,
                   const std::function<void(const CheckEntry&, const StoredPrice&)>& onListed) {
    std::vector<CheckEntry> entries;
    std::exception_ptr unreadable;
    try {
        for (; !st.rsList.Eof(); st.rsList.MoveNext())
            entries.push_back(ReadEntry(st.rsList));
    } catch (const Error&) {
        unreadable = std::current_exception();
    }
    PartKeySet keys;
    std::vector<std::size_t> keyOf;
    for (const CheckEntry& entry : entries)
        keyOf.push_back(keys.Add(entry.Kind, KeyValue(st, entry)));
    std::vector<std::optional<StoredPrice>> stored(keys.keys().size(), StoredPrice{});
    std::vector<bool> seen(keys.keys().size(), false);
    try {
        QStringList columns = PriceColumns(st).split(QStringLiteral(", "));
        ReadPartsByKey(st, st.Table("Pta"), KeyColumn(st), keys, "p." + columns.join(", p."),
                       [&](std::size_t i, const Recordset& rs) {
                           if (seen[i])
                               return;
                           seen[i] = true;
                           try {
                               stored[i] = ReadStored(st, rs);
                           } catch (const Error&) {
                               stored[i].reset();
                           }
                       });
    } catch (const Error&) {
        stored.assign(keys.keys().size(), std::nullopt);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ShowRow(st, n, static_cast<std::int32_t>(i + 1), rowCount, entries[i]);
        const std::optional<StoredPrice>& read = stored[keyOf[i]];
        const StoredPrice price = read ? *read : LookUpPart(st, entries[i]);
        if (StillDiffers(entries[i], price))
            onListed(entries[i], price);
    }
    if (unreadable)
        std::rethrow_exception(unreadable);
}

void WalkChunk(RunState& st, std::int16_t n,
               const std::function<void(const CheckEntry&, const StoredPrice&)>& onListed) {
    std::int32_t row = 0;
    st.Open(st.rsList, st.PriceList(), ChunkQuery(n));
    const std::int32_t rowCount = st.rsList.RecordCount();
    if (st.Data().SendsCheckedCalls()) {
        WalkRowsBySet(st, n, rowCount, onListed);
    } else {
        while (!st.rsList.Eof()) {
            const CheckEntry entry = ReadEntry(st.rsList);
            ShowRow(st, n, ++row, rowCount, entry);
            const StoredPrice stored = LookUpPart(st, entry);
            if (StillDiffers(entry, stored))
                onListed(entry, stored);
            st.rsList.MoveNext();
        }
    }
    st.rsList.Close();
}

} // namespace

StoredPrice LookUpPart(RunState& st, const CheckEntry& entry) {
    QString sql = "Select " + PriceColumns(st) + " From " + st.Table("Pta") + " Where ";
    if (!entry.Kind.isEmpty())
        sql += "Kind = " + Literal(entry.Kind) + " And ";
    sql += KeyColumn(st) + " = " + Literal(KeyValue(st, entry));

    StoredPrice stored;
    st.Open(st.rsData, st.Data(), sql);
    if (!st.rsData.Eof())
        stored = ReadStored(st, st.rsData);
    st.rsData.Close();
    return stored;
}

bool StillDiffers(const CheckEntry& entry, const StoredPrice& stored) {
    return !stored.found || entry.Price != stored.price || entry.Sale != stored.sale;
}

void BeginCheck(RunState& st) {
    st.window.SetTxtQTY(kPhraseCheckStart + st.strBrand);
    st.window.Yield();
}

void WalkPriceList(RunState& st, const std::function<void()>& beforeChunk,
                   const std::function<void(const CheckEntry&, const StoredPrice&)>& onListed) {
    if (LoadChunkList(st)) {
        for (std::int32_t i = 0; i < st.lngCountUB; ++i) {
            if (beforeChunk)
                beforeChunk();
            WalkChunk(st, st.intCount[static_cast<std::size_t>(i)], onListed);
        }
    }
    st.window.Yield();
    st.window.SetTxtQTY(kPhraseChecking + st.strBrand + "  100 %");
}

} // namespace tolvane
