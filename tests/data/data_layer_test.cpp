#include "data/connection.h"
#include "data/database_file.h"
#include "data/recordset.h"
#include "shop/db.h"
#include "support/error_of.h"
#include "support/shop_fixture.h"
#include "support/sqlite_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::AccessTextFor;
using testing::ErrorOf;
using testing::SqliteExec;

class DataLayer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("Velmora.accdb");
        SqliteExec(path, {"Create Table Parts (PartID INTEGER, PartNO TEXT, Price NUMERIC)",
                          "Create Table LastID (NameID TEXT, LastID INTEGER)",
                          "Create Table OldID (NameID TEXT, OldID INTEGER)"});
    }

    // A connection on the file, opened the way the program opens the shop's file.
    std::unique_ptr<Connection> OpenTarget(DataHooks hooks = {}) {
        auto cn = std::make_unique<Connection>(Role::Target, hooks);
        cn->SetConnectionString(AccessTextFor(path));
        cn->SetCommandTimeout(20);
        cn->Open();
        return cn;
    }

    QTemporaryDir dir;
    QString path;
};

TEST_F(DataLayer, RecordCountIsExactAndRowsComeInOrder) {
    QStringList inserts;
    for (int i = 1; i <= 250; ++i)
        inserts << QString("Insert Into Parts Values(%1, 'N%1', %1.5)").arg(i);
    SqliteExec(path, inserts);
    auto cn = OpenTarget();
    for (const auto cursor : {Recordset::adOpenKeyset, Recordset::adOpenForwardOnly}) {
        Recordset rs;
        rs.Open("Select PartID, PartNO From Parts Order By PartID", *cn, cursor);
        if (cursor == Recordset::adOpenKeyset) {
            rs.MoveNext();
            EXPECT_EQ(rs.RecordCount(), 250);
            EXPECT_EQ(rs.Long("PartID"), 2);
        } else {
            EXPECT_THROW(rs.RecordCount(), Error);
            rs.MoveNext();
        }
        for (int seen = 2; seen <= 250; ++seen, rs.MoveNext())
            EXPECT_EQ(rs.Text("partno") + rs.FieldAt(0).toString(), QString("N%1%1").arg(seen));
        EXPECT_TRUE(rs.Eof());
        EXPECT_THROW(rs.MoveNext(), Error);
    }
}

TEST_F(DataLayer, NullStaysNullUntilConvertedAndThenFailsNamingTheStatement) {
    SqliteExec(path, {"Insert Into Parts Values(Null, Null, Null)"});
    auto cn = OpenTarget();
    Recordset rs;
    const QString source = "Select PartID, PartNO, Price From Parts";
    rs.Open(source, *cn);
    EXPECT_TRUE(rs.Field("PartNO").isNull());
    EXPECT_TRUE(rs.FieldAt(rs.FieldIndex("partno")).isNull());
    const Error errors[] = {ErrorOf([&] { rs.Long("PartID"); }),
                            ErrorOf([&] { rs.Text("PartNO"); }),
                            ErrorOf([&] { rs.Amount("Price"); })};
    const char* fields[] = {"PartID", "PartNO", "Price"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(errors[i].statement(), source);
        EXPECT_TRUE(errors[i].message().contains(fields[i])) << fields[i];
    }
    EXPECT_THROW(rs.Field("NoSuchField"), Error);
    EXPECT_THROW(rs.FieldIndex("NoSuchField"), Error);
    EXPECT_THROW(rs.FieldAt(3), Error);
}

TEST_F(DataLayer, AmountsRoundTripExactly) {
    auto cn = OpenTarget();
    const char* amounts[] = {"1250", "12.5", "0.125", "-3.75", "12.3456", "99999999.99", "0"};
    int id = 0;
    for (const char* a : amounts)
        cn->Execute(QString("Insert Into Parts Values(%1, 'A', %2)").arg(++id).arg(a));
    Recordset rs;
    rs.Open("Select Price From Parts Order By PartID", *cn);
    for (const char* a : amounts) {
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.Amount("Price").ToText(), QString(a));
        rs.MoveNext();
    }
    rs.Close();
    // The amount text finds the stored value again, as the read-backs rely on.
    rs.Open("Select PartID From Parts Where Price = " + Currency::FromText(u"12.3456").ToText(),
            *cn);
    EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_F(DataLayer, LongAndIntegerCheckTheirRange) {
    SqliteExec(path, {"Insert Into Parts Values(2147483648, '40000', 2.5)",
                      "Insert Into Parts Values(32767, '3.5', -2.5)"});
    auto cn = OpenTarget();
    Recordset rs;
    rs.Open("Select PartID, PartNO, Price From Parts Order By PartID", *cn);
    EXPECT_EQ(rs.Integer("PartID"), 32767);
    EXPECT_EQ(rs.Integer("PartNO"), 4); // half to even
    EXPECT_EQ(rs.Long("Price"), -2);
    rs.MoveNext();
    EXPECT_THROW(rs.Long("PartID"), Error);
    EXPECT_THROW(rs.Integer("PartNO"), Error);
    EXPECT_EQ(rs.Long("Price"), 2);
}

TEST_F(DataLayer, ClosingTheConnectionClosesItsRecordsets) {
    SqliteExec(path, {"Insert Into Parts Values(1, 'a', 1)"});
    auto cn = OpenTarget();
    Recordset rs;
    rs.Open("Select PartID From Parts", *cn);
    cn->Close();
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(cn->Execute("Delete From Parts"), Error);
}

TEST_F(DataLayer, AnOptimisticUpdateFailsWhenTheRowChangedSinceItWasRead) {
    SqliteExec(path,
               {"Insert Into LastID Values('Pta7', 41)", "Insert Into OldID Values('Pta7', 5)"});
    auto a = OpenTarget();
    auto b = OpenTarget();
    a->Execute("Delete From Parts"); // in WAL, where a reader does not hold up a writer
    Recordset rs;
    rs.Open("Select NameID, LastID From LastID Where NameID = 'Pta7'", *a);
    ASSERT_EQ(rs.Long("LastID"), 41);
    b->Execute("Update LastID Set LastID = 42 Where NameID = 'Pta7'");
    rs.Collect("LastID", 42);
    const QString changed = "The row was changed or deleted by another user";
    EXPECT_TRUE(ErrorOf([&] { rs.Update(); }).message().startsWith(changed));
    rs.Close();

    rs.Open("Select OldID From OldID Where NameID = 'Pta7'", *a);
    b->Execute("Delete From OldID");
    EXPECT_TRUE(ErrorOf([&] { rs.Delete(); }).message().startsWith(changed));
}

QString JournalModeOf(const QString& path) {
    return shop::Db(path).Scalar("PRAGMA journal_mode").toString();
}

// Files that are not what their name says are refused with words that say so.
TEST_F(DataLayer, FilesThatAreNoDatabaseOrNeedAMissingDriverAreNamed) {
    const QString garbage = dir.filePath("garbage.mdb");
    const QString empty = dir.filePath("empty.accdb");
    testing::WriteFile(garbage, "\x01\x02 not a database");
    testing::WriteFile(empty, "");
    for (const QString& file : {garbage, empty}) {
        Connection cn(Role::Source, {});
        const Error e = ErrorOf([&] { cn.Open(AccessTextFor(file)); });
        EXPECT_EQ(e.message(), "The file " + file +
                                   " is not a database: it is neither an Access file nor a "
                                   "SQLite file.");
        EXPECT_TRUE(e.statement().contains("PWD=***")) << e.statement();
    }
    // A real Access file on a machine without an Access ODBC driver.
    const QString access =
        QStringLiteral(TOLVANE_SOURCE_DIR "/../shared/testdata/access/nwind.mdb");
    for (Role role : {Role::Source, Role::Target}) {
        Connection cn(role, {});
        const QString message = ErrorOf([&] { cn.Open(AccessTextFor(access)); }).message();
        EXPECT_TRUE(message.startsWith("No ODBC driver named \"Microsoft Access Driver (*.mdb, "
                                       "*.accdb)\" is registered on this machine, so the Access "
                                       "file " +
                                       access + " cannot be opened."))
            << message;
        EXPECT_EQ(message.contains("tools/mdb-to-sqlite"), role == Role::Source) << message;
    }
}

TEST_F(DataLayer, AFileLockedByAnotherProgramSaysSoAndNamesTheStatement) {
    Connection cn(Role::Target, {});
    cn.SetCommandTimeout(1);
    cn.Open(AccessTextFor(path));
    shop::Db other(path);
    other.Exec("BEGIN IMMEDIATE");
    const Error e = ErrorOf([&] { cn.Execute("Delete From Parts"); });
    EXPECT_TRUE(e.message().contains("database is locked")) << e.detail();
    EXPECT_EQ(e.statement(), "Delete From Parts");
    other.Exec("ROLLBACK");
}

// A SQLite file given as an Access path opens in the embedded engine. Reading leaves the
// file alone; the first write takes it to WAL, and it goes back to its own journal mode
// when the last connection on it closes: where another connection holds it, the next
// connection to close (which need not write) puts it back.
TEST_F(DataLayer, OpensASQLiteFileInTheEmbeddedEngineAndLeavesItInItsOwnJournalMode) {
    auto cn = OpenTarget();
    EXPECT_TRUE(cn->State() == Connection::adStateOpen && cn->IsEmbedded());
    EXPECT_EQ(cn->ConnectionString(), AccessTextFor(path)); // the text the caller set
    Recordset rs;
    rs.Open("PRAGMA busy_timeout", *cn);
    EXPECT_EQ(rs.Long("timeout"), 20000);
    rs.Close();
    EXPECT_EQ(JournalModeOf(path), "delete");
    cn->Execute("Delete From Parts");
    EXPECT_EQ(JournalModeOf(path), "wal");
    cn->Close();
    EXPECT_EQ(cn->State(), Connection::adStateClosed);
    cn->Close(); // harmless twice
    EXPECT_EQ(JournalModeOf(path), "delete");

    cn = OpenTarget();
    cn->Execute("Delete From Parts");
    {
        shop::Db holder(path);
        holder.Scalar("Select Count(*) From Parts");
        EXPECT_NO_THROW(cn->Close());
        EXPECT_EQ(holder.Scalar("PRAGMA journal_mode").toString(), "wal");
    }
    // Even a note damaged since (a text that names no mode) takes the file out of WAL.
    testing::WriteFile(JournalModeNotePath(path), "garbage");
    OpenTarget()->Close();
    EXPECT_EQ(JournalModeOf(path), "delete");
    EXPECT_FALSE(QFile::exists(JournalModeNotePath(path)));
}

// A network file system, where WAL does not work, is told by its type's name.
TEST(NetworkFileSystems, AreToldByTheTypeName) {
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "NFS4"})
        EXPECT_TRUE(IsNetworkFileSystemType(type)) << type;
    for (const char* type : {"ext4", "xfs", "btrfs", "tmpfs", "overlay", "NTFS", "FAT32", "fuse",
                             "fuse.nfsx", "nfsd", ""})
        EXPECT_FALSE(IsNetworkFileSystemType(type)) << type;
}

} // namespace
} // namespace tolvane
