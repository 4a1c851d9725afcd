#include "data/statement_batch.h"

#include "data/driver_error.h"
#include "text/error.h"

namespace tolvane {

namespace {

const QString kSavepoint = QStringLiteral("tolvane_batch");

QSqlQuery NewQuery(const QSqlDatabase& db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    return query;
}

// One statement in a call of its own.
QSqlQuery RunOne(const QSqlDatabase& db, const QString& statement,
                 const std::function<void()>& roundTrip) {
    QSqlQuery query = NewQuery(db);
    roundTrip();
    if (!query.exec(statement))
        throw Error(DriverError(query.lastError()), statement);
    return query;
}

// The call's text, and how many results come before the tail's.
struct Framed {
    QString text;
    int resultsBeforeTail = 0;
};

Framed Frame(const QStringList& statements, bool hasTail, StatementBatch::Dialect dialect,
             bool inTransaction) {
    QStringList parts;
    int before = statements.size() - (hasTail ? 1 : 0);
    if (dialect == StatementBatch::Dialect::PostgreSQL) {
        // Every statement gives one result, the savepoint's included.
        if (inTransaction) {
            parts << "SAVEPOINT " + kSavepoint;
            ++before;
        }
        parts << statements;
        if (inTransaction)
            parts << "RELEASE SAVEPOINT " + kSavepoint;
    } else {
        // Only the statements give results; the frame's own give none.
        const QStringList writes = hasTail ? statements.mid(0, statements.size() - 1) : statements;
        parts << QStringLiteral("SET XACT_ABORT ON") << QStringLiteral("BEGIN TRANSACTION")
              << writes;
        if (hasTail)
            parts << statements.last();
        parts << QStringLiteral("COMMIT TRANSACTION") << QStringLiteral("SET XACT_ABORT OFF");
    }
    return {parts.join(QStringLiteral(";\n")), before};
}

// Puts the connection back where it stood before the failed call.
void Recover(const QSqlDatabase& db, StatementBatch::Dialect dialect, bool inTransaction,
             const std::function<void()>& roundTrip) {
    const QString undo =
        dialect == StatementBatch::Dialect::PostgreSQL
            ? (inTransaction ? "ROLLBACK TO SAVEPOINT " + kSavepoint : QString())
            : QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;\nSET XACT_ABORT OFF");
    if (undo.isEmpty())
        return;
    QSqlQuery query = NewQuery(db);
    roundTrip();
    query.exec(undo); // a connection that cannot do even this fails on the next statement
}

// Moves to the tail's result: the first result set for rows, the counted one for a count.
void ToTail(QSqlQuery& query, StatementBatch::Tail kind, int resultsBefore) {
    if (kind == StatementBatch::Tail::Rows) {
        while (!query.isSelect() && query.nextResult()) {
        }
        return;
    }
    for (int i = 0; i < resultsBefore && query.nextResult(); ++i) {
    }
}

} // namespace

QSqlQuery StatementBatch::Send(const QSqlDatabase& db, const QString& tail, Tail kind,
                               Dialect dialect, bool inTransaction,
                               const std::function<void()>& roundTrip) {
    QStringList statements = held_;
    held_.clear();
    if (!tail.isEmpty())
        statements << tail;
    if (statements.isEmpty())
        return QSqlQuery();
    if (statements.size() == 1)
        return RunOne(db, statements.front(), roundTrip);

    const Framed framed = Frame(statements, !tail.isEmpty(), dialect, inTransaction);
    QSqlQuery query = NewQuery(db);
    roundTrip();
    if (query.exec(framed.text)) {
        ToTail(query, kind, framed.resultsBeforeTail);
        return query;
    }
    // None of the call's statements stands: send them once more, one at a time.
    query = QSqlQuery();
    Recover(db, dialect, inTransaction, roundTrip);
    QSqlQuery last;
    for (const QString& statement : statements)
        last = RunOne(db, statement, roundTrip);
    return last;
}

} // namespace tolvane
