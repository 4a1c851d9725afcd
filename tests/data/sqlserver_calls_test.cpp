// Held-back statements as SQL Server's driver (the shim over the tests' PostgreSQL server)
// and as PostgreSQL itself hand back their outcome.
#include "data/connection.h"
#include "data/recordset.h"
#include "shop/db.h"
#include "shop/pg_server.h"
#include "support/error_of.h"
#include "support/sqlite_file.h"
#include "support/sqlserver_odbc.h"

#include <QSqlError>
#include <QSqlQuery>
#include <memory>
#include <optional>

namespace tolvane::testing {
namespace {

using shop::Db;
using shop::OdbcText;

const QStringList kWrites = {"Insert Into T Values( 1 )", "Insert Into T Values( 2 )",
                             "Insert Into T Values( 1 )", "Insert Into T Values( 4 )"};

// With the parameter, through the stand-in for SQL Server's driver; else PostgreSQL's own.
class SqlServerCalls : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        server_ = shop::PgServerFromEnvironment();
        if (!server_.available())
            GTEST_SKIP() << "TOLVANE_PG_SOCKET_DIR not set: run through scripts/test";
        database_ = std::make_unique<shop::PgDatabase>(server_);
        // The checking connection is PostgreSQL's own; the run's goes through the shim.
        check_ = std::make_unique<Db>(OdbcText{database_->ConnectionText()});
        check_->Exec("Create Table T (N INTEGER Primary Key)");
        // SQL_Latin1_General_CP1_CI_AS, on a server that starts sessions with NOCOUNT ON.
        if (GetParam())
            sqlServer_.emplace(ModelledDatabase{.noCount = true});
        cn_ = std::make_unique<Connection>(Role::Target, DataHooks{&trace_, nullptr});
        cn_->Open(database_->ConnectionText());
        ASSERT_EQ(cn_->engine(), GetParam() ? Engine::SqlServer : Engine::PostgreSQL);
    }

    QStringList Rows() {
        QStringList rows;
        for (const shop::Row& row : check_->Query("Select N From T Order By N"))
            rows << row.at(0).toString();
        return rows;
    }

    shop::PgServer server_;
    std::unique_ptr<shop::PgDatabase> database_;
    std::unique_ptr<Db> check_;
    TraceLog trace_;
    std::optional<SqlServerOdbc> sqlServer_;
    std::unique_ptr<Connection> cn_; // closed before the shim goes
};

// What goes out with the held writes: nothing (a flush), a read, a counted statement.
enum class Tail { None, Rows, Count };

void SendWith(Connection& cn, Tail tail, const QString& statement) {
    Recordset rs;
    if (tail == Tail::Rows)
        rs.Open(statement, cn);
    else if (tail == Tail::Count)
        cn.Execute(statement);
    else
        cn.Flush();
}

// The third write breaks the key: the two before it stand, the one after it never
// runs and the error names it, whatever went out with them; in a transaction nothing
// stands (SQL Server's driver holds nothing back there).
TEST_P(SqlServerCalls, ALaterStatementsErrorFailsTheCallAsOneByOneWould) {
    for (const bool inTransaction : {false, !GetParam()}) {
        for (const auto& [tail, statement] :
             {std::pair{Tail::None, QString()}, std::pair{Tail::Rows, QString("Select N From T")},
              std::pair{Tail::Count, QString("Delete From T Where N = 9")}}) {
            SCOPED_TRACE(QString("%1 %2").arg(static_cast<int>(tail)).arg(inTransaction));
            check_->Exec("Delete From T");
            if (inTransaction)
                cn_->BeginTrans();
            trace_.roundTrips = 0;
            for (const QString& write : kWrites)
                cn_->Send(write);
            EXPECT_EQ(trace_.roundTrips, 0);
            const Error e = ErrorOf([&] { SendWith(*cn_, tail, statement); });
            EXPECT_EQ(e.statement(), kWrites[2]);
            if (inTransaction)
                cn_->RollbackTrans();
            EXPECT_EQ(Rows(), inTransaction ? QStringList() : (QStringList{"1", "2"}));
        }
    }
    // What is held goes before the commit and is forgotten with a rollback.
    check_->Exec("Delete From T");
    cn_->BeginTrans();
    cn_->Send(kWrites[3]);
    cn_->CommitTrans();
    cn_->BeginTrans();
    cn_->Send(kWrites[1]);
    cn_->RollbackTrans();
    cn_->Flush();
    EXPECT_EQ(Rows(), (QStringList{"4"}));
}

// The writes went through and the statement sent with them fails: the writes stand,
// nothing is sent again, and the error names that statement.
TEST_P(SqlServerCalls, AFailingReadAfterTheWritesLeavesThemStanding) {
    for (const Tail tail : {Tail::Rows, Tail::Count}) {
        SCOPED_TRACE(static_cast<int>(tail));
        check_->Exec("Delete From T");
        cn_->Send(kWrites[0]);
        cn_->Send(kWrites[1]);
        const QString failing =
            tail == Tail::Rows ? QString("Select N From Missing") : QString("Delete From Missing");
        const Error e = ErrorOf([&] { SendWith(*cn_, tail, failing); });
        EXPECT_EQ(e.statement(), failing);
        EXPECT_EQ(Rows(), (QStringList{"1", "2"}));
    }
}

// A read of which only the first row is taken, closed with rows still unread,
// cancels nothing the run wrote before it; the count of a counted statement is its own.
TEST_P(SqlServerCalls, AReadClosedEarlyKeepsTheWritesSentWithIt) {
    trace_.roundTrips = 0;
    cn_->Send(kWrites[0]);
    cn_->Send(kWrites[1]);
    Recordset rs;
    rs.Open("Select N From T Order By N", *cn_);
    EXPECT_EQ(trace_.roundTrips, 1); // the writes went out with the read
    EXPECT_EQ(rs.Long("N"), 1);
    rs.Close();
    cn_->Send(kWrites[3]);
    EXPECT_EQ(cn_->Execute("Update T Set N = N + 10 Where N > 1"), 2);
    cn_->Close();
    EXPECT_EQ(Rows(), (QStringList{"1", "12", "14"}));
    EXPECT_EQ(SqlServerOdbc::Cancelled(), 0);
}

// Without MARS a connection takes no statement while a result on it is unread; the data
// layer reads open results to their end first, and each recordset goes on where it stood.
TEST_P(SqlServerCalls, NoStatementGoesOutWhileAResultIsUnread) {
    check_->Exec("Insert Into T Values( 1 ), ( 2 ), ( 3 )");
    QSqlQuery open(cn_->Database()), next(cn_->Database());
    open.setForwardOnly(true);
    ASSERT_TRUE(open.exec("Select N From T") && open.next());
    EXPECT_EQ(next.exec("Select N From T"), !GetParam());
    EXPECT_EQ(next.lastError().text().contains("Connection is busy with results for another "
                                               "hstmt"),
              GetParam());
    open.finish();
    for (const auto cursor : {Recordset::adOpenKeyset, Recordset::adOpenForwardOnly}) {
        Recordset rs, other;
        rs.Open("Select N From T Order By N", *cn_, cursor);
        other.Open("Select N From T Order By N Desc", *cn_, cursor);
        EXPECT_EQ(cn_->Execute("Update T Set N = N Where N = 2"), 1);
        QStringList read;
        for (; !rs.Eof(); rs.MoveNext(), other.MoveNext())
            read << QString::number(rs.Long("N")) + QString::number(other.Long("N"));
        EXPECT_EQ(read, (QStringList{"13", "22", "31"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, SqlServerCalls, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "SqlServerDriver" : "PostgreSQL");
});

} // namespace
} // namespace tolvane::testing
