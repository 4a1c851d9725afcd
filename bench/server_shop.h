#pragma once

#include "shop/pg_server.h"

#include <QString>
#include <cstdint>

namespace tolvane::bench {

// Copies a sample shop file (SQLite) into an empty PostgreSQL database that
// `odbcText` reaches: the shop tables of the file's version in their PostgreSQL
// form, every row of every table, the indexes a working shop carries, then ANALYZE.
// Throws std::runtime_error when a table of the file has no counterpart or a table's
// row count differs afterwards. Returns the rows copied.
std::int64_t LoadShopIntoServer(const QString& shopFile, const QString& odbcText);

// Closes `database` to new connections and waits (a few seconds at most) until none
// is left, as PostgreSQL copies only a database nobody is connected to. Throws
// std::runtime_error, naming the connections, when some stay.
void CloseForCopying(const shop::PgServer& server, const QString& database);

// A copy of a database of the server (CREATE DATABASE ... TEMPLATE, which copies its
// files instead of sending its rows again), dropped with its connections on
// destruction. The source must be closed for copying.
class ServerDatabaseCopy {
public:
    ServerDatabaseCopy(const shop::PgServer& server, const QString& source, QString name);
    ~ServerDatabaseCopy();
    ServerDatabaseCopy(const ServerDatabaseCopy&) = delete;
    ServerDatabaseCopy& operator=(const ServerDatabaseCopy&) = delete;

    const QString& name() const { return name_; }

private:
    shop::PgServer server_;
    QString name_;
};

} // namespace tolvane::bench
