#include "support/access_odbc.h"

#include "shop/db.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <mutex>
#include <set>
#include <stdexcept>

namespace tolvane::testing {
namespace {

struct Jet {
    struct Statement {
        quintptr cursor = 0; // SQL_CURSOR_FORWARD_ONLY
        QString refusal;
    };
    std::mutex mutex;
    bool enabled = false;
    int staticWrites = 0;
    std::set<void*> connections;
    std::map<void*, Statement> statements;
} jet; // one for the whole test program, as the driver manager is

// Runs `f` on the stand-in's state, locked.
template <typename F> auto With(F&& f) {
    std::lock_guard lock(jet.mutex);
    return f(jet);
}

const QString kDriver = QStringLiteral("[Microsoft][ODBC Microsoft Access Driver] ");

// What Jet SQL lacks, found in a statement without its literals, and Jet's complaint.
const std::pair<const char*, const char*> kLacking[] = {
    {R"(\b(Coalesce|IfNull|NullIf|Substr|Substring|Length|Lower|Upper|Cast|Group_Concat|Printf|)"
     R"(Char|Glob|Julianday|Total)\s*\()",
     "Undefined function '%1' in expression."},
    {R"(\bCase\s+When\b|\|\||\bLimit\s+\d|\bOffset\s+\d|\bOver\s*\(|\bIf\s+(Not\s+)?Exists\b|)"
     R"(\bInsert\s+Or\b|\bOn\s+Conflict\b|\bReturning\b|\bRowID\b|\bValues\s*\(.*\)\s*,\s*\(|!=|)"
     R"(\bJoin\b[^()]*\bJoin\b|")",
     "Syntax error (missing operator) in query expression '%1'."},
    {R"(;\s*\S)", "Characters found after end of SQL statement."},
    {R"(^\s*(Pragma|With|Begin|Commit|Rollback|Savepoint|Release|Vacuum|Attach)\b|)"
     R"(\bsqlite_\w+|\bpragma_\w+)",
     "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'. "
     "(%1)"},
};

// The statement with every literal emptied; the literals' texts into `literals`.
QString WithoutLiterals(const QString& text, QStringList& literals) {
    static const QRegularExpression literal(QStringLiteral("'((?:[^']|'')*)'"));
    QString bare = text;
    for (auto it = literal.globalMatch(text); it.hasNext();)
        literals << it.next().captured(1);
    return bare.replace(literal, QStringLiteral("''"));
}

QString WhyRefused(const QString& text) {
    if (text.size() > 65000)
        return QStringLiteral("Query is too complex.");
    QStringList literals;
    const QString bare = WithoutLiterals(text, literals);
    for (const QString& literal : literals) {
        if (literal.contains(u'|'))
            return QStringLiteral("Invalid use of vertical bars in query expression '%1'.")
                .arg(literal);
    }
    for (const auto& [pattern, complaint] : kLacking) {
        const QRegularExpression re(QString::fromLatin1(pattern),
                                    QRegularExpression::CaseInsensitiveOption |
                                        QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = re.match(bare);
        const QString what = m.capturedView(1).isEmpty() ? m.captured() : m.captured(1);
        if (m.hasMatch())
            return QString::fromLatin1(complaint).replace(QLatin1String("%1"), what);
    }
    return QString();
}

} // namespace

AccessOdbc::AccessOdbc() {
    With([](Jet& j) { j.enabled = true, j.staticWrites = 0; });
}

AccessOdbc::~AccessOdbc() {
    With([](Jet& j) { j.enabled = false; });
}

int AccessOdbc::StaticWrites() {
    return With([](Jet& j) { return j.staticWrites; });
}

void AccessOdbc::Convert(const QString& path, const std::map<QString, int>& sizes) {
    const QString under = Underneath(path);
    QFile::remove(under);
    if (!QFile::rename(path, under))
        throw std::runtime_error("cannot move " + path.toStdString());
    shop::Db db(under);
    for (const shop::Row& table : db.Query("Select name From sqlite_master Where type = 'table'")) {
        const QString t = table[0].toString();
        QStringList columns, cuts;
        for (const shop::Row& c :
             db.Query("Select name, type From pragma_table_info('" + t + "')")) {
            const QString name = c[0].toString(), type = c[1].toString().toUpper();
            if (!type.isEmpty() && !type.contains("TEXT") && !type.contains("CHAR")) {
                columns << name + ' ' + type;
                continue;
            }
            const int size = sizes.count(name) ? sizes.at(name) : 255;
            columns << QString("%1 VARCHAR(%2) COLLATE NOCASE").arg(name).arg(size);
            // Jet keeps the first n characters of a longer text, without a word.
            for (const QString& when : {QString("INSERT"), "UPDATE OF " + name})
                cuts << QString(
                            "CREATE TRIGGER jet_cut_%1_%2_%3 AFTER %4 ON %1 WHEN length(NEW.%2) "
                            "> %5 BEGIN UPDATE %1 SET %2 = substr(NEW.%2, 1, %5) WHERE rowid = "
                            "NEW.rowid; END")
                            .arg(t, name, when.left(1), when)
                            .arg(size);
        }
        for (const QString& step :
             QStringList{"Alter Table " + t + " Rename To jet_old",
                         "Create Table " + t + " (" + columns.join(", ") + ")",
                         "Insert Into " + t + " Select * From jet_old", "Drop Table jet_old"} +
                 cuts)
            db.Exec(step);
    }
    QFile header(path);
    if (!header.open(QIODevice::WriteOnly) ||
        header.write(QByteArray(4, '\0') + "Standard ACE DB" + QByteArray(2029, '\0')) != 2048)
        throw std::runtime_error("cannot write " + path.toStdString());
}

namespace jet {

QString ConnectText(const QString& text) {
    static const QRegularExpression dbq(QStringLiteral("(?:^|;)\\s*dbq=\\{?([^;}]*)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = dbq.match(text);
    if (!With([](Jet& j) { return j.enabled; }) || !m.hasMatch() ||
        !text.contains(QLatin1String("Microsoft Access Driver")))
        return QString();
    return "Driver=SQLite3;Database=" + AccessOdbc::Underneath(m.captured(1).trimmed()) + ';';
}

void Connected(void* dbc, bool open) {
    With([&](Jet& j) { open ? j.connections.insert(dbc).second : j.connections.erase(dbc) > 0; });
}

bool Owns(void* dbc) {
    return With([&](Jet& j) { return j.connections.count(dbc) > 0; });
}

void Allocated(void* dbc, void* stmt) {
    With([&](Jet& j) {
        if (!dbc)
            j.statements.erase(stmt);
        else if (j.connections.count(dbc))
            j.statements[stmt] = {};
    });
}

void CursorType(void* stmt, quintptr type) {
    With([&](Jet& j) {
        if (j.statements.count(stmt))
            j.statements[stmt].cursor = type;
    });
}

bool Refused(void* stmt, const QString& text) {
    static const QRegularExpression write(QStringLiteral("^\\s*(Insert|Update|Delete)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    return With([&](Jet& j) {
        if (!j.statements.count(stmt))
            return false;
        const QString why = WhyRefused(text);
        j.statements[stmt].refusal = why.isEmpty() ? why : kDriver + why;
        // SQL_CURSOR_STATIC
        j.staticWrites +=
            why.isEmpty() && j.statements[stmt].cursor == 3 && write.match(text).hasMatch();
        return !why.isEmpty();
    });
}

QString Refusal(void* stmt) {
    return With(
        [&](Jet& j) { return j.statements.count(stmt) ? j.statements[stmt].refusal : QString(); });
}

} // namespace jet
} // namespace tolvane::testing
