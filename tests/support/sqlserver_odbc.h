#pragma once

#include <QString>
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
// Without MARS (the program's texts do not ask for it) a connection takes no statement
// while a result on it is unread: rows not fetched to their end, or results of a call
// not reached yet. Such a statement is refused with SQLSTATE HY000, "Connection is busy
// with results for another command", as SQL Server's driver refuses it.
//
// The database has a collation: a '...' literal reaches it in the collation's code page,
// every character the code page lacks as '?'; an N'...' literal reaches it intact. Its
// text columns are nvarchar, or varchar under that collation, and the catalogue answers
// so (INFORMATION_SCHEMA.COLUMNS, COLLATIONPROPERTY, DATABASEPROPERTYEX).
//
// Every call it receives is noted, as the program handed it over, in the build's folder
// TOLVANE_TSQL_CALLS (one file per process, each distinct call once, in the form
// tsql-check reads), so that the suite's calls can be checked as T-SQL.
//
// The test program must export its symbols (ENABLE_EXPORTS): the shim takes the
// place of the driver manager's functions for the Qt ODBC plugin. Linux only.
namespace tolvane::testing {

// The database the stand-in stands for (see SqlServerOdbc).
struct ModelledDatabase {
    QString collation = QStringLiteral("SQL_Latin1_General_CP1_CI_AS");
    int codePage = 1252;         // 874 Thai, 65001 UTF-8
    bool nationalColumns = true; // nvarchar; else varchar under the collation
    // sp_getapplock's answer where the lock is free (0 granted; -2, -3, -999 the errors
    // it can give).
    int appLockAnswer = 0;
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
