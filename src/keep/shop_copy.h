#pragma once

#include <QString>

namespace tolvane::keep {

// A consistent copy of the SQLite database file `from` at `to` (a new or empty file the
// caller created and removes when this fails), made with SQLite's online backup: whole
// and as of one moment even while another program reads or writes the file, and in the
// file's own journal mode (not the WAL of a run working on it), checked whole (all of the file's
// pages, SQLite's quick check). Reading leaves nothing beside `from`. Raises Error with SQLite's
// reason (no space, no folder, no right) or what the check found.
void CopyDatabaseFile(const QString& from, const QString& to);

} // namespace tolvane::keep
