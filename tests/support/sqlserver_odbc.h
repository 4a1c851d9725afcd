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
// The test program must export its symbols (ENABLE_EXPORTS): the shim takes the
// place of the driver manager's functions for the Qt ODBC plugin. Linux only.
namespace tolvane::testing {

class SqlServerOdbc {
public:
    SqlServerOdbc();
    ~SqlServerOdbc();
    SqlServerOdbc(const SqlServerOdbc&) = delete;
    SqlServerOdbc& operator=(const SqlServerOdbc&) = delete;

    // Calls whose rest was cancelled by a close before their last result.
    static int Cancelled();
};

} // namespace tolvane::testing
