#include "data/run_state.h"
#include "transfer/price_stages.h"

namespace tolvane {

bool LoadChunkList(RunState& st) {
    st.Open(st.rsList, st.PriceList(),
            QStringLiteral("Select Count From PriceList_Count Order By Count"));
    if (st.rsList.Eof()) {
        st.rsList.Close();
        return false;
    }
    st.lngCountUB = st.rsList.RecordCount();
    st.intCount.assign(static_cast<std::size_t>(st.lngCountUB), 0);
    std::size_t i = 0;
    while (!st.rsList.Eof() && i < st.intCount.size()) {
        // Integer raises Error for a Null or a number outside 16 bits.
        st.intCount[i++] = st.rsList.Integer(QStringLiteral("Count"));
        st.rsList.MoveNext();
    }
    st.rsList.Close();
    return true;
}

} // namespace tolvane
