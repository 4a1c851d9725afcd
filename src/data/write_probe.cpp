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
    // takes the file's write lock (waiting as long as any statement) and a journal
    // beside it, as every write of the run does. The rollback leaves the file untouched.
    QString statement = QStringLiteral("PRAGMA user_version");
    cn.Report(TraceKind::Open, statement);
    if (query.exec(statement) && query.next())
        statement += QStringLiteral(" = ") + query.value(0).toString();
    query.finish();
    cn.Report(TraceKind::Begin, QString());
    cn.Report(TraceKind::Execute, statement);
    cn.CountRoundTrip();
    const bool began = db.transaction();
    const bool written = began && query.exec(statement);
    const QSqlError error = began ? query.lastError() : db.lastError();
    query.finish();
    cn.Report(TraceKind::Rollback, QString());
    if (began)
        db.rollback();
    if (written)
        return;
    const Error failure = DriverFailure(error, db, statement);
    throw Error(failure.kind(), failure.facts(),
                QStringLiteral("%1 cannot be written, so the run writes nothing: %2")
                    .arg(db.databaseName(), failure.message()),
                statement);
}

} // namespace tolvane
