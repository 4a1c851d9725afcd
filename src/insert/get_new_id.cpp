#include "insert/get_new_id.h"

#include "data/literal.h"
#include "data/run_state.h"
#include "text/amount.h"
#include "text/error.h"

#include <cmath>
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

} // namespace

std::optional<std::int32_t> CounterID(const QVariant& value, std::int32_t lowest) {
    const bool isDouble = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
    if (isDouble && std::trunc(value.toDouble()) != value.toDouble())
        return std::nullopt; // a fraction, however small
    try {
        const Currency amount = Currency::FromVariant(value);
        const std::int64_t whole = amount.units() / Currency::kScale;
        if (amount.units() % Currency::kScale == 0 && whole >= lowest && whole <= kLargestID)
            return static_cast<std::int32_t>(whole);
    } catch (const Error&) {
        // Null, or no number
    }
    return std::nullopt;
}

namespace {

// A counter's value in a repair notice: Null, a text in quotes, a number as it is.
QString Shown(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("Null");
    if (value.typeId() == QMetaType::QString)
        return u'\'' + value.toString() + u'\'';
    return value.toString();
}

void Repaired(RunState& st, const QString& NameID, const QString& what) {
    st.window.Notice(QStringLiteral("counter repaired: ") + what,
                     ThaiSentence(NoticeKind::CounterRepaired, {NameID}));
}

// The smallest freed ID of the counter that may be handed out, its row deleted; none
// when the pool holds no such ID. Freed entries that are no positive whole number (Null,
// a text, a fraction, 0 or less) or that a part already uses leave the pool on the way.
std::optional<std::int32_t> TakeFreedID(RunState& st, const QString& NameID) {
    st.Open(st.rsData, st.Data(),
            "Select OldID From OldID Where NameID = " + Literal(NameID) + " Order By OldID");
    QVariant removed; // the last value removed: its removal took every entry of it
    bool anyRemoved = false;
    for (; !st.rsData.Eof(); st.rsData.MoveNext()) {
        const QVariant value = st.rsData.Field(QStringLiteral("OldID"));
        if (anyRemoved && (value.isNull() ? removed.isNull() : value == removed))
            continue;
        const std::optional<std::int32_t> id = CounterID(value, 1);
        st.rsData.Delete();
        removed = value;
        anyRemoved = true;
        if (id && !IdInUse(st, NameID, *id)) {
            st.rsData.Close();
            return id;
        }
        Repaired(st, NameID,
                 QStringLiteral("OldID %1: freed ID %2 removed, %3")
                     .arg(NameID, Shown(value),
                          id ? "a row of " + NameID + " uses it"
                             : QStringLiteral("it is not a positive ID")));
    }
    st.rsData.Close();
    return std::nullopt;
}

// The counter's last ID plus one (1 after the largest ID, 1 for a new counter),
// written back to LastID. When a row of the table already uses it, the counter is
// behind the table and moves past its highest ID instead; so does a counter whose
// value is no whole number from 0 to the largest ID (Null, a text, a fraction, a
// negative number), as a missing counter row would.
std::int32_t AdvanceCounter(RunState& st, const QString& NameID) {
    st.Open(st.rsData, st.Data(),
            "Select NameID, LastID From LastID Where NameID = " + Literal(NameID));
    const bool isNew = st.rsData.Eof();
    const QVariant value = isNew ? QVariant() : st.rsData.Field(QStringLiteral("LastID"));
    const std::optional<std::int32_t> read = isNew ? 0 : CounterID(value, 0);
    const std::int32_t last = read.value_or(0);
    std::int32_t id = last < kLargestID ? last + 1 : 1;
    if (!read || IdInUse(st, NameID, id)) {
        const std::int32_t highest = HighestIdInUse(st, NameID);
        if (highest >= kLargestID)
            throw Error("No free ID is left for " + NameID + ": its highest ID is the largest one.",
                        st.strSQL);
        QString change = QStringLiteral("moved from %1 to %2").arg(last).arg(highest + 1);
        if (isNew)
            change = QStringLiteral("no counter row, started at %1").arg(highest + 1);
        else if (!read)
            change =
                QStringLiteral("held %1, not an ID, set to %2").arg(Shown(value)).arg(highest + 1);
        Repaired(st, NameID,
                 QStringLiteral("LastID %1: %2, past the highest ID of %1 in use (%3)")
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
