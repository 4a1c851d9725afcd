#pragma once

#include <QString>

namespace tolvane {

// What a file named as an Access database really is, by its first bytes.
enum class DatabaseFile {
    SQLite,  // opens in the embedded engine
    Access,  // a Jet or ACE file: needs an Access ODBC driver
    Other,   // neither: random bytes, an empty file, a text, ...
    Missing, // no readable file of that name
};

DatabaseFile KindOfDatabaseFile(const QString& path);

} // namespace tolvane
