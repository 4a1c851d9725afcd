#include "transfer/update_parts_by_set.h"

#include "data/recordset.h"
#include "data/run_state.h"
#include "text/error.h"
#include "transfer/update_part.h"

#include <optional>

namespace tolvane {

namespace {

// Statements per call: a call of some hundred kilobytes, a transaction that holds its
// rows' locks for a moment only.
constexpr std::size_t kStatementsPerCall = 2000;

// Per look-up: the matching rows, or nothing where a row could not be read (the
// row-by-row look-up meets the same value at its turn and fails there).
using Matches = std::optional<std::vector<PartMatch>>;

std::vector<Matches> ReadMatches(RunState& st, const PartKeySet& keys) {
    std::vector<Matches> matches(keys.keys().size(), std::vector<PartMatch>{});
    ReadPartsByKey(st, st.Table("Pta"), UpdateKeyColumn(st), keys,
                   QStringLiteral("p.UpRec, p.PartID"),
                   [&matches](std::size_t i, const Recordset& rs) {
                       if (!matches[i])
                           return;
                       try {
                           matches[i]->push_back({rs.Integer(QStringLiteral("UpRec")),
                                                  rs.Long(QStringLiteral("PartID"))});
                       } catch (const Error&) {
                           matches[i].reset();
                       }
                   });
    return matches;
}

// The planned writes of a run of rows, sent together.
class Call {
public:
    Call(RunState& st, const std::vector<RowEntries>& rows) : st_(st), rows_(rows) {}

    void Add(std::size_t row, const std::vector<PartWrite>& writes) {
        for (const PartWrite& write : writes) {
            for (const QString& statement : write.perTable)
                statements_.push_back({statement, CheckedStatement::Check::None});
            statements_.push_back({write.readBack, CheckedStatement::Check::FindsRow});
        }
        planned_.push_back(row);
        if (statements_.size() >= kStatementsPerCall)
            Send();
    }

    // Sends what is planned; what the server undid is done again row by row.
    void Send() {
        if (planned_.empty())
            return;
        if (!st_.Data().SendChecked({statements_})) {
            for (const std::size_t row : planned_) {
                for (const PartEntry& entry : rows_[row])
                    UpdatePart(st_, entry);
            }
        }
        statements_.clear();
        planned_.clear();
    }

private:
    RunState& st_;
    const std::vector<RowEntries>& rows_;
    std::vector<CheckedStatement> statements_;
    std::vector<std::size_t> planned_;
};

} // namespace

void UpdatePartsBySet(RunState& st, const std::vector<RowEntries>& rows,
                      const std::function<void(std::size_t)>& show) {
    PartKeySet keys;
    std::vector<std::vector<std::size_t>> keyOf(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const PartEntry& entry : rows[i]) {
            const PartKey key = UpdateLookupKey(st, entry);
            keyOf[i].push_back(keys.Add(key.kind, key.value));
        }
    }
    std::vector<Matches> matches;
    try {
        matches = ReadMatches(st, keys);
    } catch (const Error&) {
        // A server that cannot read the set (an odd dialect) still takes the rows one
        // by one; a server that is gone fails there with its own message.
        matches.assign(keys.keys().size(), std::nullopt);
    }

    Call call(st, rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        show(i);
        bool readable = true;
        for (const std::size_t k : keyOf[i])
            readable = readable && matches[k].has_value();
        if (!readable) {
            call.Send();
            for (const PartEntry& entry : rows[i])
                UpdatePart(st, entry);
            continue;
        }
        std::vector<PartWrite> writes;
        for (std::size_t e = 0; e < rows[i].size(); ++e) {
            const std::vector<PartWrite> entryWrites =
                PlanPartUpdate(st, rows[i][e], *matches[keyOf[i][e]]);
            writes.insert(writes.end(), entryWrites.begin(), entryWrites.end());
        }
        call.Add(i, writes);
    }
    call.Send();
}

} // namespace tolvane
