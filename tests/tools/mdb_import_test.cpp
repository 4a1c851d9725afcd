// tools/mdb-to-sqlite on real Access files of three formats (the script checks row counts).

#include "data/connection.h"
#include "data/recordset.h"
#include "shop/db.h"
#include "support/qt_print.h"
#include "support/shop_fixture.h"
#include "support/sqlite_file.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tolvane::Currency;
using tolvane::shop::Db;
using tolvane::testing::Result;

const QString kAccess = QStringLiteral(TOLVANE_SOURCE_DIR "/../shared/testdata/access/");
const QString kScript = QStringLiteral(TOLVANE_SOURCE_DIR "/tools/mdb-to-sqlite");

// Runs a program with MDB_JET3_CHARSET set to `charset`, or unset when it is empty.
Result RunTool(const QString& program, const QStringList& args, const QString& charset) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("MDB_JET3_CHARSET");
    if (!charset.isEmpty())
        env.insert("MDB_JET3_CHARSET", charset);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return {-1, {}, {}};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class MdbToSqlite : public ::testing::Test {
protected:
    // Converts one of the sample files; fails the test when the script fails.
    QString Convert(const QString& file, const QString& charset = QString()) {
        const QString target = dir.filePath(file + charset + ".sqlite");
        last = RunTool("bash", {kScript, kAccess + file, target}, charset);
        EXPECT_EQ(last.status, 0) << last.err.toStdString();
        return target;
    }

    QTemporaryDir dir;
    Result last{-1, {}, {}};
};

// The amount of one field as the program's data layer reads it.
Currency ProgramAmount(const QString& path, const QString& query, const QString& field) {
    tolvane::Connection cn(tolvane::Role::Source, {});
    cn.Open(tolvane::testing::AccessTextFor(path));
    tolvane::Recordset rs;
    rs.Open(query, cn);
    const Currency amount = rs.Amount(field);
    rs.Close();
    cn.Close();
    return amount;
}

// An Access 97 file is read in the Thai code page unless told otherwise (0xE4: ไ / ä).
TEST_F(MdbToSqlite, TextsKeepQuotesAndLettersAndAmountsReadBackExactly) {
    const QString western = Convert("nwind.mdb", "CP1252");
    EXPECT_TRUE(last.out.contains("JET3, CP1252")) << last.out;
    const QString thai = Convert("nwind.mdb");
    EXPECT_TRUE(last.out.contains("JET3, CP874")) << last.out;
    const QString product = "SELECT ProductName FROM Products WHERE ProductID = ";
    EXPECT_EQ(Db(western).Scalar(product + "4").toString(), "Chef Anton's Cajun Seasoning");
    EXPECT_EQ(Db(western).Scalar(product + "22").toString(), "Gustaf's Knäckebröd");
    EXPECT_EQ(Db(thai).Scalar(product + "22").toString(), "Gustaf's Knไckebr๖d");
    // Currency columns arrive as REAL; the program reads them as exact amounts.
    const QString price = "Select UnitPrice From Products Where ProductID = ";
    EXPECT_EQ(ProgramAmount(western, price + "5", "UnitPrice"), Currency::FromUnits(213500));
    EXPECT_EQ(ProgramAmount(western, price + "38", "UnitPrice"), Currency::FromUnits(2635000));

    const QString assets = Convert("ASampleDatabase.accdb", "CP874");
    EXPECT_TRUE(last.out.contains("ACE12, Unicode")) << last.out;
    EXPECT_EQ(
        ProgramAmount(assets, "Select Cost From [Asset Items] Where Make = 'GEO Rocket'", "Cost"),
        Currency::FromUnits(19955000));
    const QString dates = Convert("DateTestDatabase.mdb");
    EXPECT_EQ(Db(dates).Scalar("SELECT LongTextCol FROM DateTest WHERE IDCol = 6").toString(),
              "New line\nin field");
}

TEST_F(MdbToSqlite, AFailedConversionLeavesTheTargetAlone) {
    const QString notAccess = dir.filePath("notes.mdb");
    const QString target = dir.filePath("PriceList_TATA.mdb");
    for (const QString& path : {notAccess, target})
        tolvane::testing::WriteFile(path, "not a database\n");
    const Result r = RunTool("bash", {kScript, notAccess, target}, QString());
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("mdb-to-sqlite:")) << r.err.toStdString();
    EXPECT_EQ(tolvane::testing::ReadFile(target), QByteArray("not a database\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // nothing half-written

    EXPECT_NE(RunTool("bash", {kScript, kAccess + "nwind.mdb"}, QString()).status, 0); // usage
}

// Damaged copies of real files (their table catalogs, or pages of their rows, overwritten;
// cut off, where mdbtools loops on its complaint): mdbtools reads what it can and says
// the rest on standard error, often exiting 0.
TEST_F(MdbToSqlite, AFileThatCannotBeReadWholeFailsLoudlyAndLeavesNoTarget) {
    for (const auto& [file, from, to, with] : // `to` 0: cut off at `from`
         {std::tuple{"nwind.mdb", 2 * 2048, 100 * 2048, '\0'},
          {"nwind.mdb", 1500000, 2000000, 'Z'},
          {"nwind.mdb", 1500000, 0, '\0'},
          {"ASampleDatabase.accdb", 2 * 4096, 40 * 4096, '\0'}}) {
        QTemporaryDir work;
        const QString copy = work.filePath(file);
        const QByteArray bytes = tolvane::testing::ReadFile(kAccess + file);
        tolvane::testing::WriteFile(
            copy, to ? QByteArray(bytes).replace(from, to - from, QByteArray(to - from, with))
                     : bytes.left(from));
        const Result r = RunTool("bash", {kScript, copy, work.filePath("out.db")}, QString());
        EXPECT_EQ(r.status, 1) << r.out.toStdString();
        EXPECT_TRUE(r.err.startsWith("mdb-to-sqlite: " + copy + " cannot be read whole ("));
        EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList{file});
    }
}

} // namespace
