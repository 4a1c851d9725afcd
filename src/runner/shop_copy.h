#pragma once

#include <QString>

namespace tolvane::batch {

// A consistent copy of the SQLite database file `from` at `to` (replaced when it
// exists), made with SQLite's online backup: whole and as of one moment even while
// another program reads or writes the file, and in the file's own journal mode (not
// the WAL of a run working on it). Reading leaves nothing beside `from`. Raises Error
// with SQLite's reason (no space, no folder, no right) and leaves no partial copy behind.
void CopyDatabaseFile(const QString& from, const QString& to);

} // namespace tolvane::batch
