#include "data/connection_texts.h"
#include "data/open_connection.h"
#include "data/run_state.h"
#include "data/version_brand.h"
#include "support/qt_print.h"
#include "support/recording_window.h"
#include "support/sqlite_file.h"
#include "text/error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::FaultPlan;
using testing::RecordingWindow;
using testing::SqliteExec;
using testing::TraceLog;

class Target : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("Velmora.accdb");
        SqliteExec(path, {"Create Table System (Ver TEXT)",
                          "Create Table Brand (BrandID INTEGER, BrandName TEXT)"});
        window.fields.txtDataVelmora = " " + path + " ";
    }

    QTemporaryDir dir;
    QString path;
    RecordingWindow window;
};

TEST_F(Target, TheAccessFileOpensWithTheFirstPasswordThenTheSecond) {
    for (const QString refused : {"", "PWD=QEX418256", "UID=admin"}) {
        SCOPED_TRACE(refused);
        FaultPlan faults;
        faults.refuseConnectWith = refused;
        TraceLog log;
        RunState st(window, {&log, &faults});
        if (refused == "UID=admin") {
            EXPECT_THROW(OpenConnection(st), Error);
            EXPECT_EQ(st.cnData->State(), Connection::adStateClosed);
            continue;
        }
        OpenConnection(st);
        EXPECT_EQ(st.cnData->ConnectionString(), AccessTargetText(path, !refused.isEmpty()));
        EXPECT_EQ(st.cnData->CommandTimeout(), 20);
        EXPECT_EQ(st.cnData->CursorLocation(), 2);
        EXPECT_EQ(log.Of("connect").size(), refused.isEmpty() ? 1 : 2);
        EXPECT_TRUE(window.messages.empty());
    }
}

TEST_F(Target, ReopeningDiscardsTheOpenConnectionAndReadsTheFieldsAgain) {
    TraceLog log;
    RunState st(window, {&log, nullptr});
    OpenConnection(st);
    ReopenTarget(st);
    EXPECT_NE(st.cnData.get(), nullptr);
    EXPECT_EQ(st.cnData->State(), Connection::adStateOpen);
    EXPECT_EQ(log.lines.filter("\tclose").size(), 1);
    EXPECT_EQ(log.Of("connect").size(), 2);
}

TEST_F(Target, VersionIsReadTrimmedAndCheckedExactly) {
    RunState st(window);
    OpenConnection(st);
    st.strVer = "before";
    EXPECT_EQ(GetDBVersion(st), 0); // empty System table
    EXPECT_EQ(st.strVer, "before");

    // clang-format off
    const struct { const char* stored; int result; const char* kept; } cases[] = {
        {"  P.45 (Bar)  ", 1, "P.45 (Bar)"}, {"V.31", 1, "V.31"}, {"D.47 (Bar)", 1, "D.47 (Bar)"},
        {"P.45(Bar)", 0, "P.45(Bar)"}, {"p.45 (bar)", 0, "p.45 (bar)"}, {"V.44", 0, "V.44"},
        {"P.47", 0, "P.47"}};
    // clang-format on
    for (const auto& c : cases) {
        st.cnData->Execute("Delete From System");
        st.cnData->Execute(QString("Insert Into System Values('%1')").arg(c.stored));
        EXPECT_EQ(GetDBVersion(st), c.result) << c.stored;
        EXPECT_EQ(st.strVer, c.kept);
        EXPECT_FALSE(st.rsData.IsOpen());
    }
    st.cnData->Execute("Delete From System");
    st.cnData->Execute("Insert Into System Values(Null)");
    EXPECT_THROW(GetDBVersion(st), Error);
}

TEST_F(Target, BrandIsFoundByNameThenWithUThenUdForUdVolvo) {
    RunState st(window);
    OpenConnection(st);
    // Brands added one after the other, the brand code (the run's own, TATA, where none is
    // given) looked up after each; a quote in the code cannot break the look-up.
    // clang-format off
    const struct { const char *brand, *added; int found; } steps[] = {
        {nullptr, nullptr, 0}, {nullptr, "12, 'TATA_U'", 12}, {nullptr, "7, 'TATA'", 7},
        {"UD_VOLVO", "3, 'UD'", 3}, {"ISUZU", nullptr, 0}, {"O'BRAND", "9, 'O''BRAND'", 9}};
    // clang-format on
    for (const auto& step : steps) {
        if (step.added)
            st.cnData->Execute(QString("Insert Into Brand Values(%1)").arg(step.added));
        if (step.brand)
            st.strBrand = step.brand;
        GetBrandID(st);
        EXPECT_EQ(st.lngBrandID, step.found) << st.strBrand;
        EXPECT_FALSE(st.rsData.IsOpen());
    }
}

} // namespace
} // namespace tolvane
