// tolvane-bench: what a run costs, stage by stage, against the floor of its own
// statements replayed through SQLite's C API, through the window, as the price list
// grows, and with the shop database on a server (the private PostgreSQL server that
// scripts/bench starts), over its unix socket and over TCP through two latency links.
// Each measured run happens in a child process of its own, so its peak memory is its
// own. Linux only (getrusage, POSIX sockets).

#include "bench_cases.h"
#include "bench_report.h"
#include "floor_replay.h"
#include "latency_link.h"
#include "sample/sample_generate.h"
#include "server_shop.h"
#include "shop/pg_server.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>

namespace {

using namespace tolvane::bench;
using tolvane::sample::Options;
namespace shop = tolvane::shop;

constexpr std::uint32_t kSeed = 7;
// No measured run takes this long; one that does has hung (a server that never
// answers) and is stopped.
constexpr int kChildTimeoutMs = 20 * 60 * 1000;

Options SmallShop(const QString& dir) {
    Options o;
    o.outDir = dir;
    o.parts = 5000;
    o.rows = 2000;
    o.chunk = 1000;
    o.movement = 20000;
    o.newShare = 0.1;
    o.linkShare = 0.1;
    o.seed = kSeed;
    return o;
}

// The medium shop; the growth series keeps its shop and varies the list.
Options MediumShop(const QString& dir, int rows = 20000) {
    Options o;
    o.outDir = dir;
    o.parts = 50000;
    o.rows = rows;
    o.chunk = 5000;
    o.movement = 200000;
    o.newShare = 0.1;
    o.linkShare = 0.1;
    o.seed = kSeed;
    return o;
}

// The large shop: five times the medium shop, a list of 100,000 rows.
Options LargeShop(const QString& dir) {
    Options o = MediumShop(dir, 100000);
    o.parts = 250000;
    o.chunk = 25000;
    o.movement = 1000000;
    return o;
}

void Say(const QString& text) {
    QTextStream err(stderr);
    err << QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")) << "  " << text
        << '\n';
}

// The sample's files; `groups`, when given, takes the number of its alternate groups.
ShopFiles MakeSample(const Options& options, int* groups = nullptr) {
    const tolvane::sample::Summary summary = tolvane::sample::Generate(options);
    Say(QStringLiteral("generated: ") + summary.Line());
    if (groups)
        *groups = summary.groups;
    return {summary.shopPath, summary.listPath};
}

// A copy of both files in `dir` (the starting database for another measurement).
ShopFiles Copy(const ShopFiles& files, const QString& dir) {
    QDir().mkpath(dir);
    ShopFiles copy{dir + "/Velmora.accdb", dir + "/PriceList_TATA.mdb"};
    for (const auto& [from, to] : {std::pair{files.shop, copy.shop}, {files.list, copy.list}}) {
        QFile::remove(to);
        if (!QFile::copy(from, to))
            throw std::runtime_error("cannot copy " + from.toStdString());
    }
    return copy;
}

// Runs one measurement in a child process of this program.
CaseResult RunChild(const QStringList& args) {
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }());
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(kChildTimeoutMs)) {
        child.kill();
        child.waitForFinished(10000);
        throw std::runtime_error("measurement did not end within " +
                                 std::to_string(kChildTimeoutMs / 60000) +
                                 " minutes: " + args.join(' ').toStdString());
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw std::runtime_error("measurement failed: " + args.join(' ').toStdString() + "\n" +
                                 child.readAllStandardError().toStdString());
    const CaseResult result = CaseResult::Read(QString::fromUtf8(child.readAllStandardOutput()));
    if (result.message != QStringLiteral("เสร็จแล้วจ้า"))
        throw std::runtime_error("the run did not finish: " + result.message.toStdString());
    if (result.floorFailures > 0)
        Say(QStringLiteral("floor: %1 statements failed, first: %2")
                .arg(result.floorFailures)
                .arg(result.firstFloorFailure));
    return result;
}

// The traced runs tick chkLikelAt (the whole run, the alternate index rebuild
// included); the others keep the window's default, so the growth series measures
// the price stages, which grow with the list, not the rebuild, which grows with
// the shop.
CaseResult Headless(const ShopFiles& files, const QString& trace = QString(),
                    const ShopFiles& floor = ShopFiles()) {
    QStringList args = {"--child", "headless", "--shop", files.shop, "--list", files.list};
    if (!trace.isEmpty())
        args << "--rebuild";
    if (!trace.isEmpty())
        args << "--trace" << trace << "--floor-shop" << floor.shop << "--floor-list" << floor.list;
    return RunChild(args);
}

// The quicker of two measurements of the same run (an empty one counts as none).
CaseResult Quicker(const CaseResult& a, const CaseResult& b) {
    if (a.message.isEmpty())
        return b;
    return b.seconds < a.seconds ? b : a;
}

CaseResult Window(const ShopFiles& files) {
    return RunChild({"--child", "window", "--shop", files.shop, "--list", files.list});
}

// The headless run on the server's database `database`, reached through `txtServer`, with
// chkLikelAt ticked when `rebuild`.
CaseResult OnServer(const QString& database, const QString& txtServer, const QString& list,
                    bool rebuild = false) {
    QStringList args = {"--child",    "server",  "--server", txtServer,
                        "--database", database, "--list",   list};
    if (rebuild)
        args << "--rebuild";
    return RunChild(args);
}

// A shop file loaded into a fresh database of the server, closed for copying.
std::unique_ptr<shop::PgDatabase> Loaded(const shop::PgServer& server, const QString& shopFile) {
    auto loaded = std::make_unique<shop::PgDatabase>(server);
    QElapsedTimer clock;
    clock.start();
    const std::int64_t rows = LoadShopIntoServer(shopFile, loaded->ConnectionText());
    Say(QStringLiteral("loaded %1 rows into %2 in %3 s")
            .arg(rows)
            .arg(loaded->name())
            .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    CloseForCopying(server, loaded->name());
    return loaded;
}

const shop::PgServer& RequireServer(const shop::PgServer& server) {
    if (!server.available() || server.host.isEmpty())
        throw std::runtime_error("the server cases need the server that scripts/bench starts "
                                 "(TOLVANE_PG_SOCKET_DIR, TOLVANE_PG_HOST, TOLVANE_PG_PORT)");
    return server;
}

// A latency link on `address`:5432 to the server's TCP port, `delayMs` each way.
std::unique_ptr<LatencyLink> LinkTo(const shop::PgServer& server, const QString& address,
                                    double delayMs) {
    LatencyLink::Options link;
    link.listenAddress = address.toStdString();
    link.serverAddress = server.host.toStdString();
    link.serverPort = server.port;
    link.delay = std::chrono::microseconds(std::lround(delayMs * 1000));
    return std::make_unique<LatencyLink>(link);
}

// The medium shop on the server: over the unix socket, then over TCP through the
// latency link and through the slow link, each without and with the rebuild. The shop is
// loaded once; each case runs on a copy of the loaded database made before the first run,
// so all start from the same rows.
void ServerCases(const QCommandLineParser& p, const QString& work, Report& report) {
    const shop::PgServer server = RequireServer(shop::PgServerFromEnvironment());
    const QString dir = work + "/server";
    const Options options = MediumShop(dir);
    const ShopFiles files = MakeSample(options, &report.serverGroups);
    report.serverListRows = options.rows;

    struct ServerCase {
        QString name, suffix, address;
        double delayMs; // negative: over the socket
        bool rebuild;
    };
    const std::vector<ServerCase> cases = {
        {kServerSocket, "socket", server.socketDir, -1, false},
        {kServerLink, "link", p.value("link-address"), p.value("link-delay").toDouble(), false},
        {kServerSlowLink, "slow", p.value("slow-link-address"),
         p.value("slow-link-delay").toDouble(), false},
        {kServerSocketRebuild, "socket_rebuild", server.socketDir, -1, true},
        {kServerLinkRebuild, "link_rebuild", p.value("link-address"),
         p.value("link-delay").toDouble(), true},
        {kServerSlowLinkRebuild, "slow_rebuild", p.value("slow-link-address"),
         p.value("slow-link-delay").toDouble(), true},
    };
    // Both links listen from the start, so a port that is taken fails before any run; the
    // cases with the rebuild go through the same two links (case i through link i % 3).
    std::vector<std::unique_ptr<LatencyLink>> links;
    for (std::size_t i = 0; i < 3; ++i)
        links.push_back(cases[i].delayMs < 0 ? nullptr
                                             : LinkTo(server, cases[i].address, cases[i].delayMs));

    const std::unique_ptr<shop::PgDatabase> loaded = Loaded(server, files.shop);
    QElapsedTimer clock;
    std::vector<std::unique_ptr<ServerDatabaseCopy>> databases;
    for (const ServerCase& c : cases) {
        clock.restart();
        databases.push_back(std::make_unique<ServerDatabaseCopy>(server, loaded->name(),
                                                                 loaded->name() + "_" + c.suffix));
        Say(QStringLiteral("copied %1 to %2 in %3 s")
                .arg(loaded->name(), databases.back()->name())
                .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    }

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const ServerCase& c = cases[i];
        const ShopFiles copy = Copy(files, dir + "/" + c.suffix);
        LatencyLink* link = links[i % 3].get();
        if (!link) {
            Say(QStringLiteral("%1: headless run over the socket %2").arg(c.name, c.address));
            report.Add(c.name, OnServer(databases[i]->name(), c.address, copy.list, c.rebuild));
            continue;
        }
        Say(QStringLiteral("%1: headless run through the latency link %2:%3 (%4 ms each way) "
                           "to %5:%6")
                .arg(c.name, c.address)
                .arg(link->Port())
                .arg(c.delayMs)
                .arg(server.host)
                .arg(server.port));
        // A link counts for all the runs through it: each run's share is what it added.
        const std::int64_t turns = link->Turns(), connections = link->Connections();
        CaseResult linked = OnServer(databases[i]->name(), c.address, copy.list, c.rebuild);
        linked.proxyTurns = link->Turns() - turns;
        linked.proxyConnections = link->Connections() - connections;
        linked.linkDelayMs = c.delayMs;
        report.Add(c.name, linked);
    }
}

// The large shop, embedded and on the server over its socket, without the rebuild.
void LargeCases(const QString& work, bool server, Report& report) {
    const QString dir = work + "/large";
    const Options options = LargeShop(dir);
    const ShopFiles files = MakeSample(options);
    report.largeListRows = options.rows;
    const ShopFiles embedded = Copy(files, dir + "/embedded");
    Say(QStringLiteral("large: headless run"));
    report.Add(kLargeEmbedded, Headless(embedded));
    if (!server)
        return;
    const shop::PgServer pg = RequireServer(shop::PgServerFromEnvironment());
    const std::unique_ptr<shop::PgDatabase> loaded = Loaded(pg, files.shop);
    const ServerDatabaseCopy database(pg, loaded->name(), loaded->name() + "_socket");
    const ShopFiles copy = Copy(files, dir + "/server");
    Say(QStringLiteral("large: headless run over the socket %1").arg(pg.socketDir));
    report.Add(kLargeServer, OnServer(database.name(), pg.socketDir, copy.list));
}

int Child(const QCommandLineParser& p, int argc, char** argv) {
    const ShopFiles files{p.value("shop"), p.value("list")};
    CaseResult result;
    if (p.value("child") == QLatin1String("floor")) {
        // The floor alone, for a profiler: replays --trace on the --floor-* copies.
        std::vector<StageFigures> none;
        const FloorResult floor = ReplayTrace(ReadTrace(p.value("trace")), p.value("floor-list"),
                                              p.value("floor-shop"), none);
        QTextStream(stdout) << "floor\t" << floor.seconds << '\t' << floor.allRowsSeconds << '\t'
                            << floor.statements << '\t' << floor.failures << '\n';
        return 0;
    }
    if (p.value("child") == QLatin1String("window")) {
        QApplication app(argc, argv);
        result = RunWindow(files, p.isSet("rebuild"));
    } else if (p.value("child") == QLatin1String("server")) {
        const shop::PgServer server = shop::PgServerFromEnvironment();
        result = RunHeadlessOnServer(
            {p.value("server"), p.value("database"), server.user, server.password}, files.list,
            p.isSet("rebuild"));
    } else {
        result = RunHeadless(files, p.isSet("rebuild"), p.value("trace"),
                             ShopFiles{p.value("floor-shop"), p.value("floor-list")});
    }
    QTextStream out(stdout);
    result.Write(out);
    return 0;
}

int Parent(const QCommandLineParser& p) {
    const QString work = QDir(p.value("work")).absolutePath();
    const QStringList only = p.values("only");
    auto wanted = [&](const char* name) { return only.isEmpty() || only.contains(name); };
    Report report(LoadAverage());
    Say(QStringLiteral("load average at start: ") + report.loadAtStart);

    if (wanted("small")) {
        const QString dir = work + "/small";
        const ShopFiles files = MakeSample(SmallShop(dir));
        const ShopFiles floor = Copy(files, dir + "/floor");
        Say(QStringLiteral("small: headless run and floor"));
        report.Add("small", Headless(files, dir + "/trace-sql.tsv", floor));
    }
    if (wanted("medium")) {
        const QString dir = work + "/medium";
        const ShopFiles files = MakeSample(MediumShop(dir));
        const ShopFiles floor = Copy(files, dir + "/floor");
        // The headless and window runs alternate, twice each on fresh copies; the
        // quicker of each pair counts, as the other work on a shared machine only
        // ever adds time.
        const std::vector<ShopFiles> copies = {
            Copy(files, dir + "/headless-1"), Copy(files, dir + "/window-1"),
            Copy(files, dir + "/headless-2"), Copy(files, dir + "/window-2")};
        Say(QStringLiteral("medium: headless run (traced) and floor"));
        report.Add("medium", Headless(files, dir + "/trace-sql.tsv", floor));
        CaseResult plain, window;
        for (int pass = 0; pass < 2; ++pass) {
            Say(QStringLiteral("medium: headless run without trace or rebuild, pass %1")
                    .arg(pass + 1));
            plain = Quicker(plain, Headless(copies[2 * pass]));
            Say(QStringLiteral("medium: window run without rebuild, pass %1").arg(pass + 1));
            window = Quicker(window, Window(copies[2 * pass + 1]));
        }
        report.Add("medium headless", plain);
        report.mediumListRows = MediumShop(dir).rows;
        report.Add("medium window", window);
        report.growth[20000] = plain.seconds;
    }
    if (wanted("growth")) {
        for (int rows : {5000, 10000, 20000, 40000}) {
            if (report.growth.count(rows))
                continue;
            const QString dir = work + "/growth-" + QString::number(rows);
            const ShopFiles files = MakeSample(MediumShop(dir, rows));
            // The longest run twice (the quicker counts), as the ratio rests on it.
            const ShopFiles again = Copy(files, dir + "/again");
            Say(QStringLiteral("growth: %1 rows").arg(rows));
            CaseResult r = Headless(files);
            if (rows == 40000)
                r = Quicker(r, Headless(again));
            report.Add("growth " + QString::number(rows / 1000) + "k", r);
            report.growth[rows] = r.seconds;
        }
    }
    // A failed server case costs the server figures only, not the others'.
    bool serverFailed = false;
    if (wanted("server")) {
        try {
            ServerCases(p, work, report);
        } catch (const std::exception& e) {
            Say(QStringLiteral("server cases failed: ") + QString::fromLocal8Bit(e.what()));
            serverFailed = true;
        }
    }
    if (wanted("large")) {
        try {
            LargeCases(work, wanted("server") || only.contains("large"), report);
        } catch (const std::exception& e) {
            Say(QStringLiteral("large cases failed: ") + QString::fromLocal8Bit(e.what()));
            serverFailed = true;
        }
    }
    report.loadAtEnd = LoadAverage();

    QTextStream out(stdout);
    report.Print(out);
    const QString resultsDir = p.value("results");
    if (!resultsDir.isEmpty()) {
        QDir().mkpath(resultsDir);
        const QString path =
            resultsDir + "/" +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + ".csv";
        report.WriteCsv(path);
        out << "\nWritten: " << path << '\n';
    }
    if (serverFailed)
        return 1;
    return report.AllGoalsMet() ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("tolvane-bench"));
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Measures what a Tolvane run costs."));
    p.addHelpOption();
    p.addOptions({
        {"work", "Folder for the sample shops and traces.", "dir",
         QDir::tempPath() + "/tolvane-bench"},
        {"results", "Folder for the CSV file (none: no file).", "dir"},
        {"only", "Only this part: small, medium, growth, server or large (repeatable; large runs on the "
         "server too when the server is there).",
         "part"},
        {"link-address", "The latency link's loopback address; it listens on port 5432 there.",
         "address", "127.0.0.2"},
        {"link-delay", "The latency link's delay each way, in milliseconds.", "ms", "0.25"},
        {"slow-link-address", "The slow link's loopback address; it listens on port 5432 there.",
         "address", "127.0.0.3"},
        {"slow-link-delay", "The slow link's delay each way, in milliseconds.", "ms", "1"},
        {"child", "Internal: one measurement (headless, window, server or floor).", "kind"},
        {"server", "Internal.", "name"},
        {"database", "Internal.", "name"},
        {"shop", "Internal.", "file"},
        {"list", "Internal.", "file"},
        {"trace", "Internal.", "file"},
        {"floor-shop", "Internal.", "file"},
        {"floor-list", "Internal.", "file"},
        {"rebuild", "Internal."},
    });
    p.process(args);
    try {
        if (p.isSet("child"))
            return Child(p, argc, argv);
        QCoreApplication app(argc, argv);
        return Parent(p);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tolvane-bench: %s\n", e.what());
        return 1;
    }
}
