#include "data/connection_attributes.h"
#include "data/connection_texts.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(ConnectionTexts, AccessTargetFollowsTheExtensionAndPassword) {
    EXPECT_EQ(
        AccessTargetText("  G:\\DataVelmora\\Velmora.accdb ", false),
        "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=G:\\DataVelmora\\Velmora.accdb;"
        "UID=admin;PWD=QEX418256");
    EXPECT_EQ(
        AccessTargetText("G:\\DataVelmora\\Velmora.accdb", true),
        "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=G:\\DataVelmora\\Velmora.accdb;"
        "UID=admin;PWD=ZOR735180");
    EXPECT_EQ(AccessTargetText("D:\\shop\\Velmora.mdb", false),
              "driver={Microsoft Access Driver (*.mdb)};dbq=D:\\shop\\Velmora.mdb;UID=admin;"
              "PWD=QEX418256");
    // The extension test is exact: upper case takes the older driver.
    EXPECT_EQ(AccessTargetText("D:\\SHOP\\VELMORA.ACCDB", false),
              "driver={Microsoft Access Driver (*.mdb)};dbq=D:\\SHOP\\VELMORA.ACCDB;UID=admin;"
              "PWD=QEX418256");
}

TEST(ConnectionTexts, SourceDriverFollowsTheTargetPath) {
    EXPECT_EQ(SourceText("G:\\DataVelmora\\Velmora.accdb", " G:\\DataVelmora\\PriceList_TATA.mdb "),
              "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=G:\\DataVelmora\\"
              "PriceList_TATA.mdb;UID=admin;PWD=KIV392");
    EXPECT_EQ(SourceText("", "P.mdb"),
              "driver={Microsoft Access Driver (*.mdb)};dbq=P.mdb;UID=admin;PWD=KIV392");
}

TEST(ConnectionTexts, SqlServerBothForms) {
    EXPECT_EQ(SqlServerText("S", "U", "P", "D"),
              "driver={SQL Server};server=S;uid=U;pwd=P;database=D;");
    EXPECT_EQ(SqlOleDbText("S", "D", "U", "P"),
              "Provider=sqloledb;Data Source=S;Initial Catalog=D;User Id=U;Password=P;");
    // Fields are used exactly as typed, blanks included.
    EXPECT_EQ(SqlServerText(" S ", "U", "", "D"),
              "driver={SQL Server};server= S ;uid=U;pwd=;database=D;");
}

TEST(ConnectionTexts, SemicolonInAValueCannotSplitTheText) {
    EXPECT_EQ(SqlServerText("S", "U", "a;b}c", "D"),
              "driver={SQL Server};server=S;uid=U;pwd={a;b}}c};database=D;");
    EXPECT_EQ(SqlOleDbText("S", "D", "U", "x;\"y"),
              "Provider=sqloledb;Data Source=S;Initial Catalog=D;User Id=U;Password=\"x;\"\"y\";");
    EXPECT_EQ(AccessTargetText("C:\\a;b\\Velmora.accdb", false),
              "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq={C:\\a;b\\Velmora.accdb};"
              "UID=admin;PWD=QEX418256");

    // And the values come back whole when the text is read.
    const ConnectionAttributes odbc = ParseConnectionText(SqlServerText("S", "U", "a;b}c", "D"));
    EXPECT_EQ(AttributeValue(odbc, "PWD"), "a;b}c");
    EXPECT_EQ(AttributeValue(odbc, "database"), "D");
    const ConnectionAttributes oledb = ParseConnectionText(SqlOleDbText("S", "D", "U", "x;\"y"));
    EXPECT_EQ(AttributeValue(oledb, "password"), "x;\"y");
    EXPECT_EQ(AttributeValue(oledb, "Initial Catalog"), "D");
    EXPECT_TRUE(AttributeValue(oledb, "missing").isNull());
}

TEST(ConnectionTexts, PasswordsAreMasked) {
    EXPECT_EQ(MaskPasswords(SqlServerText("S", "U", "secret", "D")),
              "driver={SQL Server};server=S;uid=U;pwd=***;database=D;");
    EXPECT_EQ(MaskPasswords(SqlOleDbText("S", "D", "U", "x;\"y")),
              "Provider=sqloledb;Data Source=S;Initial Catalog=D;User Id=U;Password=***;");
    EXPECT_EQ(MaskPasswords(AccessTargetText("V.accdb", true)),
              "driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=V.accdb;UID=admin;PWD=***");
    EXPECT_EQ(MaskPasswords(SqlServerText("S", "U", "a;b}c", "D")),
              "driver={SQL Server};server=S;uid=U;pwd=***;database=D;");
}

} // namespace
} // namespace tolvane
