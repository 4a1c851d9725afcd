// The sample-shop generator: repeatable, the sizes asked for, every database
// version, the mix of entries the price list is meant to exercise, and a real run
// of the program on what it writes.

#include "shop/db.h"
#include "sample_generate.h"
#include "text/part_keys.h"
#include "text/versions.h"

#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using tolvane::shop::Db;
using tolvane::sample::Generate;
using tolvane::sample::Options;

Options Sized(const QString& dir, int parts, int rows, int chunk, int movement,
              const QString& version = "V.31") {
    Options o;
    o.outDir = dir;
    o.version = version;
    o.parts = parts;
    o.rows = rows;
    o.chunk = chunk;
    o.movement = movement;
    return o;
}

Options SmallOptions(const QString& dir) {
    return Sized(dir, 300, 200, 45, 700);
}

// Every table of a file, every row in stored order, each value with its storage type.
QString Dump(const QString& path) {
    Db db(path);
    QString out;
    for (const auto& t : db.Query("SELECT name FROM sqlite_master WHERE type = 'table' "
                                  "ORDER BY name")) {
        const QString table = t[0].toString();
        out += "== " + table + "\n";
        for (const auto& row : db.Query("SELECT * FROM \"" + table + "\" ORDER BY rowid")) {
            for (const QVariant& v : row)
                out += QString::fromLatin1(v.typeName()) + ":" + v.toString() + "|";
            out += "\n";
        }
    }
    return out;
}

QStringList ChunkTables(Db& list) {
    QStringList tables;
    for (const auto& row : list.Query("SELECT Count FROM PriceList_Count ORDER BY Count"))
        tables << "PriceList_" + row[0].toString();
    return tables;
}

TEST(SampleGenerator, SameOptionsGiveTheSameContentsAndTheSeedMatters) {
    QTemporaryDir a, b, c;
    Options o = SmallOptions(a.path());
    o.version = "P.49 (Bar)";
    o.seed = 4711;
    Generate(o);
    o.outDir = b.path();
    Generate(o);
    EXPECT_EQ(Dump(a.filePath("Velmora.accdb")), Dump(b.filePath("Velmora.accdb")));
    EXPECT_EQ(Dump(a.filePath("PriceList_TATA.mdb")), Dump(b.filePath("PriceList_TATA.mdb")));

    o.outDir = c.path();
    o.seed = 4712;
    Generate(o);
    EXPECT_NE(Dump(a.filePath("Velmora.accdb")), Dump(c.filePath("Velmora.accdb")));
    EXPECT_NE(Dump(a.filePath("PriceList_TATA.mdb")), Dump(c.filePath("PriceList_TATA.mdb")));
}

TEST(SampleGenerator, WritesTheRequestedSizesAndConsistentCounters) {
    QTemporaryDir dir;
    const Options o = SmallOptions(dir.path());
    const auto summary = Generate(o);
    Db shop(dir.filePath("Velmora.accdb"));
    EXPECT_EQ(shop.Count("Pta7"), 300);
    EXPECT_EQ(shop.Count("MovementStock"), 700);
    EXPECT_EQ(shop.Count("Alt7"), 301); // one per part and the AltID 0 placeholder
    EXPECT_EQ(shop.Count("Alt7", "AltID = 0"), 1);
    EXPECT_EQ(shop.Scalar("SELECT Ver FROM System").toString(), "V.31");
    EXPECT_EQ(shop.Scalar("SELECT BrandID FROM Brand WHERE BrandName = 'TATA'").toInt(), 7);

    // The counter is past every ID in use, and freed IDs are not in use.
    const int last = shop.Scalar("SELECT LastID FROM LastID WHERE NameID = 'Pta7'").toInt();
    EXPECT_GE(last, shop.Scalar("SELECT max(PartID) FROM Pta7").toInt());
    EXPECT_EQ(shop.Count("LastID", "NameID = 'Pta7'"), 1);
    EXPECT_GE(shop.Count("OldID", "NameID = 'Pta7'"), 3);
    EXPECT_EQ(shop.Count("OldID", "NameID = 'Pta7' AND (OldID IN (SELECT PartID FROM Pta7) "
                                  "OR OldID > " +
                                      QString::number(last) + " OR OldID < 1)"),
              0);
    EXPECT_EQ(shop.Scalar("SELECT count(DISTINCT PartID) FROM Pta7").toInt(), 300);

    Db list(dir.filePath("PriceList_TATA.mdb"));
    const QStringList chunks = ChunkTables(list);
    ASSERT_EQ(chunks, (QStringList{"PriceList_1", "PriceList_2", "PriceList_3", "PriceList_4",
                                   "PriceList_5"})); // 200 rows by 45
    int rows = 0;
    for (const QString& chunk : chunks) {
        EXPECT_LE(list.Count(chunk), 45) << chunk.toStdString();
        EXPECT_EQ(list.Count(chunk, "Kind IS NULL OR PartNO IS NULL OR EName IS NULL OR "
                                    "TName IS NULL OR Price IS NULL OR Sale IS NULL"),
                  0);
        rows += list.Count(chunk);
    }
    EXPECT_EQ(rows, 200);
    EXPECT_EQ(list.Count("PriceListAll"), 0);
    EXPECT_EQ(summary.rows, 200);
    EXPECT_EQ(summary.chunks, 5);
    EXPECT_EQ(summary.newRows + summary.changedRows + summary.unchangedRows, 200);
}

TEST(SampleGenerator, EveryVersionGetsItsShop) {
    int count = 0;
    const tolvane::VersionInfo* versions = tolvane::SupportedVersions(&count);
    ASSERT_EQ(count, 25);
    for (int i = 0; i < count; ++i) {
        const QString version = QString::fromUtf8(versions[i].text);
        SCOPED_TRACE(version.toStdString());
        QTemporaryDir dir;
        ASSERT_NO_THROW(Generate(Sized(dir.path(), 40, 20, Options().chunk, 60, version)));
        Db shop(dir.filePath("Velmora.accdb"));
        EXPECT_EQ(shop.Scalar("SELECT Ver FROM System").toString(), version);
        EXPECT_EQ(shop.Count("Pta7"), 40);
        // The prices stand where the run reads them, and the Alt7 copies agree.
        const QString priceColumn = versions[i].price1 ? "Price1" : "Price";
        const double prices = shop.Scalar("SELECT sum(" + priceColumn + ") FROM Pta7").toDouble();
        EXPECT_GT(prices, 0);
        EXPECT_DOUBLE_EQ(prices, shop.Scalar("SELECT sum(APrice) FROM Alt7").toDouble());
        if (versions[i].altSale) {
            EXPECT_GT(shop.Scalar("SELECT sum(ASale) FROM Alt7").toDouble(), 0);
        }
        // Search-key versions find parts by the program's own compact number.
        if (versions[i].searchKey) {
            for (const auto& row : shop.Query("SELECT PartNO, FPartNO FROM Pta7"))
                EXPECT_EQ(row[1].toString(), tolvane::EditString(row[0].toString()));
        }
    }
}

TEST(SampleGenerator, PriceListHoldsTheAskedMixOfEntries) {
    QTemporaryDir dir;
    Options o = Sized(dir.path(), 2000, 1000, 300, 3000);
    o.newShare = 0.3;
    o.linkShare = 0.25;
    Generate(o);

    Db shop(dir.filePath("Velmora.accdb"));
    struct Stored {
        QString kind;
        double price, sale;
    };
    QHash<QString, Stored> parts; // by part number, which the generator keeps unique
    for (const auto& r : shop.Query("SELECT PartNO, Kind, Price, Sale FROM Pta7"))
        parts.insert(r[0].toString(), {r[1].toString(), r[2].toDouble(), r[3].toDouble()});

    Db list(dir.filePath("PriceList_TATA.mdb"));
    int fresh = 0, changed = 0, unchanged = 0, linked = 0, linkedInShop = 0, linkedNew = 0;
    int saleZero = 0, quoted = 0, noThai = 0;
    for (const QString& chunk : ChunkTables(list)) {
        for (const auto& r : list.Query("SELECT Kind, PartNO, lAtNO, AltNO, EName, TName, "
                                        "Price, Sale FROM " +
                                        chunk)) {
            const QString kind = r[0].toString(), number = r[1].toString();
            const double price = r[6].toDouble();
            const double sale = r[7].toDouble() == 0 ? price : r[7].toDouble();
            saleZero += r[7].toDouble() == 0;
            quoted += r[4].toString().contains('\'') || r[4].toString().contains('"');
            noThai += r[5].toString().isEmpty();
            const auto stored = parts.constFind(number);
            if (stored == parts.constEnd() || (!kind.isEmpty() && stored->kind != kind))
                ++fresh;
            else if (stored->price == price && stored->sale == sale)
                ++unchanged;
            else
                ++changed;
            for (const QString& related : {r[2].toString(), r[3].toString()}) {
                if (related.isEmpty() || related == number)
                    continue;
                parts.contains(related) ? ++linkedInShop : ++linkedNew;
            }
            linked += !r[2].toString().isEmpty() || !r[3].toString().isEmpty();
        }
    }
    EXPECT_EQ(fresh + changed + unchanged, 1000);
    EXPECT_EQ(fresh, 300);
    EXPECT_EQ(linked, 250);
    EXPECT_GT(changed, 400); // about two thirds of the 700 known parts
    EXPECT_GT(unchanged, 150);
    EXPECT_GT(linkedInShop, 50);
    EXPECT_GT(linkedNew, 50);
    EXPECT_GT(saleZero, 0);
    EXPECT_GT(quoted, 0);
    EXPECT_GT(noThai, 0);

    // The shop side: parts that keep their own texts, alternate groups linked both
    // ways, factories, Thai names, and stock rows of other brands.
    EXPECT_GT(shop.Count("Pta7", "UpRec <> 0"), 0);
    EXPECT_GT(shop.Count("Pta7", "TName LIKE '%ไส้กรอง%'"), 0);
    EXPECT_GT(shop.Count("AltG7", "AltID > 0"), 0);
    EXPECT_EQ(shop.Count("AltG7 g", "AltID > 0 AND NOT EXISTS (SELECT 1 FROM AltG7 h WHERE "
                                    "h.PartID = g.AltID AND h.AltID = g.PartID)"),
              0);
    EXPECT_GT(shop.Count("FacD7", "FacID IN (SELECT FacID FROM Fac)"), 0);
    EXPECT_GT(shop.Count("MovementStock", "BrandID <> 7"), 0);
    EXPECT_GT(shop.Count("SPG"), 0);
}

TEST(SampleGenerator, RefusesOptionsItCannotHonour) {
    Options badVersion, badChunk, badShare;
    badVersion.version = "V.99";
    badChunk.chunk = 0;
    badShare.newShare = 1.5;
    for (const Options& o : {badVersion, badChunk, badShare})
        EXPECT_FALSE(tolvane::sample::CheckOptions(o).isEmpty());
    EXPECT_THROW(Generate(badVersion), std::invalid_argument);
    EXPECT_TRUE(tolvane::sample::CheckOptions(Options()).isEmpty());
}

QString RunProgram(const QString& program, const QStringList& args, int* exitCode) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000)) << program.toStdString();
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(SampleProgram, WritesWhatItsOptionsSayAndRejectsBadOnes) {
    QTemporaryDir dir;
    const QString sample = QStringLiteral(TOLVANE_BIN_DIR "/tolvane-sample");
    int code = -1;
    const QString out =
        RunProgram(sample,
                   {"--out", dir.path(), "--version", "P.45 (Bar)", "--parts", "50", "--rows", "30",
                    "--chunk", "7", "--movement", "90", "--seed", "9"},
                   &code);
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(out.contains("50 parts")) << out.toStdString();
    EXPECT_TRUE(out.contains("30 rows in 5 chunks")) << out.toStdString();
    Db shop(dir.filePath("Velmora.accdb"));
    EXPECT_EQ(shop.Scalar("SELECT Ver FROM System").toString(), "P.45 (Bar)");
    EXPECT_EQ(shop.Count("MovementStock"), 90);

    RunProgram(sample, {"--out", dir.path(), "--version", "X.1"}, &code);
    EXPECT_EQ(code, 2);
    RunProgram(sample, {"--out", dir.path(), "--rows", "many"}, &code);
    EXPECT_EQ(code, 2);
}

// The run finishes on a sample, creating exactly the parts the list names and the shop lacks.
TEST(SampleProgram, TheRunFinishesOnASampleShop) {
    for (const QString version : {"V.31", "P.49 (Bar)", "P.64 (Bar)"}) {
        SCOPED_TRACE(version.toStdString());
        QTemporaryDir dir;
        Generate(Sized(dir.path(), 150, 80, 30, 200, version));
        const QString shopPath = dir.filePath("Velmora.accdb");
        const QString listPath = dir.filePath("PriceList_TATA.mdb");

        QSet<QString> known, named;
        {
            Db shop(shopPath);
            for (const auto& r : shop.Query("SELECT PartNO FROM Pta7"))
                known.insert(r[0].toString());
            Db list(listPath);
            for (const QString& chunk : ChunkTables(list)) {
                for (const auto& r : list.Query("SELECT PartNO, lAtNO, AltNO FROM " + chunk))
                    for (const QVariant& v : r)
                        if (!v.toString().trimmed().isEmpty())
                            named.insert(v.toString().trimmed());
            }
        }
        int code = -1;
        const QString out = RunProgram(QStringLiteral(TOLVANE_BIN_DIR "/tolvane-batch"),
                                       {"--price-list", listPath, "--data", shopPath}, &code);
        ASSERT_EQ(code, 0) << out.toStdString();
        EXPECT_TRUE(out.contains("เสร็จแล้วจ้า")) << out.toStdString();

        Db shop(shopPath);
        EXPECT_EQ(shop.Count("Pta7"), known.size() + (named - known).size());
        QSet<QString> after;
        for (const auto& r : shop.Query("SELECT PartNO FROM Pta7"))
            after.insert(r[0].toString());
        EXPECT_TRUE(after.contains(named));
        EXPECT_EQ(shop.Count("PriceList"), 0);
    }
}

} // namespace
