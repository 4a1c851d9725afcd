#include "floor_replay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <sqlite3.h>
#include <stdexcept>

namespace tolvane::bench {

QString UnescapeField(const QString& field) {
    if (!field.contains(u'\\'))
        return field;
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != u'\\' || i + 1 == field.size()) {
            out += c;
            continue;
        }
        const QChar next = field[++i];
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next;
    }
    return out;
}

QString RecordsetStatement(const QString& description) {
    static const QString addNew = QStringLiteral("AddNew ");
    if (description.startsWith(addNew)) {
        const qsizetype open = description.indexOf(QLatin1String(" ("));
        const qsizetype middle = description.indexOf(QLatin1String(") = ("));
        if (open < 0 || middle < open || !description.endsWith(u')'))
            return QString();
        const QString table = description.mid(addNew.size(), open - addNew.size());
        const QString columns = description.mid(open + 2, middle - open - 2);
        const QString values = description.mid(middle + 5, description.size() - middle - 6);
        return "Insert Into " + table + " (" + columns + ") Values (" + values + ")";
    }
    if (description.startsWith(QLatin1String("Update ")) ||
        description.startsWith(QLatin1String("Delete From ")))
        return description;
    return QString();
}

namespace {

TraceEvent::Kind KindOf(const QString& name) {
    static const QStringList names = {"connect", "open",     "execute", "begin",
                                      "commit",  "rollback", "close",   "recordset"};
    const qsizetype at = names.indexOf(name);
    if (at < 0)
        throw std::runtime_error("unknown trace event: " + name.toStdString());
    return static_cast<TraceEvent::Kind>(at);
}

} // namespace

std::vector<TraceEvent> ReadTrace(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    std::vector<TraceEvent> events;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 2)
            throw std::runtime_error("bad trace line: " + line.toStdString());
        TraceEvent e;
        e.target = fields[0] == QLatin1String("target");
        e.kind = KindOf(fields[1]);
        const QString text = fields.size() > 2 ? UnescapeField(fields[2]) : QString();
        switch (e.kind) {
        case TraceEvent::Open:
        case TraceEvent::Execute:
            e.sql = text.toStdString();
            break;
        case TraceEvent::Recordset: {
            const QString statement = RecordsetStatement(text);
            if (statement.isEmpty())
                throw std::runtime_error("recordset event without a statement: " +
                                         text.toStdString());
            e.sql = statement.toStdString();
            break;
        }
        case TraceEvent::Begin:
            e.sql = "BEGIN";
            break;
        case TraceEvent::Commit:
            e.sql = "COMMIT";
            break;
        case TraceEvent::Rollback:
            e.sql = "ROLLBACK";
            break;
        case TraceEvent::Connect:
        case TraceEvent::Close:
            break;
        }
        events.push_back(std::move(e));
    }
    return events;
}

namespace {

class Replayer {
public:
    Replayer(const QString& sourceCopy, const QString& targetCopy, const QElapsedTimer& clock,
             FloorResult& result)
        : paths_{sourceCopy.toStdString(), targetCopy.toStdString()}, clock_(clock),
          result_(result) {}
    ~Replayer() {
        for (sqlite3*& db : dbs_)
            Disconnect(db);
    }

    void Play(const TraceEvent& e) {
        sqlite3*& db = dbs_[e.target ? 1 : 0];
        switch (e.kind) {
        case TraceEvent::Connect:
            Connect(db, paths_[e.target ? 1 : 0]);
            break;
        case TraceEvent::Close:
            Disconnect(db);
            break;
        case TraceEvent::Open:
        case TraceEvent::Execute:
        case TraceEvent::Recordset:
            ++result_.statements;
            Run(db, e.sql);
            break;
        case TraceEvent::Begin:
        case TraceEvent::Commit:
        case TraceEvent::Rollback:
            Run(db, e.sql);
            break;
        }
    }

private:
    void Connect(sqlite3*& db, const std::string& path) {
        Disconnect(db);
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
        sqlite3_busy_timeout(db, 30000);
        Run(db, "PRAGMA journal_mode=WAL");
        Run(db, "PRAGMA synchronous=NORMAL");
    }

    static void Disconnect(sqlite3*& db) {
        if (db)
            sqlite3_close_v2(db);
        db = nullptr;
    }

    // Prepares and steps through every row the statement gives.
    void Run(sqlite3* db, const std::string& sql) {
        if (!db)
            return Failed(sql, "no open connection");
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
            SQLITE_OK)
            return Failed(sql, sqlite3_errmsg(db));
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            // Rows past the first: a caller that only looks at the first row does
            // not pay for them.
            const qint64 restStart = clock_.nsecsElapsed();
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            restNs_ += clock_.nsecsElapsed() - restStart;
        }
        if (rc != SQLITE_DONE)
            Failed(sql, sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
    }

    void Failed(const std::string& sql, const char* message) {
        if (result_.failures++ == 0)
            result_.firstFailure = QString::fromStdString(sql) + ": " + QString::fromUtf8(message);
    }

public:
    // Time spent on rows past the first row of a statement so far.
    qint64 restNs_ = 0;

private:
    std::string paths_[2];
    const QElapsedTimer& clock_;
    sqlite3* dbs_[2] = {nullptr, nullptr};
    FloorResult& result_;
};

} // namespace

FloorResult ReplayTrace(const std::vector<TraceEvent>& events, const QString& sourceCopy,
                        const QString& targetCopy, std::vector<StageFigures>& stages) {
    FloorResult result;
    QElapsedTimer clock;
    Replayer replayer(sourceCopy, targetCopy, clock, result);
    clock.start();
    std::size_t stage = 0;
    qint64 stageStart = 0;
    qint64 stageRest = 0;
    auto closeStagesUpTo = [&](std::int64_t index) {
        while (stage < stages.size() && stages[stage].endEvent <= index) {
            const qint64 now = clock.nsecsElapsed();
            stages[stage].floorAllSeconds = (now - stageStart) / 1e9;
            stages[stage].floorSeconds = (now - stageStart - (replayer.restNs_ - stageRest)) / 1e9;
            stageStart = now;
            stageRest = replayer.restNs_;
            ++stage;
        }
    };
    for (std::size_t i = 0; i < events.size(); ++i) {
        closeStagesUpTo(static_cast<std::int64_t>(i));
        replayer.Play(events[i]);
    }
    closeStagesUpTo(static_cast<std::int64_t>(events.size()));
    const qint64 total = clock.nsecsElapsed();
    result.allRowsSeconds = total / 1e9;
    result.seconds = (total - replayer.restNs_) / 1e9;
    return result;
}

} // namespace tolvane::bench
