#pragma once
// SQL Server's ODBC driver as the program meets it, over the tests' PostgreSQL server.
//
// While a SqlServerOdbc lives, every ODBC connection the process opens answers as
// SQL Server's driver does: it calls itself "Microsoft SQL Server", and a call that
// carries several statements runs them one at a time as the client asks for their
// results (SQLMoreResults): a later statement's error shows only at its result, and
// closing the statement before the last result cancels the rest of the call (with
// XACT_ABORT ON, the open transaction is rolled back, as an attention does). The
// frame statements of T-SQL the program sends (SET, BEGIN/COMMIT/ROLLBACK
// TRANSACTION, IF @@TRANCOUNT, IF @@ROWCOUNT, the run lock's sp_getapplock) are
// carried out here; everything else goes to PostgreSQL as it is.
//
// Without MARS, it refuses a statement while a result on the connection is unread (HY000,
// "Connection is busy with results for another hstmt"). '...' literals reach its
// database in the code page of its collation ('?' for what it lacks), N'...' intact, and
// its catalogue answers for that collation. Each distinct call is noted for tsql-check.
//
// The test program must export its symbols (ENABLE_EXPORTS): the shim takes the
// place of the driver manager's functions for the Qt ODBC plugin. Linux only.
#include <QString>

namespace tolvane::testing {

// The database the stand-in stands for; appLockAnswer: sp_getapplock's answer where the
// lock is free (0 granted; -2, -3, -999 its errors).
struct ModelledDatabase {
    QString collation = QStringLiteral("SQL_Latin1_General_CP1_CI_AS");
    int codePage = 1252;         // 874 Thai, 65001 UTF-8
    bool nationalColumns = true; // nvarchar; else varchar under the collation
    int appLockAnswer = 0;
    bool noCount = false; // its "user options" start every session with NOCOUNT ON
};

class SqlServerOdbc {
public:
    using Database = ModelledDatabase;

    explicit SqlServerOdbc(Database database = Database());
    ~SqlServerOdbc();
    SqlServerOdbc(const SqlServerOdbc&) = delete;
    SqlServerOdbc& operator=(const SqlServerOdbc&) = delete;

    // Calls whose rest was cancelled by a close before their last result.
    static int Cancelled();
};

} // namespace tolvane::testing
