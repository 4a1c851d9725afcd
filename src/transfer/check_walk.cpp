#include "transfer/check_walk.h"

#include "data/literal.h"
#include "data/run_state.h"
#include "parts/progress.h"
#include "text/part_keys.h"
#include "text/versions.h"
#include "transfer/price_stages.h"

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

void WalkChunk(RunState& st, std::int16_t n,
               const std::function<void(const CheckEntry&, const StoredPrice&)>& onListed) {
    Window& w = st.window;
    std::int32_t row = 0;
    st.Open(st.rsList, st.PriceList(), ChunkQuery(n));
    const std::int32_t rowCount = st.rsList.RecordCount();
    while (!st.rsList.Eof()) {
        const CheckEntry entry = ReadEntry(st.rsList);
        ++row;
        w.SetTxtQTY(kPhraseChecking + st.strBrand + "_" + QString::number(n) + "  " +
                    PercentText(row, rowCount) + " %");
        w.SetTxtPartNO(
            PartProgressText(entry.Kind, entry.PartNO, entry.TName, entry.Model, kCheckGap));
        w.Yield();
        const StoredPrice stored = LookUpPart(st, entry);
        if (StillDiffers(entry, stored))
            onListed(entry, stored);
        st.rsList.MoveNext();
    }
    st.rsList.Close();
}

} // namespace

StoredPrice LookUpPart(RunState& st, const CheckEntry& entry) {
    const QString ver = TrimBlanks(st.strVer);
    const bool price1 = IsPrice1Version(ver);
    const QString columns =
        price1 ? QStringLiteral("Price1, Sale1") : QStringLiteral("Price, Sale");
    const bool searchKey = IsSearchKeyVersion(ver);
    const QString keyColumn = searchKey ? QStringLiteral("FPartNO") : QStringLiteral("PartNO");
    const QString keyValue = searchKey ? EditString(entry.PartNO) : entry.PartNO;

    QString sql = "Select " + columns + " From " + st.Table("Pta") + " Where ";
    if (!entry.Kind.isEmpty())
        sql += "Kind = " + Literal(entry.Kind) + " And ";
    sql += keyColumn + " = " + Literal(keyValue);

    StoredPrice stored;
    st.Open(st.rsData, st.Data(), sql);
    if (!st.rsData.Eof()) {
        stored.found = true;
        stored.price =
            st.rsData.Amount(price1 ? QStringLiteral("Price1") : QStringLiteral("Price"));
        stored.sale = st.rsData.Amount(price1 ? QStringLiteral("Sale1") : QStringLiteral("Sale"));
    }
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
