#include "keep/kept_run.h"

#include "data/database_file.h"
#include "keep/shop_backup.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "text/error.h"
#include "text/failure.h"
#include "text/versions.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace tolvane::keep {

namespace {

QString Beside(const QString& file, const QString& folder) {
    return QFileInfo(TrimBlanks(file)).absoluteDir().filePath(folder);
}

// "<name>-<yyyyMMdd-HHmmss>[-test].<extension>" in `dir`, "-2", "-3", ... added when the
// name is taken.
QString StampedPath(const QDir& dir, const QString& name, const QDateTime& at, bool test,
                    const QString& extension) {
    const QString stem = name + u'-' + at.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         (test ? QStringLiteral("-test") : QString());
    QString path = dir.filePath(stem + extension);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem + u'-' + QString::number(n) + extension);
    return path;
}

} // namespace

RunCounts CountsOf(const report::ReportData& data) {
    RunCounts c;
    for (const report::AppliedRows::Chunk& chunk : data.applied.chunks)
        c.rowsApplied += chunk.rows;
    c.rowsApplied += data.applied.allBrandRows.value_or(0);
    c.partsCreated = static_cast<int>(data.created.size());
    c.pricesChanged = static_cast<int>(data.changes.size());
    c.stillDiffering = static_cast<int>(data.differences.size());
    return c;
}

QString BackupFolder(const FormFields& f, const KeepSettings& k) {
    return k.backupFolder.isEmpty() ? Beside(f.txtDataVelmora, QStringLiteral("TolvaneBackups"))
                                    : k.backupFolder;
}

QString ReportFolder(const FormFields& f, const KeepSettings& k) {
    if (!k.reportFolder.isEmpty())
        return k.reportFolder;
    return Beside(f.optAccess ? f.txtDataVelmora : f.txtPriceList,
                  QStringLiteral("TolvaneReports"));
}

void KeepNewestBackups(const QString& shop, const QString& dir, int keep) {
    const QFileInfo info(shop);
    const QString extension = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QRegularExpression backup(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.completeBaseName()) + R"(-(\d{8}-\d{6})(?:-(\d+))?)" +
        QRegularExpression::escape(extension)));
    struct Found {
        QString stamp;
        int n;
        QString name;
    };
    std::vector<Found> found;
    for (const QString& name : QDir(dir).entryList(QDir::Files)) {
        const QRegularExpressionMatch m = backup.match(name);
        if (m.hasMatch())
            found.push_back(
                {m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(), name});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.n > b.n;
    });
    for (std::size_t i = static_cast<std::size_t>(std::max(keep, 0)); i < found.size(); ++i)
        QFile::remove(QDir(dir).filePath(found[i].name));
}

KeptRun::KeptRun(KeepSettings settings, FormFields fields, bool testRun)
    : settings_(std::move(settings)), fields_(std::move(fields)), testRun_(testRun),
      started_(QDateTime::currentDateTime()), collector_([this](RunState&) { BackUp(); }) {}

// Right before the first write, under the run lock: a backup that cannot be made stops
// the run there, as the runner's does.
void KeptRun::BackUp() {
    const QString shop = TrimBlanks(fields_.txtDataVelmora);
    if (!settings_.backups || testRun_ || !fields_.optAccess ||
        KindOfDatabaseFile(shop) != DatabaseFile::SQLite)
        return;
    const QString folder = BackupFolder(fields_, settings_);
    if (!QDir().mkpath(folder))
        throw Error(Failure::FileNotWritable, {folder},
                    QStringLiteral("The backup folder %1 cannot be created").arg(folder));
    backup_ = BackUpDatabaseFile(shop, folder, QDateTime::currentDateTime());
    KeepNewestBackups(shop, folder, settings_.keepBackups);
}

void KeptRun::Finish(const std::vector<std::array<QString, 8>>& grid, report::RunFacts facts) {
    facts.shop = fields_.optAccess ? TrimBlanks(fields_.txtDataVelmora)
                                   : DatabaseInThai(fields_.txtServer, fields_.txtdbq);
    facts.priceList = TrimBlanks(fields_.txtPriceList);
    facts.started = started_;
    facts.testRun = testRun_;
    facts.backupPath = backup_;
    report::ReportData data = collector_.Finish(grid, std::move(facts));
    data.checkShare = settings_.checkShare;
    counts_ = CountsOf(data);
    if (!settings_.reports)
        return;
    const QDir folder(ReportFolder(fields_, settings_));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        problem_ = folder.path();
        return;
    }
    const QString name = fields_.optAccess
                             ? QFileInfo(TrimBlanks(fields_.txtDataVelmora)).completeBaseName()
                             : TrimBlanks(fields_.txtdbq);
    report_ = StampedPath(folder, name, started_, testRun_, QStringLiteral(".html"));
    if (!Write(report_, report::ReportHtml(data).toUtf8()))
        report_.clear();
    changes_ = StampedPath(folder, name, started_, testRun_, QStringLiteral(".csv"));
    if (!Write(changes_, report::ChangesCsv(data)))
        changes_.clear();
}

bool KeptRun::Write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    problem_ = path + QStringLiteral(": ") + file.errorString();
    return false;
}

} // namespace tolvane::keep
