#include "parts/part_keys_by_set.h"

#include "data/literal.h"
#include "data/recordset.h"
#include "data/run_state.h"
#include "text/error.h"

#include <QStringList>
#include <algorithm>

namespace tolvane {

namespace {

// Look-ups per read: a statement of a few tens of kilobytes that the server plans at once.
constexpr std::size_t kKeysPerRead = 500;

} // namespace

std::size_t PartKeySet::Add(const QString& kind, const QString& value) {
    const auto [it, added] = index_.try_emplace({kind, value}, keys_.size());
    if (added)
        keys_.push_back({kind, value});
    return it->second;
}

std::optional<std::size_t> PartKeySet::Find(const QString& kind, const QString& value) const {
    const auto it = index_.find({kind, value});
    if (it == index_.end())
        return std::nullopt;
    return it->second;
}

namespace {

std::optional<qint64> ClassOf(const std::map<QString, qint64>& classes, const QString& text) {
    const auto it = classes.find(text);
    if (it == classes.end())
        return std::nullopt;
    return it->second;
}

} // namespace

std::optional<qint64> KeyClasses::Value(const QString& value) const {
    return ClassOf(valueOf, value);
}

std::optional<qint64> KeyClasses::Kind(const QString& kind) const {
    return ClassOf(kindOf, kind);
}

KeyClasses RankKeys(RunState& st, const QString& table, const QString& keyColumn,
                    const std::vector<PartKey>& texts) {
    KeyClasses classes;
    if (texts.empty())
        return classes;
    // The empty branch gives the union the table's columns, and with them their
    // collations: a column's collation wins over the literals' (the database's).
    const QString sql =
        "Select u.n, Dense_Rank() Over (Order By u.num) As tolvane_value, Dense_Rank() Over "
        "(Order By u.kd) As tolvane_kind From (Select p.PartID As n, p.Kind As kd, p." +
        keyColumn + " As num From " + table +
        " p Where 1 = 0 Union All Select k.n, k.kd, k.num From " +
        KeyTable(texts, 0, texts.size()) + ") As u";
    Recordset rs;
    rs.Open(sql, st.Data(), Recordset::adOpenForwardOnly);
    std::size_t rows = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++rows) {
        const auto n = static_cast<std::size_t>(rs.Long(QStringLiteral("n")));
        if (n >= texts.size())
            break;
        classes.valueOf[texts[n].value] = rs.Field(QStringLiteral("tolvane_value")).toLongLong();
        classes.kindOf[texts[n].kind] = rs.Field(QStringLiteral("tolvane_kind")).toLongLong();
    }
    rs.Close();
    if (rows != texts.size())
        throw Error(QStringLiteral("The server ranked %1 of %2 texts.").arg(rows).arg(texts.size()),
                    sql);
    return classes;
}

QString KeyTable(const std::vector<PartKey>& keys, std::size_t first, std::size_t last) {
    // A table value list, which the server plans as one scan (SQL Server 2008 and later);
    // texts only, so that no Null gives a column another type.
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(last - first));
    for (std::size_t i = first; i < last; ++i)
        rows << "(" + QString::number(i) + ", " + Literal(keys[i].kind) + ", " +
                    Literal(keys[i].value) + ")";
    return "(Values " + rows.join(QStringLiteral(", ")) + ") As k(n, kd, num)";
}

void ReadPartsByKey(RunState& st, const QString& table, const QString& keyColumn,
                    const PartKeySet& keys, const QString& columns,
                    const std::function<void(std::size_t, const Recordset&)>& onRow) {
    const std::vector<PartKey>& all = keys.keys();
    for (std::size_t first = 0; first < all.size(); first += kKeysPerRead) {
        const std::size_t last = std::min(all.size(), first + kKeysPerRead);
        Recordset rs;
        rs.Open("Select k.n, " + columns + " From " + KeyTable(all, first, last) +
                    " Inner Join " + table + " p On p." + keyColumn +
                    " = k.num And (k.kd = '' Or p.Kind = k.kd) Order By k.n, p.PartID",
                st.Data(), Recordset::adOpenForwardOnly);
        for (; !rs.Eof(); rs.MoveNext())
            onRow(static_cast<std::size_t>(rs.Long(QStringLiteral("n"))), rs);
        rs.Close();
    }
}

} // namespace tolvane
