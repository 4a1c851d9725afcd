#include "keep/keep_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tolvane::keep {

namespace {

// A yes/no key: true/false, yes/no, on/off or 1/0.
void ReadSwitch(const QSettings& s, const char* key, bool& value, QStringList& bad) {
    if (!s.contains(QLatin1String(key)))
        return;
    const QString text = s.value(QLatin1String(key)).toString().trimmed().toLower();
    if (text == u"true" || text == u"yes" || text == u"on" || text == u"1")
        value = true;
    else if (text == u"false" || text == u"no" || text == u"off" || text == u"0")
        value = false;
    else
        bad << QLatin1String(key);
}

// A whole number from `least` up.
void ReadNumber(const QSettings& s, const char* key, int least, int& value, QStringList& bad) {
    if (!s.contains(QLatin1String(key)))
        return;
    bool whole = false;
    const int n = s.value(QLatin1String(key)).toString().trimmed().toInt(&whole);
    if (whole && n >= least)
        value = n;
    else
        bad << QLatin1String(key);
}

} // namespace

QString SettingsFileBesideProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tolvane.ini"));
}

KeepSettings ReadKeepSettings(const QString& path, QString& problem) {
    KeepSettings k;
    problem.clear();
    if (!QFileInfo::exists(path))
        return k;
    const QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        problem = path;
        return k;
    }
    QStringList bad;
    ReadSwitch(s, "backup/enabled", k.backups, bad);
    k.backupFolder = s.value(QStringLiteral("backup/folder")).toString().trimmed();
    ReadNumber(s, "backup/keep", 1, k.keepBackups, bad);
    ReadSwitch(s, "report/enabled", k.reports, bad);
    k.reportFolder = s.value(QStringLiteral("report/folder")).toString().trimmed();
    ReadNumber(s, "report/checkShare", 0, k.checkShare, bad);
    if (!bad.isEmpty())
        problem = path + QStringLiteral(" (") + bad.join(QStringLiteral(", ")) + u')';
    return k;
}

} // namespace tolvane::keep
