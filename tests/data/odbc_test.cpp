#include "data/connection.h"
#include "data/connection_texts.h"
#include "data/open_connection.h"
#include "data/recordset.h"
#include "data/run_state.h"
#include "support/error_of.h"
#include "support/recording_window.h"
#include "support/sqlite_file.h"
#include "text/error.h"

#include <QFile>
#include <clocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::SqliteExec;
using testing::TraceLog;

// Registers Debian's SQLite ODBC driver in a private odbcinst.ini, once under its
// own name and once under the name the shop's SQL Server texts use, so the ODBC
// path of the data layer runs against a real driver. The driver manager reads the
// file once per process, so the registration is made once for the suite.
class OdbcDriver : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        iniDir = new QTemporaryDir;
        QFile ini(iniDir->filePath("odbcinst.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        const QByteArray driver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
        ini.write("[SQLite3]\nDriver=" + driver + "\n\n[SQL Server]\nDriver=" + driver + "\n");
        ini.close();
        qputenv("ODBCSYSINI", iniDir->path().toLocal8Bit());
        // This driver has no wide-character entry points: the driver manager turns
        // statement texts into the locale's code set, which must be UTF-8 for Thai.
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    static void TearDownTestSuite() {
        delete iniDir;
        iniDir = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("shop.db");
        SqliteExec(file, {"Create Table Parts (PartID INTEGER, TName TEXT, Price NUMERIC)",
                          "Insert Into Parts Values(1, 'ไส้กรอง', 12.5)",
                          "Insert Into Parts Values(2, 'O''RING', 1250)"});
    }

    void ExpectParts(Connection& cn) {
        Recordset rs;
        rs.Open("Select PartID, TName, Price From Parts Order By PartID", cn);
        ASSERT_EQ(rs.RecordCount(), 2);
        EXPECT_EQ(rs.Text("tname"), "ไส้กรอง");
        EXPECT_EQ(rs.Amount("Price").ToText(), "12.5");
        rs.MoveNext();
        EXPECT_EQ(rs.Text("TName"), "O'RING");
        EXPECT_EQ(rs.Amount("Price").ToText(), "1250");
    }

    static inline QTemporaryDir* iniDir = nullptr;
    QTemporaryDir dir;
    QString file;
};

TEST_F(OdbcDriver, ADsnLessTextOpensThroughTheDriverManager) {
    Connection cn(Role::Target, {});
    cn.Open("Driver=SQLite3;Database=" + file + ";");
    EXPECT_FALSE(cn.IsEmbedded());
    ExpectParts(cn);
    cn.Execute("Update Parts Set TName = 'เบรก' Where PartID = 2");
    Recordset rs;
    rs.Open("Select TName From Parts Where PartID = 2", cn);
    EXPECT_EQ(rs.Text("TName"), "เบรก");
}

TEST_F(OdbcDriver, BothSqlServerFormsReachTheDriverNamedSqlServer) {
    for (bool serverMachine : {true, false}) {
        SCOPED_TRACE(serverMachine);
        testing::RecordingWindow window;
        window.fields.optAccess = false;
        window.fields.chkComType = serverMachine;
        window.fields.txtServer = "shop-server";
        window.fields.txtdbq = file;
        window.fields.txtuid = "sa";
        window.fields.txtpwd = "secret";
        TraceLog log;
        RunState st(window, {&log, nullptr});
        OpenConnection(st);
        ASSERT_EQ(st.cnData->State(), Connection::adStateOpen);
        EXPECT_EQ(st.cnData->CommandTimeout(), 100);
        EXPECT_EQ(st.cnData->CursorLocation(), serverMachine ? 2 : 3);
        const QString expected = serverMachine
                                     ? SqlServerText("shop-server", "sa", "secret", file)
                                     : SqlOleDbText("shop-server", file, "sa", "secret");
        EXPECT_EQ(st.cnData->ConnectionString(), expected);
        ASSERT_EQ(log.Of("connect").size(), 1);
        EXPECT_EQ(log.Of("connect")[0], MaskPasswords(expected));
        ExpectParts(*st.cnData);
    }
}

TEST_F(OdbcDriver, DriverErrorsCarryTheDriverMessage) {
    Connection cn(Role::Target, {});
    cn.Open("Driver=SQLite3;Database=" + file + ";");
    const Error e = testing::ErrorOf([&] { cn.Execute("Insert Into NoTable Values(1)"); });
    EXPECT_TRUE(e.message().contains("NoTable")) << e.message().toStdString();
    EXPECT_EQ(e.statement(), "Insert Into NoTable Values(1)");
    Connection missing(Role::Target, {});
    EXPECT_THROW(missing.Open("Driver=No Such Driver;Database=x;"), Error);
}

} // namespace
} // namespace tolvane
