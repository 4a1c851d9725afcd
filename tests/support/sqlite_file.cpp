#include "support/sqlite_file.h"

#include "text/error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <stdexcept>

namespace tolvane::testing {

void SqliteExec(const QString& path, const QStringList& statements) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery q(db);
        for (const QString& s : statements) {
            if (!q.exec(s))
                throw std::runtime_error((q.lastError().text() + ": " + s).toStdString());
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString AccessTextFor(const QString& path) {
    return "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=" + path +
           ";UID=admin;PWD=QEX418256";
}

void FaultPlan::Before(Role, TraceKind kind, const QString& text) {
    if (kind == TraceKind::Connect && !refuseConnectWith.isEmpty() &&
        text.contains(refuseConnectWith))
        throw Error("Not a valid password.", QString());
    if ((kind == TraceKind::Execute || kind == TraceKind::Open) && !failStatementWith.isEmpty() &&
        text.contains(failStatementWith))
        throw Error("Injected failure.", text);
    if (kind == failKind && failAt > 0 && ++seen == failAt)
        throw Error("Injected failure.", text);
}

} // namespace tolvane::testing
