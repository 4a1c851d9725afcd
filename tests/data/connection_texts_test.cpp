#include "data/connection_attributes.h"
#include "data/connection_texts.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(ConnectionTexts, AccessTextsFollowTheTargetsExtensionAndPassword) {
    const QString newer = "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=";
    const QString older = "driver={Microsoft Access Driver (*.mdb)};dbq=";
    // The extension test is exact: upper case takes the older driver.
    for (const auto& [file, second, text] :
         {std::tuple{"  G:\\D\\Velmora.accdb ", false,
                     newer + "G:\\D\\Velmora.accdb;UID=admin;PWD=QEX418256"},
          {"G:\\D\\Velmora.accdb", true, newer + "G:\\D\\Velmora.accdb;UID=admin;PWD=ZOR735180"},
          {"D:\\shop\\V.mdb", false, older + "D:\\shop\\V.mdb;UID=admin;PWD=QEX418256"},
          {"D:\\V.ACCDB", false, older + "D:\\V.ACCDB;UID=admin;PWD=QEX418256"},
          {"C:\\a;b\\V.accdb", false, newer + "{C:\\a;b\\V.accdb};UID=admin;PWD=QEX418256"}})
        EXPECT_EQ(AccessTargetText(file, second), text);
    EXPECT_EQ(SourceText("G:\\V.accdb", " G:\\P.mdb "), newer + "G:\\P.mdb;UID=admin;PWD=KIV392");
    EXPECT_EQ(SourceText("", "P.mdb"), older + "P.mdb;UID=admin;PWD=KIV392");
    EXPECT_EQ(MaskPasswords(AccessTargetText("V.accdb", true)),
              newer + "V.accdb;UID=admin;PWD=***");
}

// A SQL Server field value as each form writes it: in braces (ODBC) or quotes (OLE DB)
// only where it needs them; every field reads back exactly, and the mask hides it whole.
TEST(ConnectionTexts, SqlServerValuesReadBackExactlyAndMaskWhole) {
    const char* cases[][3] = {
        // value, ODBC form, OLE DB form
        {"shop-pass", "shop-pass", "shop-pass"},
        {"", "", ""},
        {"รหัส ผ่าน", "รหัส ผ่าน", "รหัส ผ่าน"},
        {"{sec}RETTAIL", "{{sec}}RETTAIL}", "{sec}RETTAIL"},
        {"\"ab\"SECRETTAIL", "\"ab\"SECRETTAIL", "'\"ab\"SECRETTAIL'"},
        {"a;b}c", "{a;b}}c}", "\"a;b}c\""},
        {"it's \"q\";", "{it's \"q\";}", "\"it's \"\"q\"\";\""},
        {"}", "{}}}", "}"},
        {"a=b", "{a=b}", "\"a=b\""},
        {" S ", "{ S }", "\" S \""},
    };
    for (const auto& c : cases) {
        const QString value = QString::fromUtf8(c[0]);
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(SqlServerText("S", "U", value, "D"),
                  "driver={SQL Server};server=S;uid=U;pwd=" + QString::fromUtf8(c[1]) +
                      ";database=D;");
        EXPECT_EQ(SqlOleDbText("S", "D", "U", value),
                  "Provider=sqloledb;Data Source=S;Initial Catalog=D;User Id=U;Password=" +
                      QString::fromUtf8(c[2]) + ";");
        const ConnectionAttributes odbc =
            ParseConnectionText(SqlServerText(value, value, value, value));
        const ConnectionAttributes oledb =
            ParseConnectionText(SqlOleDbText(value, value, value, value));
        for (const char* key : {"server", "uid", "pwd", "database"})
            EXPECT_EQ(AttributeValue(odbc, key), value) << key;
        for (const char* key : {"Data Source", "Initial Catalog", "User Id", "Password"})
            EXPECT_EQ(AttributeValue(oledb, key), value) << key;
        EXPECT_TRUE(AttributeValue(oledb, "missing").isNull());
        EXPECT_EQ(MaskPasswords(SqlServerText("S", "U", value, "D")),
                  "driver={SQL Server};server=S;uid=U;pwd=***;database=D;");
        EXPECT_EQ(MaskPasswords(SqlOleDbText("S", "D", "U", value)),
                  "Provider=sqloledb;Data Source=S;Initial Catalog=D;User Id=U;Password=***;");
    }
}

} // namespace
} // namespace tolvane
