#include "data/hooks.h"

namespace tolvane {

QString RoleName(Role role) {
    return role == Role::Source ? QStringLiteral("source") : QStringLiteral("target");
}

QString TraceKindName(TraceKind kind) {
    switch (kind) {
    case TraceKind::Connect: return QStringLiteral("connect");
    case TraceKind::Open: return QStringLiteral("open");
    case TraceKind::Execute: return QStringLiteral("execute");
    case TraceKind::Begin: return QStringLiteral("begin");
    case TraceKind::Commit: return QStringLiteral("commit");
    case TraceKind::Rollback: return QStringLiteral("rollback");
    case TraceKind::Close: return QStringLiteral("close");
    case TraceKind::Recordset: return QStringLiteral("recordset");
    }
    return QString();
}

} // namespace tolvane
