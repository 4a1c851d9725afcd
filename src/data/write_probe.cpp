#include "data/write_probe.h"

#include "data/connection.h"
#include "data/driver_error.h"
#include "text/error.h"

#include <QSqlQuery>

namespace tolvane {

void CheckWritable(Connection& cn) {
    if (!cn.IsEmbedded())
        return;
    QSqlDatabase db = cn.Database();
    QSqlQuery query(db);
    // Setting the file's user version to the value it holds writes its first page: it
    // takes a journal beside the file, as every write of the run does. The transaction
    // is exclusive so that it also waits for (and is refused by) another program that
    // only reads the file: such a reader lets a deferred write start and stops its
    // commit, which would come after the shop was written. The rollback leaves the file
    // untouched.
    QString statement = QStringLiteral("PRAGMA user_version");
    cn.Report(TraceKind::Open, statement);
    if (query.exec(statement) && query.next())
        statement += QStringLiteral(" = ") + query.value(0).toString();
    query.finish();
    cn.Report(TraceKind::Begin, QString());
    cn.Report(TraceKind::Execute, statement);
    cn.CountRoundTrip();
    QSqlQuery frame(db);
    const bool began = frame.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    const bool written = began && query.exec(statement);
    const QSqlError error = began ? query.lastError() : frame.lastError();
    query.finish();
    cn.Report(TraceKind::Rollback, QString());
    if (began)
        frame.exec(QStringLiteral("ROLLBACK"));
    if (written)
        return;
    const Error failure = DriverFailure(error, db, statement);
    throw Error(failure.kind(), failure.facts(),
                QStringLiteral("%1 cannot be written, so the run writes nothing: %2")
                    .arg(db.databaseName(), failure.message()),
                statement);
}

} // namespace tolvane
