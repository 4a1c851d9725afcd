#include "data/checked_call.h"

#include "data/driver_error.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace tolvane {

namespace {

using Check = CheckedStatement::Check;

// SQL Server: a failed check converts a text to a number, a run-time error that,
// with XACT_ABORT ON, undoes the transaction and ends the call (RAISERROR would not).
QString SqlServerCheck(const CheckedStatement& s, int number) {
    const QString fail =
        QStringLiteral(" SELECT CONVERT(int, 'statement %1 of the call found no row')").arg(number);
    switch (s.check) {
    case Check::None:
        return s.statement;
    case Check::TouchesRow:
        return s.statement + QStringLiteral(";\nIF @@ROWCOUNT = 0") + fail;
    case Check::FindsRow:
        return "IF NOT EXISTS (" + s.statement + ")" + fail;
    }
    return s.statement;
}

// PostgreSQL: a failed check divides by a count of 0. The count is the query's own,
// so the planner cannot fold the division into an error before the statement runs.
QString PostgreSQLCheck(const CheckedStatement& s) {
    switch (s.check) {
    case Check::None:
        return s.statement;
    case Check::TouchesRow:
        return "WITH tolvane_written AS (" + s.statement +
               " RETURNING 1) SELECT 1 / COUNT(*) FROM tolvane_written";
    case Check::FindsRow:
        return "SELECT 1 / COUNT(*) FROM (" + s.statement + ") AS tolvane_read";
    }
    return s.statement;
}

QString CallText(StatementBatch::Dialect dialect,
                 const std::vector<CheckedTransaction>& transactions) {
    QStringList parts;
    const bool sqlServer = dialect == StatementBatch::Dialect::SqlServer;
    if (sqlServer)
        parts << QStringLiteral("SET XACT_ABORT ON");
    int number = 0;
    for (const CheckedTransaction& transaction : transactions) {
        parts << (sqlServer ? QStringLiteral("BEGIN TRANSACTION") : QStringLiteral("BEGIN"));
        for (const CheckedStatement& s : transaction)
            parts << (sqlServer ? SqlServerCheck(s, ++number) : PostgreSQLCheck(s));
        parts << (sqlServer ? QStringLiteral("COMMIT TRANSACTION") : QStringLiteral("COMMIT"));
    }
    if (sqlServer)
        parts << QStringLiteral("SET XACT_ABORT OFF");
    return parts.join(QStringLiteral(";\n"));
}

QString Undo(StatementBatch::Dialect dialect) {
    return dialect == StatementBatch::Dialect::SqlServer
               ? QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;\nSET XACT_ABORT OFF")
               : QStringLiteral("ROLLBACK");
}

} // namespace

bool SendCheckedCall(const QSqlDatabase& db, StatementBatch::Dialect dialect,
                     const std::vector<CheckedTransaction>& transactions, QString* reason,
                     const std::function<void()>& roundTrip) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    roundTrip();
    // Every result is read: SQL Server tells a statement's error only at its result.
    bool ok = query.exec(CallText(dialect, transactions));
    while (ok && query.nextResult()) {
    }
    ok = ok && query.lastError().type() == QSqlError::NoError;
    if (ok)
        return true;
    if (reason)
        *reason = DriverError(query.lastError());
    query = QSqlQuery(db);
    query.setForwardOnly(true);
    roundTrip();
    query.exec(Undo(dialect)); // a connection that cannot do even this fails on the next call
    return false;
}

} // namespace tolvane
