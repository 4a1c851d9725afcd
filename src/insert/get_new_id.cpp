#include "insert/get_new_id.h"

#include "data/literal.h"
#include "data/run_state.h"
#include "text/error.h"

#include <limits>
#include <optional>

namespace tolvane {

namespace {

constexpr std::int32_t kLargestID = std::numeric_limits<std::int32_t>::max();

// The smallest freed ID of the counter, its row deleted; none when the pool is empty.
std::optional<std::int32_t> TakeFreedID(RunState& st, const QString& NameID) {
    st.Open(st.rsData, st.Data(),
            "Select OldID From OldID Where NameID = " + Literal(NameID) + " Order By OldID");
    if (st.rsData.Eof()) {
        st.rsData.Close();
        return std::nullopt;
    }
    const std::int32_t id = st.rsData.Long(QStringLiteral("OldID"));
    st.rsData.Delete();
    st.rsData.Close();
    return id;
}

// The counter's last ID plus one (1 after the largest ID, 1 for a new counter),
// written back to LastID.
std::int32_t AdvanceCounter(RunState& st, const QString& NameID) {
    st.Open(st.rsData, st.Data(),
            "Select NameID, LastID From LastID Where NameID = " + Literal(NameID));
    std::int32_t id = 1;
    if (st.rsData.Eof()) {
        st.rsData.AddNew();
        st.rsData.Collect(QStringLiteral("NameID"), NameID);
        st.rsData.Collect(QStringLiteral("LastID"), id);
    } else {
        const std::int32_t last = st.rsData.Long(QStringLiteral("LastID"));
        id = last < kLargestID ? last + 1 : 1;
        st.rsData.Collect(QStringLiteral("LastID"), id);
    }
    // Fails when another writer changed the counter row since it was read.
    st.rsData.Update();
    st.rsData.Close();
    return id;
}

} // namespace

std::int32_t GetNewID(RunState& st, const QString& NameID) {
    try {
        if (const std::optional<std::int32_t> freed = TakeFreedID(st, NameID))
            return *freed;
        return AdvanceCounter(st, NameID);
    } catch (const Error&) {
        // No ID could be drawn; the caller sees 0.
        try {
            st.rsData.Close();
        } catch (...) {
        }
        return 0;
    }
}

} // namespace tolvane
