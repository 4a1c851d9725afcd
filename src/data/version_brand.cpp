#include "data/version_brand.h"

#include "data/connection_texts.h"
#include "data/literal.h"
#include "data/run_state.h"
#include "text/error.h"
#include "text/versions.h"

namespace tolvane {

std::int16_t GetDBVersion(RunState& st) {
    try {
        st.Open(st.rsData, st.Data(), QStringLiteral("Select Ver From System "));
    } catch (const Error& e) {
        // A database without the shop's System table is no shop: the price list, or
        // another file, in the shop's field. A file held or a connection lost is that.
        if (e.kind() != Failure::Unexpected)
            throw;
        throw e.As(Failure::NotAShop, {ShopInThai(st.window.Fields())});
    }
    if (st.rsData.Eof()) {
        st.rsData.Close();
        return 0;
    }
    st.strVer = st.rsData.Text(QStringLiteral("Ver"));
    st.rsData.Close();
    return FindVersion(st.strVer) ? 1 : 0;
}

void GetBrandID(RunState& st) {
    st.lngBrandID = 0;
    // A found row ends the search, even one whose BrandID is 0.
    auto found = [&](const QString& name) {
        st.Open(st.rsData, st.Data(),
                "Select BrandID From Brand Where BrandName = " + Literal(name));
        const bool hasRow = !st.rsData.Eof();
        if (hasRow)
            st.lngBrandID = st.rsData.Long(QStringLiteral("BrandID"));
        st.rsData.Close();
        return hasRow;
    };
    if (found(st.strBrand) || found(st.strBrand + "_U"))
        return;
    if (TrimBlanks(st.strBrand) == QLatin1String("UD_VOLVO"))
        found(QStringLiteral("UD"));
}

} // namespace tolvane
