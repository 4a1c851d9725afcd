#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>

namespace tolvane {

// Statements whose results the run does not wait for (the copies of a part's texts
// and prices, the rows of a new part and its links), held back and sent to the server
// in one call together with the next statement the run does wait for: on a network
// every call is a round trip. The engines that run several statements in one call
// differ in what they do after an error, so each gets a frame that makes the call one
// unit:
//
// - PostgreSQL runs a call's statements as one implicit transaction; inside the run's
//   own transaction the call is framed by a savepoint it can go back to.
// - SQL Server goes on after an error unless told otherwise: outside a transaction the
//   call runs with XACT_ABORT in a transaction of its own; inside the run's transaction
//   nothing is held back (a failure there would end the run's whole transaction). It
//   reports a statement's error only when the client reaches that statement's result,
//   and a statement closed before its last result cancels the rest of the call: so
//   every result is read and checked, and the statement the run waits for comes after
//   the commit (its rows may be left unread), behind a marker that tells its error
//   from the writes'.
//
// When such a call fails, none of its statements stands; they are then sent once more
// one at a time, so the ones before the failing statement stand, the ones after it are
// never run and the error names the failing statement, exactly as sending them one by
// one would have.
class StatementBatch {
public:
    enum class Dialect { None, PostgreSQL, SqlServer };
    // What the call's last statement gives back.
    enum class Tail { None, Rows, Count };

    // Whether a statement may be held back now.
    static bool CanHold(Dialect dialect, bool inTransaction) {
        return dialect == Dialect::PostgreSQL || (dialect == Dialect::SqlServer && !inTransaction);
    }

    // Sends each literal holding '|' as a bound parameter (Jet refuses it in a literal).
    void SetPipesAsParameters(bool on) { pipesAsParameters_ = on; }
    void Hold(const QString& statement) { held_ << statement; }
    bool Empty() const { return held_.isEmpty(); }
    // Forgets the held statements (a rollback undoes them anyway).
    void Discard() { held_.clear(); }

    // Sends the held statements and `tail` (empty: none) and returns the query on the
    // tail's result. `roundTrip` is called once per call to the server. Raises Error
    // with the driver's message and the failing statement.
    QSqlQuery Send(const QSqlDatabase& db, const QString& tail, Tail kind, Dialect dialect,
                   bool inTransaction, const std::function<void()>& roundTrip);

private:
    QStringList held_;
    bool pipesAsParameters_ = false;
};

} // namespace tolvane
