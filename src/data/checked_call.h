#pragma once

#include "data/statement_batch.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <vector>

namespace tolvane {

// A statement of a checked call and what it must do for the call to stand.
struct CheckedStatement {
    enum class Check {
        None,
        TouchesRow, // a write that must touch a row (a counter written only while it
                    // still holds the value read, a staged row that must be there)
        FindsRow,   // a read that must find a row (the read-back of a write)
    };
    QString statement;
    Check check = Check::None;
};

// A transaction sent to a server as one call: its statements in order, each check
// carried out by the server right after its statement, and the commit at the end. A
// check that fails raises an error on the server, so the transaction is undone there
// and nothing of the call stands: the caller then does the same work the slow way,
// statement by statement, and meets whatever the server did not let stand.
//
// Runs on a connection outside a transaction with nothing held back. Returns true
// when the call was committed; false when it was undone, with the driver's message in
// `reason`. `roundTrip` is called once per call to the server.
bool SendCheckedCall(const QSqlDatabase& db, StatementBatch::Dialect dialect,
                     const std::vector<CheckedStatement>& statements, QString* reason,
                     const std::function<void()>& roundTrip);

} // namespace tolvane
