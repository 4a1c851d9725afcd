#pragma once

#include <QString>
#include <cstdint>

namespace tolvane::bench {

// Copies a sample shop file (SQLite) into an empty PostgreSQL database that
// `odbcText` reaches: the shop tables of the file's version in their PostgreSQL
// form, every row of every table, the indexes a working shop carries, then ANALYZE.
// Throws std::runtime_error when a table of the file has no counterpart or a table's
// row count differs afterwards. Returns the rows copied.
std::int64_t LoadShopIntoServer(const QString& shopFile, const QString& odbcText);

} // namespace tolvane::bench
