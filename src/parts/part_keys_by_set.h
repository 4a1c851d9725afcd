#pragma once

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace tolvane {

class Recordset;
struct RunState;

// One part look-up: a value of the key column (the part number, or its compact search
// number), under one kind or, when the kind is empty, under every kind.
struct PartKey {
    QString kind;
    QString value;
};

// The distinct look-ups of a read by the set. Texts that are the same text are one
// look-up; which texts the server counts as equal is left to the server.
class PartKeySet {
public:
    // The look-up's index; the same index for the same kind and value.
    std::size_t Add(const QString& kind, const QString& value);
    // The index of a look-up added before; nothing for one never added.
    std::optional<std::size_t> Find(const QString& kind, const QString& value) const;
    const std::vector<PartKey>& keys() const { return keys_; }

private:
    std::vector<PartKey> keys_;
    std::map<std::pair<QString, QString>, std::size_t> index_;
};

// Reads, for every look-up, the rows of `table` whose `keyColumn` equals its value and,
// when it has a kind, whose Kind equals its kind, with `columns` (each prefixed "p.",
// e.g. "p.UpRec, p.PartID"): a few hundred look-ups per read, each matched by the
// server in a join, so the database's collation decides what is equal, as it does for
// a look-up of one part. `onRow(i, rs)` sees each matching row of look-up i, look-ups
// in order and each one's rows in PartID order. Raises Error when a read fails.
void ReadPartsByKey(RunState& st, const QString& table, const QString& keyColumn,
                    const PartKeySet& keys, const QString& columns,
                    const std::function<void(std::size_t, const Recordset&)>& onRow);

// How the server groups texts: the class of each value ranked under the key column's
// collation, of each kind under Kind's. Texts of one class are equal to the server,
// texts of two classes are not; the same text is always of one class.
struct KeyClasses {
    std::map<QString, qint64> valueOf;
    std::map<QString, qint64> kindOf;

    // The class of a text that was ranked; nothing for one that was not.
    std::optional<qint64> Value(const QString& value) const;
    std::optional<qint64> Kind(const QString& kind) const;
};

// One read: every kind and value of `texts` ranked together by the server
// (Dense_Rank), taking the collation of `table`'s columns. Raises Error when the read
// fails or leaves a text out.
KeyClasses RankKeys(RunState& st, const QString& table, const QString& keyColumn,
                    const std::vector<PartKey>& texts);

// The look-ups [first, last) as a derived table "(Values (0, 'K', 'V'), ...) As k(n, kd,
// num)": a join with it matches on the server.
QString KeyTable(const std::vector<PartKey>& keys, std::size_t first, std::size_t last);

} // namespace tolvane
