#pragma once

#include <QString>

namespace tolvane::keep {

// What the window keeps of each run, as the settings file beside the program says:
//   [backup]  enabled=true  folder=  keep=12
//   [report]  enabled=true  folder=  checkShare=50
// An empty folder means the folder beside the shop (a server shop: beside the list).
struct KeepSettings {
    bool backups = true;
    QString backupFolder;
    int keepBackups = 12;
    bool reports = true;
    QString reportFolder;
    int checkShare = 50;
};

// The settings file's place: tolvane.ini beside the program.
QString SettingsFileBesideProgram();

// The settings in `path`; a missing file gives the defaults. A value that is not what
// its key takes keeps its default and is named in `problem` (empty when all was read).
KeepSettings ReadKeepSettings(const QString& path, QString& problem);

} // namespace tolvane::keep
