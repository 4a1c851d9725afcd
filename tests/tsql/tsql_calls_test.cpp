// Every call the suite's runs sent to the SQL Server stand-in (noted earlier), through tsql-check.
#include "data/run_lock.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace tolvane::testing {
namespace {

// A prepared statement's markers as the driver names them for the server.
QString Named(const QString& call) {
    QString out;
    bool quoted = false;
    int n = 0;
    for (const QChar c : call) {
        quoted ^= c == u'\'';
        out += c == u'?' && !quoted ? QStringLiteral("@P%1").arg(++n) : QString(c);
    }
    return out;
}

// The noted calls by label, each text once.
std::map<QString, QString> NotedCalls() {
    std::map<QString, QString> calls{{"holder", SqlServerHolderQuery()}};
    QSet<QString> texts;
    for (const QFileInfo& info : QDir(TOLVANE_TSQL_CALLS).entryInfoList({"*.sql"}, QDir::Files)) {
        QFile file(info.filePath());
        file.open(QIODevice::ReadOnly);
        for (const QString& noted : QString::fromUtf8(file.readAll()).split("#### ")) {
            const qsizetype eol = noted.indexOf(u'\n');
            if (eol < 0)
                continue;
            const QString text = Named(noted.mid(eol + 1).chopped(1));
            if (!texts.contains(text)) {
                texts.insert(text);
                calls[noted.left(eol)] = text;
            }
        }
    }
    return calls;
}

TEST(TsqlCalls, SqlServerWouldTakeEveryCallTheRunsSent) {
    const std::map<QString, QString> calls = NotedCalls();
    QTemporaryDir dir;
    QFile cases(dir.filePath("cases.sql"));
    ASSERT_TRUE(cases.open(QIODevice::WriteOnly));
    for (const auto& [label, text] : calls)
        cases.write(("#### " + label + "\n" + text + "\n").toUtf8());
    cases.close();
    QProcess java;
    java.start("java", {"-jar", TOLVANE_SOURCE_DIR "/../shared/tools/tsql-check/tsql-check.jar",
                        cases.fileName()});
    ASSERT_TRUE(java.waitForFinished(600000));
    // "OK label", or "FAIL label" / "SEM label" and the reasons indented below it.
    const QStringList out = QString::fromUtf8(java.readAllStandardOutput()).split(u'\n');
    EXPECT_EQ(out.filter(QRegularExpression("^(OK|FAIL|SEM) ")).size(), calls.size())
        << java.readAllStandardError().toStdString();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QRegularExpressionMatch refused =
            QRegularExpression("^(FAIL|SEM) (.*)$").match(out[i]);
        if (!refused.hasMatch())
            continue;
        QString why;
        for (qsizetype j = i + 1; j < out.size() && out[j].startsWith(' '); ++j)
            why += out[j].trimmed() + " | ";
        ADD_FAILURE() << out[i].toStdString() << ": " << why.toStdString() << "\n"
                      << calls.at(refused.captured(2)).left(1500).toStdString();
    }
}

} // namespace
} // namespace tolvane::testing
