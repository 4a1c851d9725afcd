// The SQL Server path on a real server: the test run's private PostgreSQL server stands in
// for the shop's SQL Server, reached through the ODBC driver registered as "SQL Server".
#include "command/update_command.h"
#include "shop/pg_server.h"
#include "support/shop_fixture.h"
#include "support/sqlserver_odbc.h"
#include "text/amount.h"
#include "text/failure.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <tuple>

namespace tolvane::testing {
namespace {

using shop::Db;
using shop::Flavour;
using shop::OdbcText;
using shop::PgDatabase;
using shop::PgServer;
using shop::PriceRow;

// The tables a run writes in the shop database.
const QStringList kShopTables = {"Pta7", "Alt7",  "AltG7", "FacD7",  "PriceList", "MovementStock",
                                 "SPG",  "Price", "Sale",  "LastID", "OldID", "AltGX"};

// A shop with parts (one linked, with a factory; one keeping its texts), freed IDs (a Null
// one, one in use), another brand's pool that must stay untouched, and a Null counter.
void SeedShop(QSqlDatabase& db, const QString& version, Flavour flavour = Flavour::PostgreSQL) {
    shop::CreateTargetOn(db, version, kBrand, "TATA", flavour);
    shop::Part kept = ShopPart(6, "", "600", "3", "3", "OWN TEXT");
    kept.UpRec = 1;
    for (const shop::Part& p :
         {ShopPart(1, "A", "100", "1", "1"), ShopPart(2, "", "300", "5", "5"),
          ShopPart(3, "", "400", "9.5", "9.5"), ShopPart(4, "B", "LNK-9", "20", "18"),
          ShopPart(5, "", "500", "2", "2", "O'RING"), kept})
        shop::SeedPartOn(db, version, kBrand, p);
    for (const char* sql :
         {"Insert Into AltG7 Values( 0, 1, 4 )", "Insert Into AltG7 Values( 0, 4, 1 )",
          "Insert Into FacD7 Values( 0, 1, 3 )", "Insert Into Fac Values( 3, 'FAC-3' )",
          "Insert Into OldID Values( 'Pta7', 50 )", "Insert Into OldID Values( 'Pta7', 40 )",
          "Insert Into OldID Values( 'Pta7', 3 )", "Insert Into OldID Values( 'Pta8', 2 )",
          "Insert Into OldID Values( 'Pta7', Null )",
          "Update LastID Set LastID = Null Where NameID = 'Pta7'"})
        shop::ExecOn(db, QString::fromLatin1(sql));
}

// Alternate groups ending the same whatever part heads them (a complete group, a one-way
// link, dead links and placeholders, doubled rows, links of part 0); with `chain`, groups
// whose outcome the queue's order decides (31>32>33; 34, 35 with other factories).
void SeedGroups(QSqlDatabase& db, const QString& version, bool chain = false) {
    for (const int id : {11, 12, 13, 21, 22, 23, 24, 25, 31, 32, 33, 34, 35})
        shop::SeedPartOn(db, version, kBrand, ShopPart(id, "", "G-" + QString::number(id), "1", "1"));
    QStringList rows = {"AltG7 Values( 0, 11, 12 ), ( 0, 11, 13 ), ( 0, 12, 11 ), ( 0, 12, 13 ), "
                        "( 0, 13, 11 ), ( 0, 13, 12 ), ( 0, 21, 22 ), ( 0, 23, 24 ), ( 0, 23, 99 ), "
                        "( 0, 23, 0 ), ( 0, 24, 23 ), ( 0, 25, 0 ), ( 0, 25, 0 ), ( 0, 0, 11 )",
                        "FacD7 Values( 0, 11, 3 ), ( 0, 11, 7 ), ( 0, 12, 3 ), ( 0, 12, 3 ), "
                        "( 0, 13, 3 ), ( 0, 22, 3 ), ( 0, 25, 3 ), ( 0, 25, 3 )"};
    if (chain)
        rows << "AltG7 Values( 0, 31, 32 ), ( 0, 32, 33 ), ( 0, 34, 35 ), ( 0, 35, 34 )"
             << "FacD7 Values( 0, 31, 3 ), ( 0, 33, 4 ), ( 0, 34, 4 ), ( 0, 35, 3 )"
             << "Fac Values( 4, 'FAC-4' )";
    for (const QString& row : rows)
        shop::ExecOn(db, "Insert Into " + row);
}

// Chunk 1 reprices parts and makes new ones with new, existing and equal related numbers;
// chunk 2 lists A-100 at another price and links to parts it creates before and after.
void WriteList(const QString& path) {
    shop::CreateSource(path);
    PriceRow joined = ListRow("C", "NEW-2", "12.5", "11.25");
    joined.lKind = "B";
    joined.lAtNO = "LNK-9";
    joined.AKind = "A";
    joined.AltNO = "100";
    shop::AddChunk(path, 1,
                   {ListRow("A", "100", "150", "140"), ListRow("", "300", "60", "0"),
                    Linked(ListRow("", "NEW-1", "80", "70", "ใหม่"), "LNK-1", "ALT-1"), joined,
                    ListRow("", "500", "33.3333", "30", "โอ'ริง"),
                    ListRow("", "600", "4", "3.5", "NEW TEXT"),
                    Linked(ListRow("", "NEW-4", "9", "8"), "TWIN-1", "TWIN-1")});
    shop::AddChunk(
        path, 2,
        {ListRow("A", "100", "155", "140"), ListRow("", "400", "9.5", "9.5"),
         ListRow("", "NEW-3", "7", "6.5"), Linked(ListRow("", "NEW-5", "5", "5"), "NEW-3"),
         Linked(ListRow("", "NEW-6", "6", "6"), "NEW-7"), ListRow("", "NEW-7", "7", "7"),
         ListRow("B", "100", "21", "20"), ListRow("C", "NEW-8", "8", "8"),
         ListRow("D", "NEW-8", "9", "9")});
}

// A value as both engines agree on it: numbers as amount text, yes/no as 0/1.
QString Normalised(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("Null");
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? "1" : "0";
    const QString text = value.toString();
    if (text == "true" || text == "false")
        return text == "true" ? "1" : "0";
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (number.match(text).hasMatch())
        return Currency::FromVariant(value).ToText();
    return text;
}

// Every row of a table, values normalised and joined by tabs, sorted over all columns.
QStringList TableRows(Db& db, const QString& table) {
    QStringList rows;
    for (const shop::Row& row : db.Query("Select * From " + table)) {
        QStringList cells;
        std::transform(row.begin(), row.end(), std::back_inserter(cells), Normalised);
        rows << cells.join('\t');
    }
    rows.sort();
    return rows;
}

void ExpectSameShop(Db& expected, Db& actual) {
    for (const QString& table : kShopTables) {
        SCOPED_TRACE(table);
        ASSERT_EQ(expected.Columns(table).join(',').toLower(),
                  actual.Columns(table).join(',').toLower());
        EXPECT_EQ(TableRows(expected, table), TableRows(actual, table));
    }
}

// The window's SQL Server fields for a database of the test server.
QStringList SqlServerArgs(const PgServer& server, const QString& database, const QString& password,
                          bool serverMachine) {
    QStringList args{"--sql",  "--server",  server.socketDir, "--database", database,
                     "--user", server.user, "--password",     password};
    if (!serverMachine)
        args << "--client";
    return args;
}

class SqlServerPath : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = shop::PgServerFromEnvironment();
        if (!server_.available())
            GTEST_SKIP() << "TOLVANE_PG_SOCKET_DIR not set: run through scripts/test";
        ASSERT_TRUE(dir_.isValid());
    }

    QString File(const QString& name) const { return dir_.filePath(name); }

    PgServer server_;
    QTemporaryDir dir_;
};

struct RunCase {
    const char* version;
    bool serverMachine; // chkComType checked: the ODBC text; else the sqloledb text
    bool rebuildAlternates;
    bool sqlServerDriver = true; // through the stand-in for SQL Server's own driver
    // The log-in's: one the texts must brace or quote. "Qx7" stands in every piece of it
    // between its braces, quotes, blanks and separators, and nowhere else.
    const char* password = "{Qx7}Qx7\"Qx7=Qx7";
};

class SqlServerRun : public SqlServerPath, public ::testing::WithParamInterface<RunCase> {};

TEST_P(SqlServerRun, LeavesTheRowsTheShopFileRunLeavesAndHidesThePassword) {
    const RunCase c = GetParam();
    const QString version = QString::fromLatin1(c.version);

    const QString fileList = File("file/PriceList_TATA.mdb"), shopFile = File("file/Velmora.accdb");
    ASSERT_TRUE(QDir().mkpath(File("file")) && QDir().mkpath(File("server")));
    WriteList(fileList);
    SeedShop(Db(shopFile).database(), version, Flavour::SQLite);
    QStringList common;
    if (c.rebuildAlternates) {
        common << "--rebuild-alternates";
        SeedGroups(Db(shopFile).database(), version);
    }
    const Result onFile = Runner(
        QStringList{"--price-list", fileList, "--data", shopFile, "--grid", File("file/grid.txt")} +
        common);
    ASSERT_EQ(onFile.status, 0) << onFile.out << onFile.err;

    const shop::PgRole role(server_, QString::fromUtf8(c.password));
    PgDatabase database(server_);
    Db server(OdbcText{database.ConnectionText()});
    SeedShop(server.database(), version,
             c.sqlServerDriver ? Flavour::SqlServer : Flavour::PostgreSQL);
    if (c.rebuildAlternates)
        SeedGroups(server.database(), version);
    const QString serverList = File("server/PriceList_TATA.mdb");
    WriteList(serverList);
    const QString trace = File("server/sql.txt");
    std::optional<SqlServerOdbc> sqlServer;
    if (c.sqlServerDriver)
        sqlServer.emplace();
    const Result onServer = Runner(
        QStringList{"--price-list", serverList, "--trace-sql", trace, "--grid",
                    File("server/grid.txt"), "--report", File("server/report.html")} +
        SqlServerArgs(role.server(), database.name(), role.server().password, c.serverMachine) +
        common);
    ASSERT_EQ(onServer.status, 0) << onServer.out << onServer.err;
    EXPECT_EQ(onServer.out, "0\tเสร็จแล้วจ้า\n");

    Db shop(shopFile);
    ExpectSameShop(shop, server);
    {
        Db a(fileList), b(serverList);
        EXPECT_EQ(TableRows(a, "PriceListAll"), TableRows(b, "PriceListAll"));
    }
    EXPECT_EQ(Lines(File("file/grid.txt")), Lines(File("server/grid.txt")));

    // New parts took the freed IDs first, in part-number order; the Null counter then
    // moved past the highest ID in use (50) for the others.
    EXPECT_EQ(server.Scalar("Select PartID From Pta7 Where PartNO = 'ALT-1'").toInt(), 40);
    EXPECT_EQ(server.Scalar("Select LastID From LastID Where NameID = 'Pta7'").toInt(), 61);

    // Every traced re-open hides the whole password, nothing shows a piece of it; no
    // checked call was undone.
    const QStringList lines = Lines(trace);
    EXPECT_EQ(lines.filter(QRegularExpression("^target\trollback")).size(), 0);
    const QString masked =
        QString(c.serverMachine ? "driver={SQL Server};server=%1;uid=%2;pwd=***;database=%3;"
                                : "Provider=sqloledb;Data Source=%1;Initial Catalog=%3;"
                                  "User Id=%2;Password=***;")
            .arg(server_.socketDir, role.server().user, database.name());
    const QStringList connects = lines.filter(QRegularExpression("^target\tconnect\t"));
    ASSERT_GE(connects.size(), 3); // the command, each chunk, each insertion run
    for (const QString& line : connects)
        EXPECT_EQ(line, "target\tconnect\t" + masked);
    for (const QString& shown : {lines.join('\n'), onServer.err, onServer.out,
                                 QString::fromUtf8(ReadFile(File("server/report.html")))})
        EXPECT_FALSE(shown.contains("Qx7")) << shown;
    EXPECT_FALSE(onServer.err.contains("statement time-out")) << onServer.err;
}

std::string RunCaseName(const ::testing::TestParamInfo<RunCase>& info) {
    return (QString::fromLatin1(info.param.version).left(4).remove('.') +
            (info.param.serverMachine ? "_ServerMachine" : "_OtherMachine") +
            (info.param.rebuildAlternates ? "_Rebuild" : "") +
            (info.param.sqlServerDriver ? "_SqlServerDriver" : ""))
        .toStdString();
}

INSTANTIATE_TEST_SUITE_P(Forms, SqlServerRun,
                         ::testing::Values(RunCase{"V.31", true, true, false, "Qx7}Qx7;Qx7\"Qx7"},
                                           RunCase{"V.31", false, false, false, "\"Qx7\"Qx7"},
                                           RunCase{"P.49 (Bar)", false, true, false, " Qx7's Qx7 "},
                                           RunCase{"V.31", true, true},
                                           RunCase{"P.45 (Bar)", false, false}),
                         RunCaseName);

// Every other row layout once.
INSTANTIATE_TEST_SUITE_P(
    Layouts, SqlServerRun,
    ::testing::Values(RunCase{"V.33", true, false}, RunCase{"V.34", false, false},
                      RunCase{"V.42", true, false}, RunCase{"V.43", false, false},
                      RunCase{"V.45", true, false}, RunCase{"V.46 (Bar)", false, false},
                      RunCase{"P.43", true, false}, RunCase{"P.44 (Bar)", false, false},
                      RunCase{"P.45 (Bar)", true, true}, RunCase{"P.46 (Bar)", false, false},
                      RunCase{"P.48 (Bar)", true, false}, RunCase{"P.52", false, true},
                      RunCase{"P.61 (Bar)", true, false}, RunCase{"P.64 (Bar)", false, false}),
    RunCaseName);

// A window whose fields reach the test server as the program reaches SQL Server, and the list.
void PointAtServer(RecordingWindow& window, const PgServer& server, const QString& database,
                   const QString& list) {
    auto& f = window.fields;
    std::tie(f.txtPriceList, f.txtServer, f.txtdbq, f.txtuid, f.txtpwd, f.optAccess, f.chkComType) =
        std::tuple(list, server.socketDir, database, server.user, server.password, false, true);
}

// Two runs started at once on one database: one finishes, the other is refused
// before it writes, and the shop holds what one run alone leaves.
TEST_F(SqlServerPath, TwoRunsAtOnceLeaveWhatOneRunLeaves) {
    PgDatabase database(server_), alone(server_);
    for (const PgDatabase* db : {&database, &alone})
        SeedShop(Db(OdbcText{db->ConnectionText()}).database(), "V.31");
    const QString list = File("PriceList_TATA.mdb");
    std::vector<shop::PriceRow> rows;
    for (int i = 1; i <= 300; ++i)
        rows.push_back(ListRow("", QString("N-%1").arg(i), "10", "9"));
    shop::CreateSource(list);
    shop::AddChunk(list, 1, rows);
    const QStringList toAlone{"--price-list", list};
    ASSERT_EQ(Runner(toAlone + SqlServerArgs(server_, alone.name(), server_.password, true)).status, 0);

    // The second run starts while the first holds its lock (stopped mid-run).
    const QStringList args = QStringList{"--price-list", list} +
                             SqlServerArgs(server_, database.name(), server_.password, true);
    Db watch(OdbcText{database.ConnectionText()});
    QProcess a, b;
    a.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"), args);
    QElapsedTimer waited;
    waited.start();
    while (watch.Scalar("Select Count(*) From pg_locks Where locktype = 'advisory' And database = "
                        "(Select oid From pg_database Where datname = current_database())")
                   .toInt() == 0 &&
           waited.elapsed() < 60000)
        QThread::msleep(2);
    ASSERT_EQ(kill(static_cast<pid_t>(a.processId()), SIGSTOP), 0);
    b.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"), args);
    ASSERT_TRUE(b.waitForFinished(120000));
    kill(static_cast<pid_t>(a.processId()), SIGCONT);
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_EQ(a.exitCode(), 0);
    ASSERT_EQ(b.exitCode(), 1);
    const QString refusal = QString::fromUtf8(b.readAllStandardError());
    EXPECT_TRUE(refusal.startsWith("Another run is working on this shop since ")) << refusal;
    EXPECT_TRUE(refusal.contains("มีการปรับราคาของร้านนี้กำลังทำอยู่จากเครื่อง ")) << refusal;
    Db one(OdbcText{database.ConnectionText()}), other(OdbcText{alone.ConnectionText()});
    ExpectSameShop(other, one);
}

// A statement held up by another session's lock ends the run after the command
// time-out, with the driver's time-out as detail, and nothing after it is written.
TEST_F(SqlServerPath, AStatementBlockedByALockEndsTheRunAfterTheTimeOut) {
    PgDatabase database(server_);
    Db server(OdbcText{database.ConnectionText()});
    SeedShop(server.database(), "V.31");
    const QString list = File("PriceList_TATA.mdb");
    WriteList(list);
    Db holder(OdbcText{database.ConnectionText()});
    holder.database().transaction();
    holder.Exec("Update Pta7 Set Model = 'HELD' Where PartID = 2"); // part 300, second row

    RecordingWindow window;
    PointAtServer(window, server_, database.name(), list);
    RunState st(window);
    st.commandTimeoutOverride = 2;
    QElapsedTimer clock;
    clock.start();
    cmdUpDate_Click(st);
    const qint64 elapsed = clock.elapsed();
    holder.database().rollback();

    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "ไม่สามรถบันทึกได้");
    EXPECT_TRUE(window.messages[0].detail.contains("statement timeout"))
        << window.messages[0].detail;
    EXPECT_EQ(
        window.messages[0].advice,
        ThaiSentence(Failure::FileHeld, {DatabaseInThai(server_.socketDir, database.name())}));
    EXPECT_GE(elapsed, 2000);
    EXPECT_LT(elapsed, 30000);
    // The first row was applied, nothing after the blocked one.
    EXPECT_EQ(Normalised(server.Scalar("Select Price From Pta7 Where PartID = 1")), "150");
    EXPECT_EQ(server.Count("Pta7", "PartNO = 'NEW-1'"), 0);
    EXPECT_EQ(Normalised(server.Scalar("Select Price From Pta7 Where PartID = 5")), "2");
}

// A driver that refuses the statement time-out (SQLite's, registered as "SQL Server"):
// the run goes on and says so once, though it opens the shop again and again.
TEST_F(SqlServerPath, ADriverThatRefusesTheTimeOutIsNamedOnce) {
    const QSettings ini(qEnvironmentVariable("ODBCSYSINI") + "/odbcinst.ini", QSettings::IniFormat);
    WriteFile(File("odbcinst.ini"),
              ("[SQL Server]\nDriver = " + ini.value("SQLite3/Driver").toString()).toUtf8());
    const QString shopFile = File("Velmora.accdb"), list = File("PriceList_TATA.mdb");
    SeedShop(Db(shopFile).database(), "V.31", Flavour::SQLite);
    WriteList(list);
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ODBCSYSINI", dir_.path());
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
              {"--sql", "--server", "S", "--database", shopFile, "--user", "U", "--password", "P",
               "--price-list", list, "--trace-sql", File("sql.txt")});
    ASSERT_TRUE(run.waitForFinished(120000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardOutput()), "0\tเสร็จแล้วจ้า\n") << err;
    EXPECT_EQ(err.split('\n').filter("statement time-out"),
              QStringList{"statement time-out: the ODBC driver of the shop database refused a "
                          "time-out of 100 s; its statements run without one."});
    EXPECT_GE(Lines(File("sql.txt")).filter(QRegularExpression("^target\tconnect\t")).size(), 3);
}

// A failed log-in (a wrong password, one Qt would take for a file DSN) shows no piece of it.
TEST_F(SqlServerPath, AFailedLogInShowsNoPieceOfThePassword) {
    const shop::PgRole role(server_, "{Qx7}Qx7right");
    const QString list = File("PriceList_TATA.mdb");
    WriteList(list);
    for (const auto& [given, failure, kind] :
         {std::tuple{"{Qx7}Qx7wrong", "password authentication failed", Failure::LoginRefused},
          std::tuple{"Qx7.dsnQx7", "file DSN", Failure::Unexpected}}) {
        for (const bool serverMachine : {true, false}) {
            SCOPED_TRACE(QString("%1 %2").arg(given).arg(serverMachine));
            const Result r =
                Runner(QStringList{"--price-list", list, "--trace-sql", File("sql.txt"), "--report",
                                   File("report.html")} +
                       SqlServerArgs(role.server(), server_.database, given, serverMachine));
            EXPECT_EQ(r.out, "0\tไม่สามรถบันทึกได้\n");
            EXPECT_TRUE(r.err.contains(failure)) << r.err;
            EXPECT_TRUE(r.err.endsWith(ThaiSentence(kind, {server_.socketDir}) + "\n")) << r.err;
            for (const QString& shown : {r.err, QString::fromUtf8(ReadFile(File("sql.txt"))),
                                         QString::fromUtf8(ReadFile(File("report.html")))})
                EXPECT_FALSE(shown.contains("Qx7")) << shown;
        }
    }
}

// Sessions dropped mid-run: the clerk is told the connection was lost.
TEST_F(SqlServerPath, ASessionDroppedMidRunIsALostConnection) {
    PgDatabase database(server_);
    Db server(OdbcText{database.ConnectionText()});
    SeedShop(server.database(), "V.31");
    const QString list = File("PriceList_TATA.mdb");
    WriteList(list);
    struct DropAtSecondChunk : TraceSink {
        Db* server = nullptr;
        void Event(Role role, TraceKind kind, const QString& text) override {
            if (role == Role::Source && kind == TraceKind::Open && text.contains("PriceList_2"))
                server->Exec("Select pg_terminate_backend(pid) From pg_stat_activity Where "
                             "datname = current_database() And pid <> pg_backend_pid()");
        }
    } dropper;
    dropper.server = &server;
    RecordingWindow window;
    PointAtServer(window, server_, database.name(), list);
    RunState st(window, DataHooks{&dropper, nullptr});
    cmdUpDate_Click(st);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].advice, ThaiSentence(Failure::ConnectionLost, {server_.socketDir}))
        << window.messages[0].detail;
}

// The shop as the run finds it (after SeedShop) and a trigger on Pta7 acting besides the run.
struct ServerSide {
    const char* name;
    QStringList setup;
    const char* body;    // of the trigger's PL/pgSQL function
    const char* trigger; // when it fires
    QString message;     // how the run ends
};

const QString kCounterAt50 = "Update LastID Set LastID = 50 Where NameID = 'Pta7'";

const QString kDone = "เสร็จแล้วจ้า", kFailed = "ไม่สามรถบันทึกได้";

// clang-format off
const ServerSide kServerSides[] = {
    {"a shop in order", {kCounterAt50}, "", "", kDone},
    {"a Null counter and a freed ID in use", {}, "", "", kDone},
    {"a counter behind free IDs below the highest", {"Update Pta7 Set PartID = 60 Where PartID = 6",
     "Update LastID Set LastID = 44 Where NameID = 'Pta7'"}, "", "", kDone},
    {"a freed ID listed twice", {kCounterAt50, "Insert Into OldID Values( 'Pta7', 40 )"}, "", "",
     kDone},
    // A write the server refuses in the middle of chunk 1.
    {"a failing statement", {kCounterAt50}, "BEGIN RAISE EXCEPTION 'price refused'; END",
     "BEFORE UPDATE ON Pta7 FOR EACH ROW WHEN (NEW.Price = 33.3333)", kFailed},
    // A write the server keeps otherwise than written: its read-back never finds it.
    {"a read-back that finds nothing", {kCounterAt50},
     "BEGIN NEW.Price := NEW.Price + 1; RETURN NEW; END",
     "BEFORE UPDATE ON Pta7 FOR EACH ROW WHEN (NEW.Price = 60)", kFailed},
    // A new part the server refuses, among others sent in the same call.
    {"a new part refused", {kCounterAt50}, "BEGIN RAISE EXCEPTION 'part refused'; END",
     "BEFORE INSERT ON Pta7 FOR EACH ROW WHEN (NEW.PartNO = 'TWIN-1')", kFailed},
    // Another program draws a hundred IDs while NEW-2 is created.
    {"another session moving LastID", {kCounterAt50},
     "BEGIN UPDATE LastID SET LastID = LastID + 100 WHERE NameID = 'Pta7'; RETURN NULL; END",
     "AFTER INSERT ON Pta7 FOR EACH ROW WHEN (NEW.PartNO = 'NEW-2')", kDone},
};
// clang-format on

// A run through the stand-in for SQL Server's driver; the round trips the shop waited for.
int RunOnStandIn(RecordingWindow& window, const PgServer& server, const PgDatabase& database,
                 const QString& list, bool bySet = true, SqlServerOdbc::Database modelled = {}) {
    PointAtServer(window, server, database.name(), list);
    TraceLog trace;
    RunState st(window, DataHooks{&trace, nullptr, bySet});
    const SqlServerOdbc sqlServer(modelled);
    cmdUpDate_Click(st);
    EXPECT_EQ(window.messages.size(), 1u);
    return trace.targetRoundTrips;
}

// The same run by the set and statement by statement, each on a shop `seed` makes: both end
// with `message` and the same detail and leave the same shop. The round trips of each.
std::pair<int, int> BothWays(const PgServer& server, const QTemporaryDir& dir,
                             const std::function<void(Db&)>& seed,
                             const std::function<void(const QString&)>& writeList,
                             const QString& message, bool rebuild = false) {
    std::vector<int> trips;
    std::vector<RecordingWindow> windows(2);
    std::vector<std::unique_ptr<PgDatabase>> databases;
    for (const bool bySet : {true, false}) {
        databases.push_back(std::make_unique<PgDatabase>(server));
        {
            Db shop(OdbcText{databases.back()->ConnectionText()});
            seed(shop);
        }
        const QString list = dir.filePath(QString("list-%1.mdb").arg(bySet));
        QFile::remove(list);
        writeList(list);
        RecordingWindow& window = windows[bySet ? 0 : 1];
        window.fields.chkLikelAt = rebuild;
        trips.push_back(RunOnStandIn(window, server, *databases.back(), list, bySet));
        if (window.messages.empty())
            return {};
        EXPECT_EQ(window.messages[0].text, message) << window.messages[0].detail;
    }
    EXPECT_EQ(windows[0].messages[0].detail, windows[1].messages[0].detail);
    Db a(OdbcText{databases[0]->ConnectionText()}), b(OdbcText{databases[1]->ConnectionText()});
    ExpectSameShop(a, b);
    return {trips[0], trips[1]};
}

// By the set or one by one, a run leaves the same shop and ends alike whatever the server
// does besides; by the set it waits far fewer times.
TEST_F(SqlServerPath, ARunByTheSetEndsAsARunStatementByStatement) {
    for (const ServerSide& side : kServerSides) {
        SCOPED_TRACE(side.name);
        const auto seed = [&](Db& shop) {
            SeedShop(shop.database(), "P.49 (Bar)", Flavour::SqlServer);
            for (const QString& statement : side.setup)
                shop.Exec(statement);
            if (*side.body) {
                shop.Exec(QString("Create Function tolvane_side() Returns trigger As $$ %1 $$ "
                                  "Language plpgsql")
                              .arg(side.body));
                shop.Exec(QString("Create Trigger tolvane_side %1 Execute Function tolvane_side()")
                              .arg(side.trigger));
            }
        };
        const auto [bySet, byStatement] = BothWays(server_, dir_, seed, WriteList, side.message);
        if (side.setup == QStringList{kCounterAt50} && !*side.body)
            EXPECT_LT(bySet * 4, byStatement) << bySet << " against " << byStatement;
    }
}

// The rebuild by the set takes heads in the database's order as one by one does, so even
// order-dependent groups end the same, and a link refused mid-rebuild ends both alike.
TEST_F(SqlServerPath, TheRebuildByTheSetEndsAsTheRebuildStatementByStatement) {
    for (const char* refused : {"", "NEW.AltID = 32"}) {
        SCOPED_TRACE(refused);
        const auto seed = [&](Db& shop) {
            SeedShop(shop.database(), "V.31", Flavour::SqlServer);
            shop.Exec(kCounterAt50);
            SeedGroups(shop.database(), "V.31", true);
            if (!*refused)
                return;
            shop.Exec("Create Function tolvane_side() Returns trigger As $$ BEGIN RAISE EXCEPTION "
                      "'link refused'; END $$ Language plpgsql");
            shop.Exec(QString("Create Trigger tolvane_side BEFORE INSERT ON AltG7 FOR EACH ROW "
                              "WHEN (%1) Execute Function tolvane_side()")
                          .arg(refused));
        };
        const auto [bySet, byStatement] =
            BothWays(server_, dir_, seed, WriteList, *refused ? kFailed : kDone, true);
        if (!*refused) {
            EXPECT_LT(bySet * 4, byStatement) << bySet << " against " << byStatement;
        }
    }
}

// Where the list leaves the database's order a choice (a new part named twice, a number
// under two kinds looked up without a kind), the set takes one, and the check names it.
TEST_F(SqlServerPath, ARunByTheSetTakesOneOfTheChoicesTiedRowsAllow) {
    PgDatabase database(server_);
    Db shop(OdbcText{database.ConnectionText()});
    SeedShop(shop.database(), "V.31", Flavour::SqlServer);
    shop::SeedPartOn(shop.database(), "V.31", kBrand, ShopPart(7, "B", "100", "1", "1"));
    const QString list = File("list.mdb");
    shop::CreateSource(list);
    shop::AddChunk(list, 1,
                   {ListRow("", "TIE-1", "10", "10", "FIRST"),
                    ListRow("", "TIE-1", "11", "11", "SECOND"), ListRow("", "tie-1", "12", "12"),
                    Linked(ListRow("", "NEW-9", "9", "9"), "100")});
    RecordingWindow window;
    RunOnStandIn(window, server_, database, list);
    ASSERT_EQ(window.messages.at(0).text, "เสร็จแล้วจ้า");
    // The modelled collation (..._CI_AS) takes tie-1 for TIE-1.
    EXPECT_TRUE(window.notices.contains("TIE-1 is named three times in chunk 1 with different "
                                        "values: if the shop lacks it, the database's order "
                                        "decides which line creates it"))
        << window.notices.join('\n');
    const std::vector<shop::Row> tie =
        shop.Query("Select Price, TName From Pta7 Where PartNO = 'TIE-1'");
    ASSERT_EQ(tie.size(), 1u);
    const QString made = Normalised(tie[0][0]) + " " + tie[0][1].toString();
    EXPECT_TRUE(made == "10 FIRST" || made == "11 SECOND") << made;
    QStringList linked;
    for (const shop::Row& row : shop.Query("Select AltID From AltG7 Where PartID = (Select PartID "
                                           "From Pta7 Where PartNO = 'NEW-9')"))
        linked << row[0].toString();
    EXPECT_TRUE(linked == QStringList{"1"} || linked == QStringList{"7"}) << linked.join(' ');
}

// Columns that cannot hold Thai or a list text, an application lock the server failed to
// take: refused before the first write. A Thai collation's varchar holds Thai.
TEST_F(SqlServerPath, TheServerIsAskedBeforeTheFirstWrite) {
    const std::tuple<SqlServerOdbc::Database, QString, QString> cases[] = {
        {{"SQL_Latin1_General_CP1_CI_AS", 1252, false},
         "cannot hold Thai text in alt7.kind: the column is text under the collation "
         "SQL_Latin1_General_CP1_CI_AS (code page 1252)", ""},
        {{"Thai_CI_AS", 874, false, 0, true}, "", ""}, // sessions start with NOCOUNT ON
        {{"Thai_CI_AS", 874, true, -3},
         "sp_getapplock answered -3 (the request was chosen as a deadlock victim)", ""},
        {{}, "\nPriceList_1, row 1 (part 100): Pta7.Model holds 4 characters, the run would write "
             "5 there ('MODEL')", "Alter Table Pta7 Alter Column Model Type varchar(4)"},
        {{}, "(part 100): Pta7.Price holds 2 digits before the point, the run would write 150",
         "Alter Table Pta7 Alter Column Price Type numeric(4, 2)"},
    };
    for (const auto& [modelled, refusal, setup] : cases) {
        SCOPED_TRACE(refusal.toStdString());
        PgDatabase database(server_);
        Db shop(OdbcText{database.ConnectionText()});
        SeedShop(shop.database(), "V.31", Flavour::SqlServer);
        if (!setup.isEmpty())
            shop.Exec(setup);
        const auto rows = [&] {
            QStringList all;
            for (const QString& table : kShopTables)
                all << table << TableRows(shop, table);
            return all;
        };
        const QStringList before = rows();
        const QString list = File("list.mdb");
        QFile::remove(list);
        WriteList(list);
        RecordingWindow window;
        RunOnStandIn(window, server_, database, list, true, modelled);
        ASSERT_FALSE(window.messages.empty());
        const RecordingWindow::Message shown = window.messages[0];
        if (refusal.isEmpty()) {
            EXPECT_EQ(shown.text, kDone) << shown.detail;
            EXPECT_EQ(shop.Scalar("Select TName From Pta7 Where PartNO = 'NEW-1'").toString(),
                      "ใหม่");
            continue;
        }
        EXPECT_EQ(shown.text, kFailed);
        EXPECT_TRUE(shown.detail.contains(refusal)) << shown.detail;
        EXPECT_EQ(rows(), before);
    }
}

// Under a case-insensitive collation (ICU's stand for SQL Server's) equating digits of two
// scripts, kana, stroked letters, case: a number the set creates is found as the server does.
TEST_F(SqlServerPath, UnderACaseInsensitiveCollationTheSetEndsAsStatementByStatement) {
    const auto writeList = [](const QString& list) {
        shop::CreateSource(list);
        shop::AddChunk(
            list, 1,
            {Linked(ListRow("", "NEW-A", "1", "1"), "ZX-1"),
             Linked(ListRow("", "NEW-B", "2", "2"), "ZX-๑"), ListRow("", "カタ-1", "3", "3"),
             Linked(ListRow("", "NEW-C", "4", "4"), "かた-1"), ListRow("", "ZØ-1", "5", "5"),
             Linked(ListRow("", "NEW-D", "6", "6"), "ZO-1"), ListRow("", "zx-2", "7", "7"),
             Linked(ListRow("", "NEW-E", "8", "8"), "ZX-2"), ListRow("A", "ZX-๑", "9", "9"),
             ListRow("a", "zx-1", "9", "9")});
    };
    for (const QString level : {"level2", "level1"}) {
        SCOPED_TRACE(level.toStdString());
        const auto seed = [&](Db& shop) {
            SeedShop(shop.database(), "V.31", Flavour::SqlServer);
            // Freed IDs and a counter the set draws from without a repair.
            shop.Exec(kCounterAt50);
            shop.Exec("Delete From OldID Where OldID Is Null Or OldID = 3");
            shop.Exec("Create Collation tolvane_ci (provider = icu, locale = 'und-u-ks-" + level +
                      "', deterministic = false)");
            for (const QString& column : {"Pta7.Kind", "Pta7.PartNO", "Pta7.FPartNO",
                                          "PriceList.Kind", "PriceList.PartNO"})
                shop.Exec(QString("Alter Table %1 Alter Column %2 Type Text Collate tolvane_ci")
                              .arg(column.section('.', 0, 0), column.section('.', 1)));
        };
        const auto [bySet, byStatement] = BothWays(server_, dir_, seed, writeList, kDone);
        EXPECT_LT(bySet * 2, byStatement) << "the run by the set went by the set";
    }
}

} // namespace
} // namespace tolvane::testing
