// The sample-shop generator: repeatable, the sizes asked for, every database version,
// and the mix of entries the price list is meant to exercise.
#include "sample_generate.h"
#include "shop/db.h"
#include "support/qt_print.h"
#include "text/part_keys.h"
#include "text/versions.h"

#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tolvane::shop::Db;
using tolvane::sample::Generate;
using tolvane::sample::Options;

Options Sized(const QString& dir, int parts, int rows, int chunk,
              const QString& version = "V.31") {
    Options o;
    o.outDir = dir;
    o.version = version;
    o.parts = parts;
    o.rows = rows;
    o.chunk = chunk;
    o.movement = 2 * parts;
    return o;
}

// Every table of a file, every row in stored order, each value with its storage type.
QString Dump(const QString& path) {
    Db db(path);
    QString out;
    for (const auto& t : db.Query("SELECT name FROM sqlite_master WHERE type = 'table' "
                                  "ORDER BY name")) {
        out += "== " + t[0].toString() + "\n";
        for (const auto& row : db.Query("SELECT * FROM \"" + t[0].toString() + "\"")) {
            for (const QVariant& v : row)
                out += QString::fromLatin1(v.typeName()) + ":" + v.toString() + "|";
            out += "\n";
        }
    }
    return out;
}

TEST(SampleGenerator, SameOptionsGiveTheSameFilesAndTheSeedMatters) {
    QTemporaryDir a, b, c;
    Options o = Sized(a.path(), 300, 200, 45, "P.49 (Bar)");
    o.seed = 4711;
    const auto summary = Generate(o);
    o.outDir = b.path();
    Generate(o);
    o.outDir = c.path();
    o.seed = 4712;
    Generate(o);
    for (const char* file : {"Velmora.accdb", "PriceList_TATA.mdb"}) {
        EXPECT_EQ(Dump(a.filePath(file)), Dump(b.filePath(file)));
        EXPECT_NE(Dump(a.filePath(file)), Dump(c.filePath(file)));
    }
    // The sizes asked for; the counter past every ID in use and no freed ID in use.
    Db shop(a.filePath("Velmora.accdb"));
    EXPECT_EQ(shop.Count("Pta7"), 300);
    EXPECT_EQ(shop.Count("MovementStock"), 600);
    EXPECT_EQ(shop.Count("Alt7", "AltID = 0"), 1);
    const QString last = shop.Scalar("SELECT LastID FROM LastID WHERE NameID = 'Pta7'").toString();
    EXPECT_EQ(shop.Count("Pta7", "PartID > " + last), 0);
    EXPECT_EQ(shop.Count("OldID", "NameID = 'Pta7' AND (OldID IN (SELECT PartID FROM Pta7) OR "
                                  "OldID > " + last + " OR OldID < 1)"),
              0);
    EXPECT_EQ(summary.chunks, 5); // 200 rows by 45
    EXPECT_EQ(summary.newRows + summary.changedRows + summary.unchangedRows, 200);
}

TEST(SampleGenerator, EveryVersionGetsItsShopWithPricesWhereTheRunReadsThem) {
    int count = 0;
    const tolvane::VersionInfo* versions = tolvane::SupportedVersions(&count);
    for (int i = 0; i < count; ++i) {
        const QString version = QString::fromUtf8(versions[i].text);
        SCOPED_TRACE(version.toStdString());
        QTemporaryDir dir;
        Generate(Sized(dir.path(), 40, 20, 10, version));
        Db shop(dir.filePath("Velmora.accdb"));
        EXPECT_EQ(shop.Scalar("SELECT Ver FROM System").toString(), version);
        const QString price = versions[i].price1 ? "Price1" : "Price";
        const double prices = shop.Scalar("SELECT sum(" + price + ") FROM Pta7").toDouble();
        EXPECT_GT(prices, 0);
        EXPECT_DOUBLE_EQ(prices, shop.Scalar("SELECT sum(APrice) FROM Alt7").toDouble());
        if (versions[i].searchKey) {
            for (const auto& row : shop.Query("SELECT PartNO, FPartNO FROM Pta7"))
                EXPECT_EQ(row[1].toString(), tolvane::EditString(row[0].toString()));
        }
    }
}

TEST(SampleGenerator, PriceListHoldsTheAskedMixOfEntries) {
    QTemporaryDir dir;
    Options o = Sized(dir.path(), 2000, 1000, 300);
    o.newShare = 0.3;
    o.linkShare = 0.25;
    Generate(o);
    Db shop(dir.filePath("Velmora.accdb"));
    QHash<QString, QString> prices; // part number -> "price/sale"
    for (const auto& r : shop.Query("SELECT PartNO, Price || '/' || Sale FROM Pta7"))
        prices.insert(r[0].toString(), r[1].toString());
    Db list(dir.filePath("PriceList_TATA.mdb"));
    int fresh = 0, unchanged = 0, linked = 0, quoted = 0;
    for (const auto& chunk : list.Query("SELECT Count FROM PriceList_Count")) {
        for (const auto& r : list.Query("SELECT PartNO, lAtNO || AltNO, EName, Price || '/' || "
                                        "CASE WHEN Sale = 0 THEN Price ELSE Sale END FROM "
                                        "PriceList_" + chunk[0].toString())) {
            fresh += !prices.contains(r[0].toString());
            unchanged += prices.value(r[0].toString()) == r[3].toString();
            linked += !r[1].toString().isEmpty();
            quoted += r[2].toString().contains('\'');
        }
    }
    EXPECT_EQ(fresh, 300);
    EXPECT_EQ(linked, 250);
    EXPECT_GT(unchanged, 150);
    EXPECT_GT(quoted, 0);
    // Alternate groups are linked both ways.
    EXPECT_GT(shop.Count("AltG7", "AltID > 0"), 0);
    EXPECT_EQ(shop.Count("AltG7 g", "AltID > 0 AND NOT EXISTS (SELECT 1 FROM AltG7 h WHERE "
                                    "h.PartID = g.AltID AND h.AltID = g.PartID)"),
              0);
}

TEST(SampleProgram, WritesWhatItsOptionsSayAndRefusesBadOnes) {
    QTemporaryDir dir;
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-sample"), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    const auto [code, out] = run({"--out", dir.path(), "--version", "P.45 (Bar)", "--parts", "50",
                                  "--rows", "30", "--chunk", "7", "--seed", "9"});
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(out.contains("30 rows in 5 chunks")) << out;
    EXPECT_EQ(Db(dir.filePath("Velmora.accdb")).Scalar("SELECT Ver FROM System").toString(), "P.45 (Bar)");
    for (const QStringList& bad : {QStringList{"--version", "X.1"}, {"--rows", "many"},
                                   {"--chunk", "0"}, {"--new-share", "1.5"}})
        EXPECT_EQ(run(QStringList{"--out", dir.path()} + bad).first, 2) << bad.join(' ');
}

} // namespace
