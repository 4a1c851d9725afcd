#pragma once

namespace tolvane {

class Connection;

// Whether the database behind the connection takes 'ab-1' and 'AB-1' for one text when it
// compares: Jet always; SQL Server under a case-insensitive collation of the database;
// the embedded file and PostgreSQL never. Asks SQL Server once; the others nothing.
bool ComparesWithoutCase(Connection& cn);

} // namespace tolvane
