#pragma once
// SQL Server's ODBC driver as the program meets it, over the tests' PostgreSQL server.
// While a SqlServerOdbc lives, every ODBC connection calls itself "Microsoft SQL Server";
// a call of several statements runs them one at a time as the client asks for results
// (SQLMoreResults), so a later error shows only at its result, and a close before the
// last result cancels the rest (rolling back under XACT_ABORT ON). The T-SQL frame
// statements (SET, BEGIN/COMMIT/ROLLBACK TRANSACTION, IF @@TRANCOUNT, IF @@ROWCOUNT,
// sp_getapplock) are carried out here, all else goes to PostgreSQL. Without MARS a
// statement is refused while another result is unread; '...' literals pass through the
// collation's code page ('?' for what it lacks), N'...' intact. Calls are noted for
// tsql-check. The test program exports its symbols (ENABLE_EXPORTS) so the shim takes the
// driver manager's place for the Qt ODBC plugin. Linux only.
#include <QString>

namespace tolvane::testing {

// The database stood for; appLockAnswer: sp_getapplock's answer on a free lock (0 granted).
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
