// Every call the suite's runs sent to the stand-in for SQL Server's driver, and the
// statement shapes those runs do not reach, checked by a full T-SQL grammar and the
// refusals SQL Server adds to it (tsql-check): a call SQL Server would refuse fails here,
// named with its text. Runs after the other test programs (a ctest fixture), which note
// their calls in TOLVANE_TSQL_CALLS.
#include "data/run_lock.h"
#include "data/sql_dialect.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <set>

namespace tolvane::testing {
namespace {

// The calls noted in the folder, each text once, by the label it was noted under.
std::map<QString, QString> NotedCalls(const QString& folder) {
    std::map<QString, QString> calls;
    std::set<QString> texts;
    for (const QFileInfo& file : QDir(folder).entryInfoList({"*.sql"}, QDir::Files)) {
        QFile f(file.filePath());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QStringList cases = QString::fromUtf8(f.readAll()).split(QStringLiteral("#### "));
        for (const QString& c : cases) {
            const qsizetype eol = c.indexOf(u'\n');
            if (eol < 0)
                continue;
            const QString text = c.mid(eol + 1).chopped(c.endsWith(u'\n') ? 1 : 0);
            if (texts.insert(text).second)
                calls[c.left(eol)] = text;
        }
    }
    return calls;
}

// A prepared statement's parameter markers as the driver names them for the server.
QString WithParameters(const QString& call) {
    QString out;
    bool quoted = false;
    int n = 0;
    for (const QChar c : call) {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u'?' && !quoted)
            out += QStringLiteral("@P%1").arg(++n);
        else
            out += c;
    }
    return out;
}

struct Verdict {
    QString label;
    QString verdict; // OK, FAIL, SEM
    QStringList why;
};

// One run of the checker over every case.
std::vector<Verdict> Check(const std::map<QString, QString>& calls) {
    QTemporaryDir dir;
    QFile cases(dir.filePath("cases.sql"));
    EXPECT_TRUE(cases.open(QIODevice::WriteOnly));
    for (const auto& [label, text] : calls)
        cases.write(("#### " + label + "\n" + WithParameters(text) + "\n").toUtf8());
    cases.close();
    QProcess java;
    java.start("java", {"-jar", TOLVANE_SOURCE_DIR "/../shared/tools/tsql-check/tsql-check.jar",
                        cases.fileName()});
    EXPECT_TRUE(java.waitForFinished(300000)) << "tsql-check did not finish";
    std::vector<Verdict> verdicts;
    for (const QString& line : QString::fromUtf8(java.readAllStandardOutput()).split(u'\n')) {
        static const QRegularExpression head("^(OK|FAIL|SEM) (.*)$");
        const QRegularExpressionMatch m = head.match(line);
        if (m.hasMatch())
            verdicts.push_back({m.captured(2), m.captured(1), {}});
        else if (!line.trimmed().isEmpty() && !verdicts.empty())
            verdicts.back().why << line.trimmed();
    }
    EXPECT_EQ(verdicts.size(), calls.size()) << java.readAllStandardError().toStdString();
    return verdicts;
}

// Shapes no run of the suite sends: the run lock's holder, and literals beyond ASCII
// as the data layer writes them.
std::map<QString, QString> BuiltShapes() {
    const SqlDialect& server = DialectOf(Engine::SqlServer);
    return {
        {"built.holder", SqlServerHolderQuery()},
        {"built.thai-literal",
         ForEngine(server, "Update Pta7 Set TName = 'ใหม่', EName = 'O''RING' Where PartNO = "
                           "'A-1' And Kind = 'ก'")},
        {"built.flags", "Insert Into T Values( " + server.yes + ", " + server.no + " )"},
    };
}

TEST(TsqlCalls, SqlServerWouldTakeEveryCallTheRunsSent) {
    std::map<QString, QString> calls = BuiltShapes();
    const std::size_t built = calls.size();
    calls.merge(NotedCalls(TOLVANE_TSQL_CALLS));
    std::cout << (calls.size() - built) << " distinct calls noted by the server runs\n";
    for (const Verdict& v : Check(calls)) {
        if (v.verdict == "OK")
            continue;
        const QString& text = calls[v.label];
        ADD_FAILURE() << v.verdict.toStdString() << " " << v.label.toStdString() << ": "
                      << v.why.join(" | ").toStdString() << "\n"
                      << text.left(1500).toStdString();
    }
}

} // namespace
} // namespace tolvane::testing
