#pragma once

#include <QDateTime>
#include <QString>

namespace tolvane::keep {

// Backs the SQLite shop file `shop` up into the folder `dir` and returns the backup's
// path: "<name>-<yyyyMMdd-HHmmss>.<extension>" after `at`, or with "-2", "-3", ...
// before the extension when that name is taken (another shop of the same name, another
// run in the same second). The copy is written under a temporary name in `dir`, checked
// whole, and only then given its name, never over an existing file: a backup that fails
// or is cut short leaves no file under a backup's name, and no file the backup did not
// create is replaced or removed. Raises Error (the folder or the copy not writable, the
// copy not whole) after removing its temporary file.
QString BackUpDatabaseFile(const QString& shop, const QString& dir, const QDateTime& at);

} // namespace tolvane::keep
