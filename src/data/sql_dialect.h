#pragma once

#include <QString>

namespace tolvane {

// The database engine behind an open connection.
enum class Engine {
    Embedded,   // the embedded SQLite engine
    SqlServer,  // as the ODBC driver reports it
    Access,     // an Access file through Microsoft's Access driver
    PostgreSQL, // the tests' stand-in for SQL Server
    Other,
};

// Where the SQL an engine takes differs from the statements the run builds, as data
// that the statement writers and the data layer read.
struct SqlDialect {
    // The yes/no values of a part row: Jet's words True and False; T-SQL has no boolean
    // literals (the bit columns take 1 and 0).
    QString yes;
    QString no;
    // A '...' literal holding any character beyond ASCII is written N'...': SQL Server
    // reads a plain literal in the code page of the database's collation, which turns
    // every Thai letter into '?' outside a Thai or UTF-8 collation. ASCII literals stay
    // plain, so a look-up against a varchar column keeps its index seek.
    bool nationalText = false;
    // The connection takes no statement while a result on it is unread ("Connection is
    // busy with results for another command"): the data layer reads every open result
    // to its end before it sends the next statement.
    bool oneResultAtATime = false;
    // Jet refuses a '|' inside a literal (its driver's string limitations): a statement
    // with such a literal goes with that text as a bound parameter instead.
    bool pipesAsParameters = false;
};

const SqlDialect& DialectOf(Engine engine);

// The statement as the engine takes it: with the dialect's national text literals.
// Every statement goes through this on its way to the driver; an engine that needs
// nothing gets the statement back exactly.
QString ForEngine(const SqlDialect& dialect, const QString& statement);

} // namespace tolvane
