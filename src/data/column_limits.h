#pragma once

#include <QString>
#include <vector>

namespace tolvane {

class Connection;

// What one column of a table holds at most, as the database's driver reports it.
struct ColumnLimit {
    QString name;
    int textSize = 0;     // characters of a sized text column; 0: no size (or no text)
    int wholeDigits = -1; // digits before the point of a decimal column; -1: none reported
};

// The columns of a table in their order, each with its limit, as the driver's catalog
// tells them (SQLColumns). A server or an Access file keeps a text no longer than its
// column (or refuses it), so the run compares what it will write with these before its
// first write. The embedded engine keeps any text whole whatever the column declares:
// its tables come back empty, as does a table the driver does not know.
std::vector<ColumnLimit> ColumnLimits(const Connection& cn, const QString& table);

} // namespace tolvane
