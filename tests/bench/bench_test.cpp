// The benchmark's own parts: reading the statement trace back, telling the stages
// apart by their progress texts, replaying a run's statements so that the copy ends
// exactly where the run left the shop, the round trips a run cannot avoid, and the
// latency link that stands for a network.
#include "app/batch_trace.h"
#include "bench_cases.h"
#include "floor_replay.h"
#include "latency_link.h"
#include "parts/progress.h"
#include "sample_generate.h"
#include "sample_shop.h"
#include "stage_clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tolvane::bench {
namespace {

// Every row of every listed table, in row order, as one text.
QString Dump(const QString& path, const QStringList& tables) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    QString out;
    for (const QString& table : tables) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = ("Select * From " + table + " Order By rowid").toUtf8();
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr), SQLITE_OK)
            << table.toStdString();
        out += table + ":\n";
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* text = sqlite3_column_text(stmt, c);
                out += (text ? QString::fromUtf8(reinterpret_cast<const char*>(text))
                             : QStringLiteral("<null>")) +
                       u'|';
            }
            out += u'\n';
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

TEST(TraceText, EscapesComeBackAndRecordsetEventsBecomeStatements) {
    EXPECT_EQ(batch::EscapeField(QStringLiteral("\\")), "\\\\"); // a backslash alone
    for (const QString& text : {QStringLiteral("a\tb\nc\\d"), QStringLiteral("\\t is not a tab"),
                                QStringLiteral("\\"), QStringLiteral("ราคา 12.5"), QString()})
        EXPECT_EQ(UnescapeField(batch::EscapeField(text)), text);

    EXPECT_EQ(RecordsetStatement("AddNew LastID (NameID, LastID) = ('Pta7', 12)"),
              "Insert Into LastID (NameID, LastID) Values ('Pta7', 12)");
    const QString update = "Update LastID Set LastID = 13 Where NameID = 'Pta7' And LastID = 12";
    EXPECT_EQ(RecordsetStatement(update), update);
    const QString remove = "Delete From OldID Where NameID = 'Pta7' And OldID = 17";
    EXPECT_EQ(RecordsetStatement(remove), remove);
    EXPECT_EQ(RecordsetStatement("AddNew LastID"), "");
    EXPECT_EQ(RecordsetStatement("Seek LastID"), "");
}

TEST(Stages, ProgressTextsOfARunNameItsStages) {
    const QString b = QStringLiteral("TATA");
    const std::vector<std::pair<QString, QString>> run = {
        {kPhraseMoving + b, "apply: prices"},
        {kPhraseChanging + b + "_1  0 %", "apply: prices"},
        {kPhraseAdding + b + "_1  50 %", "apply: new parts"},
        {kPhraseAdding + b + "  100 %", "apply: new parts"}, // the chunk's end
        {kPhraseChanging + b + "_2  0 %", "apply: prices"},
        {kPhraseCheckStart + b, "check"},
        {kPhraseChecking + b + "_1  50 %", "check"},
        {kPhraseMoving + b, "apply all"},
        {kPhraseChanging + b + "_All  50 %", "apply all"},
        {kPhraseAdding + b + "  100 %", "apply all"},
        {kPhraseCheckStart + b, "differences"},
        {kPhraseChecking + b + "_2  100 %", "differences"},
        {kPhraseRebuilding + b, "rebuild alternates"},
    };
    StageClock clock;
    clock.Start();
    for (const auto& [text, stage] : run) {
        clock.Progress(text);
        clock.Event(Role::Target, TraceKind::Execute, QStringLiteral("Select 1"));
        clock.Event(Role::Target, TraceKind::Begin, QString()); // not a statement
        clock.Row();
    }
    const std::vector<StageFigures> segments = clock.Finish();
    QStringList names;
    for (const StageFigures& s : segments)
        names << s.name;
    EXPECT_EQ(names, (QStringList{"open", "apply: prices", "apply: new parts", "apply: prices",
                                  "check", "apply all", "differences", "rebuild alternates"}));
    // Events are numbered without gaps from one stretch to the next.
    for (std::size_t i = 1; i < segments.size(); ++i)
        EXPECT_EQ(segments[i].firstEvent, segments[i - 1].endEvent);
    EXPECT_EQ(segments.back().endEvent, 2 * static_cast<std::int64_t>(run.size()));

    const std::vector<StageFigures> merged = MergeStages(segments);
    ASSERT_EQ(merged.size(), 7u);
    EXPECT_EQ(merged[1].name, "apply: prices");
    EXPECT_EQ(merged[1].statements, 3); // 2 + 1 from its two stretches
    EXPECT_EQ(merged[1].rows, 3);
}

TEST(Floor, ARunsReplayLeavesTheCopiesWhereTheRunLeftTheFiles) {
    QTemporaryDir dir;
    sample::Options options;
    options.outDir = dir.filePath("run");
    options.parts = 300;
    options.rows = 120;
    options.chunk = 50;
    options.movement = 600;
    options.seed = 3;
    const sample::Summary made = sample::Generate(options);
    const ShopFiles run{made.shopPath, made.listPath};
    QDir().mkpath(dir.filePath("floor"));
    const ShopFiles floor{dir.filePath("floor/Velmora.accdb"), dir.filePath("floor/list.mdb")};
    ASSERT_TRUE(QFile::copy(run.shop, floor.shop) && QFile::copy(run.list, floor.list));

    const CaseResult result = RunHeadless(run, true, dir.filePath("trace.tsv"), floor);
    ASSERT_EQ(result.message, "เสร็จแล้วจ้า");
    EXPECT_EQ(result.floorFailures, 0) << result.firstFloorFailure.toStdString();
    EXPECT_GT(result.statements, 1000);
    EXPECT_GT(result.floorSeconds, 0);

    const QString b = QString::number(sample::kBrandID);
    const QStringList shopTables = {"Pta" + b, "Alt" + b, "AltG" + b, "FacD" + b,      "PriceList",
                                    "LastID",  "OldID",   "SPG",      "MovementStock", "AltGX"};
    const QString after = Dump(run.shop, shopTables);
    EXPECT_NE(after, QString()); // sanity: the run's tables are there
    EXPECT_EQ(Dump(floor.shop, shopTables), after);
    EXPECT_EQ(Dump(floor.list, {"PriceListAll"}), Dump(run.list, {"PriceListAll"}));
    // Every stage the run went through got its share of the floor.
    for (const StageFigures& s : result.stages)
        EXPECT_GE(s.floorSeconds, 0) << s.name.toStdString();
}

TEST(Stages, UnavoidableRoundTripsAreTheShopsReadsCounterWritesTransactionsAndConnects) {
    using K = TraceKind;
    StageClock clock;
    clock.Start();
    for (K kind : {K::Connect, K::Open, K::Execute, K::Execute, K::Begin, K::Recordset})
        clock.Event(Role::Target, kind, QString());
    for (K kind : {K::Connect, K::Open, K::Execute}) // the price-list file is no network
        clock.Event(Role::Source, kind, QString());
    clock.Progress(kPhraseCheckStart + QStringLiteral("TATA"));
    for (K kind : {K::Execute, K::Commit, K::Begin, K::Execute, K::Rollback, K::Close})
        clock.Event(Role::Target, kind, QString());
    clock.RoundTrip(Role::Target);
    const std::vector<StageFigures> stages = clock.Finish();
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[0].floorRoundTrips, 4);
    EXPECT_EQ(stages[1].floorRoundTrips, 3);
    EXPECT_EQ(stages[1].roundTrips, 1);
    EXPECT_EQ(stages[1].sourceRoundTrips, 0);
}

// A loopback address, and a socket that sends at once and gives up on a silent peer
// after 10 s.
sockaddr_in At(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}
int Socket() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}
std::string Receive(int fd, std::size_t size) {
    std::string got(size, '\0');
    const ssize_t n = recv(fd, got.data(), size, MSG_WAITALL);
    return got.substr(0, n < 0 ? 0 : static_cast<std::size_t>(n));
}

TEST(LatencyLink, KeepsTheBytesInOrderDelaysBothWaysAndCountsTurns) {
    using namespace std::chrono;
    const int listener = Socket();
    sockaddr_in echoAt = At(0);
    socklen_t size = sizeof echoAt;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&echoAt), size), 0);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&echoAt), &size);
    std::thread echo([listener] { // answers every chunk with its bytes
        pollfd p{listener, POLLIN, 0};
        const int fd = poll(&p, 1, 10000) == 1 ? accept(listener, nullptr, nullptr) : -1;
        char buffer[4096];
        for (ssize_t n; fd >= 0 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
            send(fd, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL);
        close(fd);
    });
    {
        LatencyLink link({"127.0.0.1", 0, "127.0.0.1", ntohs(echoAt.sin_port), milliseconds(20)});
        const int fd = Socket();
        const sockaddr_in linkAt = At(link.Port());
        EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&linkAt), sizeof linkAt), 0);
        for (const std::string word : {"ping", "pong", "over"}) {
            const auto start = steady_clock::now();
            send(fd, word.data(), word.size(), 0);
            EXPECT_EQ(Receive(fd, word.size()), word);
            EXPECT_GE(steady_clock::now() - start, milliseconds(40));
        }
        EXPECT_EQ(link.Turns(), 2); // "pong" and "over" answered the server
        // 100 pieces, 1 ms apart, sent while the answer flows back, arrive in order,
        // in far less than one delay after another (2 s).
        std::string data;
        for (int i = 0; i < 100000; ++i)
            data += static_cast<char>(i * 7 % 251);
        const auto start = steady_clock::now();
        std::thread writer([&] {
            for (std::size_t at = 0; at < data.size(); at += 1000) {
                send(fd, data.data() + at, 1000, 0);
                std::this_thread::sleep_for(milliseconds(1));
            }
        });
        EXPECT_TRUE(Receive(fd, data.size()) == data);
        writer.join();
        EXPECT_LT(steady_clock::now() - start, seconds(1));
        close(fd);
    }
    echo.join();
    close(listener);
}

} // namespace
} // namespace tolvane::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the SQL drivers are plugins
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
