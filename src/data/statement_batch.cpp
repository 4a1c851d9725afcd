#include "data/statement_batch.h"

#include "data/driver_error.h"
#include "data/text_parameters.h"
#include "text/error.h"

#include <QSqlError>
#include <QSqlRecord>

namespace tolvane {

namespace {

const QString kSavepoint = QStringLiteral("tolvane_batch");

QSqlQuery NewQuery(const QSqlDatabase& db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    return query;
}

// One statement in a call of its own; with `pipes`, its literals holding '|' bound.
QSqlQuery RunOne(const QSqlDatabase& db, const QString& statement,
                 const std::function<void()>& roundTrip, bool pipes) {
    QSqlQuery query = NewQuery(db);
    roundTrip();
    const TextParameters bound = pipes ? PipesAsParameters(statement) : TextParameters{};
    bool ok = false;
    if (bound.values.isEmpty()) {
        ok = query.exec(statement);
    } else if (query.prepare(bound.statement)) {
        for (const QString& value : bound.values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        throw DriverFailure(query.lastError(), db, statement);
    return query;
}

// The marker SQL Server's call answers once its writes are committed: what fails
// after it is the tail alone.
const QString kCommitted = QStringLiteral("tolvane_committed");

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
        // Every statement gives one result, the savepoint's included; the server runs
        // the whole call before it answers, so the tail may stand inside the frame.
        if (inTransaction) {
            parts << "SAVEPOINT " + kSavepoint;
            ++before;
        }
        parts << statements;
        if (inTransaction)
            parts << "RELEASE SAVEPOINT " + kSavepoint;
    } else {
        // SQL Server runs a call as the client reads its results, and a statement
        // closed before its last result cancels the rest: the tail, whose rows the
        // caller may leave unread, comes after the commit and its marker.
        const QStringList writes = hasTail ? statements.mid(0, statements.size() - 1) : statements;
        parts << QStringLiteral("SET XACT_ABORT ON") << QStringLiteral("BEGIN TRANSACTION")
              << writes << QStringLiteral("COMMIT TRANSACTION")
              << QStringLiteral("SET XACT_ABORT OFF");
        if (hasTail)
            parts << "SELECT 1 AS " + kCommitted << statements.last();
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

// How far a call got.
enum class Reached {
    Tail,         // every result before the tail's came back clean; the query stands on it
    WritesFailed, // a held statement failed: none of them stands
    TailFailed,   // the held statements stand, the tail failed (SQL Server only)
};

// nextResult() gives false both at the end and at an error; lastError tells them apart.
bool Failed(const QSqlQuery& query) {
    return query.lastError().type() != QSqlError::NoError;
}

// Every result of a call without a tail, each checked for an error.
Reached WalkToEnd(QSqlQuery& query) {
    while (query.nextResult()) {
    }
    return Failed(query) ? Reached::WritesFailed : Reached::Tail;
}

// SQL Server reports a statement's error only at its result: every result up to the
// marker is a write's, the one after it is the tail's.
Reached WalkSqlServer(QSqlQuery& query, StatementBatch::Tail kind) {
    if (kind == StatementBatch::Tail::None)
        return WalkToEnd(query);
    while (!(query.isSelect() &&
             query.record().fieldName(0).compare(kCommitted, Qt::CaseInsensitive) == 0)) {
        if (!query.nextResult())
            return Reached::WritesFailed;
    }
    if (!query.nextResult())
        return Reached::TailFailed;
    while (kind == StatementBatch::Tail::Rows && !query.isSelect()) {
        if (!query.nextResult())
            return Reached::TailFailed;
    }
    return Reached::Tail;
}

// PostgreSQL undoes the whole call on any error (the call is one implicit transaction,
// or goes back to its savepoint).
Reached WalkPostgreSQL(QSqlQuery& query, StatementBatch::Tail kind, int resultsBefore) {
    switch (kind) {
    case StatementBatch::Tail::None:
        return WalkToEnd(query);
    case StatementBatch::Tail::Rows:
        while (!query.isSelect()) {
            if (!query.nextResult())
                return Reached::WritesFailed;
        }
        return Reached::Tail;
    case StatementBatch::Tail::Count:
        for (int i = 0; i < resultsBefore; ++i) {
            if (!query.nextResult())
                return Reached::WritesFailed;
        }
        return Reached::Tail;
    }
    return Reached::Tail;
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
        return RunOne(db, statements.front(), roundTrip, pipesAsParameters_);

    const Framed framed = Frame(statements, !tail.isEmpty(), dialect, inTransaction);
    QSqlQuery query = NewQuery(db);
    roundTrip();
    Reached reached = Reached::WritesFailed;
    if (query.exec(framed.text)) {
        reached = dialect == Dialect::PostgreSQL
                      ? WalkPostgreSQL(query, kind, framed.resultsBeforeTail)
                      : WalkSqlServer(query, kind);
    }
    if (reached == Reached::Tail)
        return query;
    if (reached == Reached::TailFailed)
        throw DriverFailure(query.lastError(), db, tail);
    // None of the call's statements stands: send them once more, one at a time.
    query = QSqlQuery();
    Recover(db, dialect, inTransaction, roundTrip);
    QSqlQuery last;
    for (const QString& statement : statements)
        last = RunOne(db, statement, roundTrip, pipesAsParameters_);
    return last;
}

} // namespace tolvane
