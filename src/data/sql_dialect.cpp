#include "data/sql_dialect.h"

namespace tolvane {

const SqlDialect& DialectOf(Engine engine) {
    static const SqlDialect jet{QStringLiteral("True"), QStringLiteral("False"), false, false};
    static const SqlDialect sqlServer{QStringLiteral("1"), QStringLiteral("0"), true, true};
    static const SqlDialect access{QStringLiteral("True"), QStringLiteral("False"), false, false,
                                   true};
    return engine == Engine::SqlServer ? sqlServer : engine == Engine::Access ? access : jet;
}

namespace {

bool NameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

// Whether the literal opening at `quote` is already national: an N standing alone
// right before it.
bool National(const QString& statement, qsizetype quote) {
    return quote >= 1 && (statement[quote - 1] == u'N' || statement[quote - 1] == u'n') &&
           (quote < 2 || !NameCharacter(statement[quote - 2]));
}

} // namespace

QString ForEngine(const SqlDialect& dialect, const QString& statement) {
    if (!dialect.nationalText)
        return statement;
    QString out;
    qsizetype copied = 0; // statement[0, copied) is in out
    for (qsizetype i = 0; i < statement.size(); ++i) {
        if (statement[i] != u'\'')
            continue;
        // The literal runs to the quote that is not doubled.
        qsizetype end = i + 1;
        bool wide = false;
        for (; end < statement.size(); ++end) {
            if (statement[end] == u'\'') {
                if (end + 1 < statement.size() && statement[end + 1] == u'\'') {
                    ++end;
                    continue;
                }
                break;
            }
            wide = wide || statement[end].unicode() > 0x7F;
        }
        if (wide && !National(statement, i)) {
            out += QStringView(statement).mid(copied, i - copied);
            out += u'N';
            copied = i;
        }
        i = end;
    }
    if (copied == 0)
        return statement;
    out += QStringView(statement).mid(copied);
    return out;
}

} // namespace tolvane
