#pragma once

#include <QString>

// A private PostgreSQL server standing in for a shop's SQL Server.
namespace tolvane::shop {

// The server as scripts/test describes it in the environment (TOLVANE_PG_SOCKET_DIR,
// TOLVANE_PG_DATABASE, TOLVANE_PG_USER, TOLVANE_PG_PASSWORD, and TOLVANE_PG_HOST,
// TOLVANE_PG_PORT where it listens on TCP as well, as for scripts/bench). Not available
// when ctest runs outside scripts/test.
struct PgServer {
    QString socketDir, database, user, password;
    QString host; // TCP address; empty: the socket folder only
    int port = 5432;
    bool available() const { return !socketDir.isEmpty(); }
    // The program's SQL Server connection text (ODBC driver "SQL Server", which the
    // test run registers for psqlODBC) for a database of this server.
    QString ConnectionText(const QString& databaseName) const;
};
PgServer PgServerFromEnvironment();

// A database of its own on the server, so tests can run side by side: created empty
// on construction, dropped (with its connections) on destruction.
class PgDatabase {
public:
    explicit PgDatabase(const PgServer& server);
    ~PgDatabase();
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    const QString& name() const { return name_; }
    QString ConnectionText() const { return server_.ConnectionText(name_); }

private:
    PgServer server_;
    QString name_;
};

// A role of its own on the server that logs in with `password` and reaches whatever the
// server's user reaches (it is a member of that role): created on construction, dropped
// on destruction. Declared before the databases it works in, so they go first.
class PgRole {
public:
    PgRole(const PgServer& server, const QString& password);
    ~PgRole();
    PgRole(const PgRole&) = delete;
    PgRole& operator=(const PgRole&) = delete;

    // The server as the role reaches it: its user and password.
    const PgServer& server() const { return role_; }

private:
    PgServer admin_, role_;
};

} // namespace tolvane::shop
