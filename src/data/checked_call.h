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

// The statements of one transaction of a checked call.
using CheckedTransaction = std::vector<CheckedStatement>;

// Transactions sent to a server as one call: each transaction's statements in order,
// each check carried out by the server right after its statement, each transaction
// committed at its end. A check that fails raises an error on the server, so its
// transaction is undone there and the rest of the call is not run; the transactions
// before it stand. The caller then does the same work the slow way, statement by
// statement, and meets whatever the server did not let stand.
//
// Runs on a connection outside a transaction with nothing held back. Returns true
// when every transaction was committed; false when one was undone, with the driver's
// message in `reason`. `roundTrip` is called once per call to the server.
bool SendCheckedCall(const QSqlDatabase& db, StatementBatch::Dialect dialect,
                     const std::vector<CheckedTransaction>& transactions, QString* reason,
                     const std::function<void()>& roundTrip);

} // namespace tolvane
