#include "data/literal.h"
#include "data/run_state.h"
#include "text/error.h"
#include "transfer/check_walk.h"
#include "transfer/price_stages.h"
#include "transfer/update_part.h"

namespace tolvane {

namespace {

QString AppendStatement(const CheckEntry& e) {
    const QStringList texts = {e.Kind,  e.PartNO, e.PartNew, e.FPartNew, e.lKind, e.lAtNO,
                               e.AKind, e.AltNO,  e.EName,   e.TName,    e.Model, e.Import};
    QString sql = QStringLiteral("Insert Into PriceListAll Values( ");
    for (const QString& text : texts)
        sql += Literal(text) + ", ";
    return sql + e.Price.ToText() + ", " + e.Sale.ToText() + " )";
}

QString ReadBackQuery(const CheckEntry& e) {
    QString sql = QStringLiteral("Select PartNO From PriceListAll Where ");
    if (!e.Kind.isEmpty())
        sql += "Kind = " + Literal(e.Kind) + " And ";
    return sql + "PartNO = " + Literal(e.PartNO);
}

// Appends the entry, with the list's own prices, and reads it back; an append
// that never shows up ends the run after kReadBackLimit attempts instead of
// looping.
void AppendToPriceListAll(RunState& st, const CheckEntry& entry) {
    const QString insert = AppendStatement(entry);
    const QString readBack = ReadBackQuery(entry);
    for (int attempt = 1;; ++attempt) {
        st.Execute(st.PriceList(), insert);
        st.Open(st.rsWork, st.PriceList(), readBack);
        const bool stored = !st.rsWork.Eof();
        st.rsWork.Close();
        if (stored)
            return;
        if (attempt >= kReadBackLimit)
            throw Error(QStringLiteral("The appended row was not found after %1 attempts.")
                            .arg(kReadBackLimit),
                        readBack);
    }
}

} // namespace

void CheckPriceList(RunState& st) {
    BeginCheck(st);
    st.Execute(st.PriceList(), QStringLiteral("Delete From PriceListAll"));
    WalkPriceList(st, {}, [&st](const CheckEntry& entry, const StoredPrice&) {
        AppendToPriceListAll(st, entry);
    });
}

std::int16_t HasPriceListAll(RunState& st) {
    st.Open(st.rsList, st.PriceList(),
            QStringLiteral("Select PartNO, lAtNO, AltNO, EName, TName, Model, "
                           "Price From PriceListAll"));
    const std::int16_t result = st.rsList.Eof() ? 0 : 1;
    st.rsList.Close();
    return result;
}

} // namespace tolvane
