#pragma once

#include "data/column_limits.h"

#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace tolvane {

class Recordset;
struct RunState;

// Whether every value a price-list line makes the run write fits its column: Jet cuts
// a longer text without a word (and stores a number beyond a column's range as Null), a
// server refuses it part-way through the run. The values are taken from the statements
// the run builds for the line, so composed texts (a name with its model, the
// kind-number text, the search number) are checked as written: the staging of the
// line and of its linked and alternate numbers, the update of a part it matches, the
// rows of the parts it creates, its entry in PriceListAll.
class ColumnFit {
public:
    // Reads the limits of the tables the run writes (needs both connections open).
    explicit ColumnFit(RunState& st);

    // Whether any of those columns reports a limit; without one there is nothing to check.
    bool Checks() const { return checks_; }

    // Calls `misfit` with the column ("Pta7.EFind"), the value and the problem in words
    // for each value the line under the cursor of `line` (a chunk of the list) makes the
    // run write that its column cannot hold.
    using Misfit =
        std::function<void(const QString& column, const QString& value, const QString& problem)>;
    void Check(const Recordset& line, const Misfit& misfit) const;

private:
    void CheckStatement(const QString& statement, std::map<QString, bool>& told,
                        const Misfit& misfit) const;
    void CheckValue(const QString& table, const ColumnLimit& limit, const QString& token,
                    std::map<QString, bool>& told, const Misfit& misfit) const;

    RunState& st_;
    std::map<QString, std::vector<ColumnLimit>> limits_; // by table name in lower case
    bool checks_ = false;
};

} // namespace tolvane
