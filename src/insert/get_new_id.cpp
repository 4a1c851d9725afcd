#include "insert/get_new_id.h"

#include "data/literal.h"
#include "data/run_state.h"
#include "text/error.h"

#include <limits>
#include <optional>

namespace tolvane {

namespace {

constexpr std::int32_t kLargestID = std::numeric_limits<std::int32_t>::max();

// True when a row of `table` holds `id`: one look-up on the table's ID.
bool IdInUse(RunState& st, const QString& table, std::int32_t id) {
    Recordset rs;
    rs.Open("Select PartID From " + table + " Where PartID = " + QString::number(id), st.Data());
    const bool used = !rs.Eof();
    rs.Close();
    return used;
}

// The highest ID in use in `table`; 0 for an empty table.
std::int32_t HighestIdInUse(RunState& st, const QString& table) {
    Recordset rs;
    rs.Open("Select Max(PartID) As Highest From " + table, st.Data());
    const QVariant highest = rs.Eof() ? QVariant() : rs.Field(QStringLiteral("Highest"));
    const std::int32_t id = highest.isNull() ? 0 : rs.Long(QStringLiteral("Highest"));
    rs.Close();
    return id;
}

void Repaired(RunState& st, const QString& what) {
    st.window.Notice(QStringLiteral("counter repaired: ") + what);
}

// The smallest freed ID of the counter that may be handed out, its row deleted; none
// when the pool holds no such ID. Freed IDs that are not positive or that a part
// already uses leave the pool on the way.
std::optional<std::int32_t> TakeFreedID(RunState& st, const QString& NameID) {
    st.Open(st.rsData, st.Data(),
            "Select OldID From OldID Where NameID = " + Literal(NameID) + " Order By OldID");
    for (; !st.rsData.Eof(); st.rsData.MoveNext()) {
        const std::int32_t id = st.rsData.Long(QStringLiteral("OldID"));
        st.rsData.Delete();
        if (id > 0 && !IdInUse(st, NameID, id)) {
            st.rsData.Close();
            return id;
        }
        Repaired(st, QStringLiteral("OldID %1: freed ID %2 removed, %3")
                         .arg(NameID)
                         .arg(id)
                         .arg(id > 0 ? "a row of " + NameID + " uses it"
                                     : QStringLiteral("it is not a positive ID")));
    }
    st.rsData.Close();
    return std::nullopt;
}

// The counter's last ID plus one (1 after the largest ID, 1 for a new counter),
// written back to LastID. When a row of the table already uses it, the counter is
// behind the table and moves past its highest ID instead.
std::int32_t AdvanceCounter(RunState& st, const QString& NameID) {
    st.Open(st.rsData, st.Data(),
            "Select NameID, LastID From LastID Where NameID = " + Literal(NameID));
    const bool isNew = st.rsData.Eof();
    const std::int32_t last = isNew ? 0 : st.rsData.Long(QStringLiteral("LastID"));
    std::int32_t id = last < kLargestID ? last + 1 : 1;
    if (IdInUse(st, NameID, id)) {
        const std::int32_t highest = HighestIdInUse(st, NameID);
        if (highest >= kLargestID)
            throw Error("No free ID is left for " + NameID + ": its highest ID is the largest one.",
                        st.strSQL);
        const QString change =
            isNew ? QStringLiteral("no counter row, started at %1").arg(highest + 1)
                  : QStringLiteral("moved from %1 to %2").arg(last).arg(highest + 1);
        Repaired(st, QStringLiteral("LastID %1: %2, past the highest ID of %1 in use (%3)")
                         .arg(NameID, change)
                         .arg(highest));
        id = highest + 1;
    }
    if (isNew) {
        st.rsData.AddNew();
        st.rsData.Collect(QStringLiteral("NameID"), NameID);
    }
    st.rsData.Collect(QStringLiteral("LastID"), id);
    // Fails when another writer changed the counter row since it was read.
    st.rsData.Update();
    st.rsData.Close();
    return id;
}

} // namespace

std::int32_t DrawNewID(RunState& st, const QString& NameID) {
    try {
        if (const std::optional<std::int32_t> freed = TakeFreedID(st, NameID))
            return *freed;
        return AdvanceCounter(st, NameID);
    } catch (const Error&) {
        // rsData is left closed whatever failed.
        try {
            st.rsData.Close();
        } catch (...) {
        }
        throw;
    }
}

std::int32_t GetNewID(RunState& st, const QString& NameID) {
    try {
        return DrawNewID(st, NameID);
    } catch (const Error&) {
        return 0; // no ID could be drawn
    }
}

} // namespace tolvane
