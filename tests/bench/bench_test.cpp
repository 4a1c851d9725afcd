// The benchmark's own parts: the trace read back, the stages, the replay of a run's
// statements, the server goals and the latency link that stands for a network.
#include "bench_cases.h"
#include "bench_report.h"
#include "floor_replay.h"
#include "latency_link.h"
#include "parts/progress.h"
#include "runner/batch_trace.h"
#include "stage_clock.h"
#include "support/shop_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tolvane::bench {
namespace {

TEST(TraceText, EscapesComeBackAndRecordsetEventsBecomeStatements) {
    EXPECT_EQ(batch::EscapeField(QStringLiteral("\\")), "\\\\"); // a backslash alone
    for (const QString& text : {QStringLiteral("a\tb\nc\\d"), QStringLiteral("\\t is not a tab"),
                                QStringLiteral("\\"), QStringLiteral("ราคา 12.5"), QString()})
        EXPECT_EQ(UnescapeField(batch::EscapeField(text)), text);

    EXPECT_EQ(RecordsetStatement("AddNew LastID (NameID, LastID) = ('Pta7', 12)"),
              "Insert Into LastID (NameID, LastID) Values ('Pta7', 12)");
    for (const QString same :
         {"Update LastID Set LastID = 13 Where NameID = 'Pta7' And LastID = 12",
          "Delete From OldID Where NameID = 'Pta7' And OldID = 17"})
        EXPECT_EQ(RecordsetStatement(same), same);
    for (const QString none : {"AddNew LastID", "Seek LastID"})
        EXPECT_EQ(RecordsetStatement(none), "");
}

// The stages are told apart by the progress texts, the stretches of a stage add up,
// and the trip floor counts the shop's reads, counter writes, transactions and connects.
TEST(Stages, ProgressTextsNameTheStagesAndTheUnavoidableRoundTripsAreCounted) {
    using K = TraceKind;
    const QString b = QStringLiteral("TATA");
    const std::vector<std::pair<QString, std::vector<K>>> run = {
        {kPhraseMoving + b, {K::Connect, K::Open, K::Execute}},
        {kPhraseAdding + b + "_1  50 %", {K::Begin, K::Recordset, K::Execute, K::Commit}},
        {kPhraseAdding + b + "  100 %", {K::Execute}}, // a chunk's end: no stage of its own
        {kPhraseChanging + b + "_2  0 %", {K::Execute, K::Close}},
        {kPhraseCheckStart + b, {K::Open}},
        {kPhraseMoving + b, {K::Rollback}},
        {kPhraseCheckStart + b, {}},
        {kPhraseRebuilding + b, {}},
    };
    StageClock clock;
    clock.Start();
    for (const auto& [text, kinds] : run) {
        clock.Progress(text);
        for (K kind : kinds)
            clock.Event(Role::Target, kind, QString());
        clock.Event(Role::Source, K::Open, QString()); // the price-list file is no network
        clock.Row();
    }
    const std::vector<StageFigures> segments = clock.Finish();
    QStringList names;
    for (const StageFigures& s : segments)
        names << s.name;
    EXPECT_EQ(names, (QStringList{"open", "apply: prices", "apply: new parts", "apply: prices",
                                  "check", "apply all", "differences", "rebuild alternates"}));
    for (std::size_t i = 1; i < segments.size(); ++i)
        EXPECT_EQ(segments[i].firstEvent, segments[i - 1].endEvent); // no gaps
    const std::vector<StageFigures> merged = MergeStages(segments);
    ASSERT_EQ(merged.size(), 7u);
    EXPECT_EQ(merged[1].statements, 3 + 2);  // both stretches, the source reads too
    EXPECT_EQ(merged[1].floorRoundTrips, 2); // connect, open
    EXPECT_EQ(merged[2].floorRoundTrips, 3); // begin, counter write, commit
    EXPECT_EQ(merged[4].floorRoundTrips, 1); // rollback
}

// The server and large goals from seconds of the embedded, socket, link and slow link runs,
// the socket and slow link runs with the rebuild and the two large runs (negative: did not
// run, so not measured and no goal missed), the socket run's trips, the rebuild's trips,
// the shop's alternate groups, and the large runs' peak memory.
TEST(Report, ServerGoalsComeFromTheRunsFiguresAndSayMetOrMissed) {
    const std::vector<std::pair<std::vector<double>, QString>> table = {
        {{10, 15, 22.5, 30, 20, 30, 65, 97.5, 10000, 2000, 4000, 409600},
         "round trips / list row 0.50 (<= 0.5) met|link / socket 1.50 (<= 1.5) met|"
         "slow link / socket 2.00 (<= 2.0) met|socket / embedded 1.50 (<= 1.5) met|"
         "rebuild round trips / group 0.50 (<= 0.5) met|rebuild slow link / socket 1.50 (<= 1.5) "
         "met|large / medium time per list row (embedded) 1.30 (<= 1.3) met|large / medium time "
         "per list row (server socket) 1.30 (<= 1.3) met|large peak memory MB (embedded) 400.00 "
         "(<= 400.0) met|large peak memory MB (server socket) 400.00 (<= 400.0) met"},
        {{5, 10, 15.1, -1, 10, 15.1, 65.1, -1, 10001, 2001, 4000, 409700},
         "round trips / list row 0.50 (<= 0.5) MISSED|link / socket 1.51 (<= 1.5) MISSED|"
         "slow link / socket - (<= 2.0) not measured|socket / embedded 2.00 (<= 1.5) MISSED|"
         "rebuild round trips / group 0.50 (<= 0.5) MISSED|rebuild slow link / socket 1.51 (<= "
         "1.5) MISSED|large / medium time per list row (embedded) 2.60 (<= 1.3) MISSED|large / "
         "medium time per list row (server socket) - (<= 1.3) not measured|large peak memory MB "
         "(embedded) 400.10 (<= 400.0) MISSED|large peak memory MB (server socket) - (<= 400.0) "
         "not measured"},
    };
    for (const auto& [figures, goals] : table) {
        Report report(QStringLiteral("1.00 1.00 1.00"));
        report.serverListRows = report.mediumListRows = 20000;
        report.largeListRows = 100000;
        report.serverGroups = int(figures[10]);
        const QString names[] = {kEmbedded,           kServerSocket,          kServerLink,
                                 kServerSlowLink,     kServerSocketRebuild,   kServerSlowLinkRebuild,
                                 kLargeEmbedded,      kLargeServer};
        for (int i = 0; i < 8; ++i) {
            CaseResult r;
            r.roundTrips = std::int64_t(figures[8]);
            r.peakKb = long(figures[11]);
            if (names[i] == kServerSocketRebuild)
                r.stages = {{kRebuildStage, 1, 0, 1, 0, 0, -1, -1, std::int64_t(figures[9])}};
            if ((r.seconds = figures[i]) >= 0)
                report.Add(names[i], r);
        }
        QStringList lines;
        for (const Goal& goal : report.Goals())
            if (goal.name.startsWith(QLatin1String("medium server ")) ||
                goal.name.startsWith(QLatin1String("large")))
                lines << goal.Line().remove(QLatin1String("medium server ")).simplified();
        EXPECT_EQ(lines.join(u'|'), goals);
        EXPECT_EQ(report.AllGoalsMet(), !goals.contains(QLatin1String("MISSED")));
    }
}

TEST(Floor, ARunsReplayLeavesTheCopiesWhereTheRunLeftTheFiles) {
    QTemporaryDir dir;
    const auto [shop, list] = testing::SampleFiles(dir.filePath("run"), 300, 120, 50);
    const ShopFiles run{shop, list};
    QDir().mkpath(dir.filePath("floor"));
    const ShopFiles floor{dir.filePath("floor/Velmora.accdb"), dir.filePath("floor/list.mdb")};
    ASSERT_TRUE(QFile::copy(run.shop, floor.shop) && QFile::copy(run.list, floor.list));

    const CaseResult result = RunHeadless(run, true, dir.filePath("trace.tsv"), floor);
    ASSERT_EQ(result.message, "เสร็จแล้วจ้า");
    EXPECT_EQ(result.floorFailures, 0) << result.firstFloorFailure.toStdString();
    EXPECT_GT(result.statements, 1000);
    for (const StageFigures& s : result.stages)
        EXPECT_GE(s.floorSeconds, 0) << s.name.toStdString(); // every stage got its share
    const QStringList tables = {"Pta7",   "Alt7",  "AltG7", "FacD7",         "PriceList",
                                "LastID", "OldID", "SPG",   "MovementStock", "AltGX"};
    EXPECT_EQ(testing::Dump(floor.shop, tables), testing::Dump(run.shop, tables));
    EXPECT_EQ(testing::Dump(floor.list, {"PriceListAll"}),
              testing::Dump(run.list, {"PriceListAll"}));
}

// A socket on loopback that sends at once and gives up on a silent peer after 10 s.
int Socket(sockaddr_in& at, int port) {
    at = sockaddr_in{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<std::uint16_t>(port));
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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

// Two links to an echo server, both listening before either is used: bytes in order both
// ways, each its own delay, turns counted per link, chunks passed on without delays adding up.
TEST(LatencyLink, KeepsTheBytesInOrderDelaysBothWaysAndCountsTurns) {
    using namespace std::chrono;
    sockaddr_in echoAt;
    const int listener = Socket(echoAt, 0);
    socklen_t size = sizeof echoAt;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&echoAt), size), 0);
    listen(listener, 2);
    getsockname(listener, reinterpret_cast<sockaddr*>(&echoAt), &size);
    std::thread echo([listener] {
        for (int served = 0; served < 2; ++served) { // one connection after the other
            pollfd p{listener, POLLIN, 0};
            const int fd = poll(&p, 1, 10000) == 1 ? accept(listener, nullptr, nullptr) : -1;
            char buffer[4096];
            for (ssize_t n; fd >= 0 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
                send(fd, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL);
            close(fd);
        }
    });
    const milliseconds delays[] = {milliseconds(5), milliseconds(40)};
    LatencyLink fast({"127.0.0.1", 0, "127.0.0.1", ntohs(echoAt.sin_port), delays[0]}),
        slow({"127.0.0.1", 0, "127.0.0.1", ntohs(echoAt.sin_port), delays[1]});
    LatencyLink* links[] = {&fast, &slow};
    for (int i = 0; i < 2; ++i) {
        sockaddr_in linkAt;
        const int fd = Socket(linkAt, links[i]->Port());
        EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&linkAt), sizeof linkAt), 0);
        steady_clock::duration quickest = seconds(10);
        for (const std::string word : {"ping", "pong", "over"}) {
            const auto start = steady_clock::now();
            send(fd, word.data(), word.size(), 0);
            EXPECT_EQ(Receive(fd, word.size()), word);
            quickest = std::min(quickest, steady_clock::now() - start);
        }
        // At least its own delay both ways, and not the other link's.
        EXPECT_GE(quickest, 2 * delays[i]);
        EXPECT_LT(quickest, 2 * delays[i] + milliseconds(60));
        EXPECT_EQ(links[i]->Turns(), 2); // "pong" and "over" answered the server
        // 100 pieces 1 ms apart arrive in order, through `slow` in far less than 100 delays.
        std::string data(100000, '\0');
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<char>(i * 7 % 251);
        const auto start = steady_clock::now();
        std::thread writer([&] {
            for (std::size_t at = 0; at < data.size();
                 at += 1000, std::this_thread::sleep_for(milliseconds(1)))
                send(fd, data.data() + at, 1000, 0);
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
