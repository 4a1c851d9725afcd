#pragma once

#include "data/hooks.h"
#include "shop/db.h"

#include <QString>
#include <QStringList>

namespace tolvane::testing {

// Runs statements on a SQLite file outside the program's data layer (creating the file
// when needed). Throws std::runtime_error on error.
inline void SqliteExec(const QString& path, const QStringList& statements) {
    shop::Db db(path);
    for (const QString& statement : statements)
        db.Exec(statement);
}

// The Access-style connection text the program uses for a target file.
QString AccessTextFor(const QString& path);

// Collects the trace of every connection as "<role>\t<kind>[\t<text>]" lines.
class TraceLog : public TraceSink {
public:
    QStringList lines;
    int roundTrips = 0;       // calls that waited for a database
    int targetRoundTrips = 0; // of them, calls that waited for the shop's
    void RoundTrip(Role role) override {
        ++roundTrips;
        targetRoundTrips += role == Role::Target ? 1 : 0;
    }
    void Event(Role role, TraceKind kind, const QString& text) override {
        QString line = RoleName(role) + "\t" + TraceKindName(kind);
        if (!text.isEmpty())
            line += "\t" + text;
        lines << line;
    }
    // Lines of one kind ("execute", "open", ...), without the role and kind.
    QStringList Of(const QString& kind) const {
        QStringList out;
        for (const QString& line : lines) {
            const QStringList parts = line.split('\t');
            if (parts.size() >= 2 && parts[1] == kind)
                out << parts.mid(2).join('\t');
        }
        return out;
    }
};

// Fails chosen operations: the Nth operation of a kind, or any connect whose text
// holds a given piece.
class FaultPlan : public FaultInjector {
public:
    TraceKind failKind = TraceKind::Execute;
    int failAt = 0;            // 1-based; 0 = never
    QString refuseConnectWith; // a connect whose text contains this is refused
    QString failStatementWith; // an open/execute whose statement contains this fails
    int seen = 0;

    void Before(Role role, TraceKind kind, const QString& text) override;
};

} // namespace tolvane::testing
