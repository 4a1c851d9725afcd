#include "support/sqlite_file.h"

#include "text/error.h"

namespace tolvane::testing {

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
