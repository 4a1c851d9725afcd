// The price-change report: the readings, a change's exact arithmetic, the page, the CSV.
#include "data/connection.h"
#include "report/report_change.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "report/report_reading.h"
#include "support/qt_print.h"
#include "support/sqlite_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace tolvane::testing {
namespace {

using namespace report;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
const QString kOring = QStringLiteral("<b>O'RING 1/2\"</b>");

PriceChange Priced(const QString& partNO, std::int64_t before, std::int64_t after) {
    PriceChange c;
    c.before.partNO = c.after.partNO = partNO;
    c.before.price = Currency::FromUnits(before);
    c.after.price = Currency::FromUnits(after);
    return c;
}

// The readings take the rows in the table's own order and compare them by key; blanks
// at the ends of a text go, a Null is an empty text or 0; P.45 keeps its prices in Price1.
TEST(ReportReading, RowsInAnyOrderAreComparedByKey) {
    QTemporaryDir dir;
    SqliteExec(dir.filePath("Velmora.accdb"),
               {"Create Table Pta7 (PartID, Kind, PartNO, EName, TName, Model, Import, Price, "
                "Sale, Price1, Sale1)",
                "Insert Into Pta7 Values (9, 'B', ' 100 ', 'e', Null, 'm', '', 12.5, Null, 1, 2), "
                "(3, '', '300', 'e', 't', 'm', '', 20, 18, 3, 4), (9, 'A', '100', 'e', 't', 'm', "
                "'', 7, 6, 5, 6)"});
    Connection cn(Role::Target, {});
    cn.Open(AccessTextFor(dir.filePath("Velmora.accdb")));
    const auto rows = [](const PartRows& parts) {
        QStringList out;
        for (const PartRow& p : parts)
            out << QString("%1 %2 %3 %4 %5")
                       .arg(p.partId)
                       .arg(PartLabel(p), p.tName, p.price.ToText(), p.sale.ToText());
        return out;
    };
    EXPECT_EQ(rows(ReadParts(cn, 7, "P.45 (Bar)")),
              QStringList({"3 300 t 3 4", "9 A-100 t 5 6", "9 B-100  1 2"}));
    const PartRows before = ReadParts(cn, 7, "V.31");
    EXPECT_EQ(rows(before), QStringList({"3 300 t 20 18", "9 A-100 t 7 6", "9 B-100  12.5 0"}));
    cn.Execute("Update Pta7 Set Price = 8, TName = 'x' Where Kind = 'A'");
    cn.Execute("Insert Into Pta7 (PartID, Kind, PartNO) Values (1, '', '1')");
    ReportData d;
    CompareParts(cn, 7, "V.31", before, d);
    EXPECT_EQ(std::tuple(d.changes.size(), d.created.size(), d.partsAfter, d.pricesUp, d.pricesSame,
                         d.salesSame, d.textsChanged),
              std::tuple(1u, 1u, 4, 1, 2, 3, 1));
    EXPECT_EQ(rows({d.changes.at(0).after, d.created.at(0).row}),
              QStringList({"9 A-100 x 8 6", "1 1  0 0"}));
}

TEST(ReportChange, PercentAndBucketAreExactAtTheirEdges) {
    struct Case {
        std::int64_t before, after;
        const char* percent; // nullptr: no percentage
        std::optional<int> bucket;
    };
    // clang-format off
    const Case cases[] = {
        {10000, 11250, "+12.50 %", 5},     {30000, 29000, "-3.33 %", 2},
        {10000, 10000, "0.00 %", {}},      {2000000, 2000001, "0.00 %", 3},
        {20000, 20001, "+0.01 %", 3},      {20000, 19999, "-0.01 %", 2},
        {100, 90, "-10.00 %", 1},          {1000000000, 899999999, "-10.00 %", 0},
        {100, 95, "-5.00 %", 2},           {100, 105, "+5.00 %", 4},
        {100, 110, "+10.00 %", 5},         {1000000000, 1199999999, "+20.00 %", 5},
        {100, 120, "+20.00 %", 6},         {3, 5, "+66.67 %", 6},
        {-10000, -5000, "+50.00 %", 6},    {0, 5000, nullptr, {}},
        {kMin, kMax, "+200.00 %", 6},      {kMax, kMin, "-200.00 %", 0},
        {1, kMax, "+922337203685477580600.00 %", 6},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.before << " -> " << c.after);
        const auto change = Change::Of(Currency::FromUnits(c.before), Currency::FromUnits(c.after));
        ASSERT_EQ(change.has_value(), c.percent != nullptr);
        if (change) {
            EXPECT_EQ(change->PercentText(), QString::fromUtf8(c.percent));
            EXPECT_EQ(BucketOf(*change), c.bucket);
        }
    }
}

TEST(ReportChange, LargestRisesAndFallsInExactOrderTiesByPartNumber) {
    const std::vector<PriceChange> changes = {
        Priced("R1", 100, 120), Priced("F2", 100, 99), Priced("R2", 1000000000, 1199999999),
        Priced("R0", 100, 120), Priced("S", 100, 100), Priced("Z", 0, 100),
        Priced("F1", kMax, kMax / 2),
        // Two rises whose ratios differ by 4e-19: only an exact comparison orders them.
        Priced("R8", 2229368022891090560, 4228919077639001040),
        Priced("R9", 2249824630889133194, 4267723500658632392)};
    const auto labels = [](const std::vector<const PriceChange*>& rows) {
        QStringList out;
        for (const PriceChange* c : rows)
            out << PartLabel(c->after);
        return out;
    };
    EXPECT_EQ(labels(LargestRises(changes)), QStringList({"R9", "R8", "R0", "R1", "R2"}));
    EXPECT_EQ(labels(LargestRises(changes, 2)), QStringList({"R9", "R8"}));
    EXPECT_EQ(labels(LargestFalls(changes)), QStringList({"F1", "F2"}));
    // Only changed prices with an old price are charted: not S (same) nor Z (from 0).
    const std::array<int, kBucketCount> buckets = {1, 0, 1, 0, 0, 1, 4};
    EXPECT_EQ(BucketCounts(changes), buckets);
}

// The parts a clerk checks first: beyond the share is strictly beyond, exactly; a price
// that became 0 is checked as such, not as a fall; a price from 0 has no share.
TEST(ReportChange, PartsToCheckFirst) {
    std::vector<PriceChange> changes = {
        Priced("half-up", 10000, 15000),  Priced("up", 10000, 15001),
        Priced("half-down", 10000, 5000), Priced("down", 10000, 4999),
        Priced("to-0", 10000, 0),         Priced("from-0", 0, 90000),
        Priced("neg", -10000, 10000),     Priced("sale", 100, 100)};
    changes.back().before.sale = Currency::FromUnits(7);
    const auto labels = [](const std::vector<const PriceChange*>& rows) {
        QStringList out;
        for (const PriceChange* c : rows)
            out << PartLabel(c->after);
        return out.join(' ');
    };
    const ChangesToCheck check = ToCheck(changes, 50);
    EXPECT_EQ(labels(check.rises), "up neg");
    EXPECT_EQ(labels(check.falls), "down");
    EXPECT_EQ(labels(check.priceToZero), "to-0");
    EXPECT_EQ(labels(check.saleToZero), "sale");
    EXPECT_EQ(labels(ToCheck(changes, 0).rises), "half-up up neg");
}

TEST(ReportHtml, EveryTextFromTheDataIsEscaped) {
    for (int place = 0; place < 13; ++place) {
        ReportData d;
        d.changes = {Priced("A", 100, 120)};
        d.created.resize(1);
        d.differences.resize(1);
        d.run.notices = {""};
        RunFacts& r = d.run;
        PartRow& p = d.changes[0].after;
        // clang-format off
        QString* places[] = {&r.shop, &r.version, &r.priceList, &r.message, &r.errorDetail,
                             &r.backupPath, &r.notices[0], &p.kind, &p.partNO, &p.tName, &p.model,
                             &d.created[0].row.tName, &d.differences[0].model};
        // clang-format on
        *places[place] = kOring;
        const QString html = ReportHtml(d);
        EXPECT_FALSE(html.contains(kOring)) << place;
        EXPECT_TRUE(html.contains("&lt;b&gt;O&#39;RING 1/2&quot;&lt;/b&gt;")) << place;
    }
}

TEST(ReportCsv, TextsAreQuotedAndNeverRunAsFormulasAmountsAreExactNumbers) {
    // A text in every text column (kind, part number, name, model) and how it is written:
    // quoted where a spreadsheet would split it, with a quote in front where it would run.
    // clang-format off
    const std::pair<const char*, const char*> texts[] = {
        {"=HYPERLINK(\"http://x.test/\")", "\"'=HYPERLINK(\"\"http://x.test/\"\")\""},
        {"-2+3", "\"'-2+3\""}, {"+5", "\"'+5\""}, {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"\t=1", "\"'\t=1\""}, {"\r=1", "\"'\r=1\""}, {"two\r\nlines", "\"two\r\nlines\""},
        {"ไส้กรอง", "ไส้กรอง"}, {"O'RING 1/2\", -1", "\"O'RING 1/2\"\", -1\""}, {"", ""},
        {"15\"", "\"15\"\"\""}};
    // clang-format on
    ReportData data;
    QString csv = "\uFEFFรหัสภายใน,ประเภท,รหัสสินค้า,ชื่อสินค้า,รุ่น,ราคาตั้งเดิม,ราคาตั้งใหม่,"
                  "ราคาขายเดิม,ราคาขายใหม่,ราคาตั้งเปลี่ยน (%)\r\n";
    for (const auto& [text, written] : texts) {
        data.changes.push_back(Priced(text, 125000, -125000)); // a fall to a negative amount
        PartRow& row = data.changes.back().after;
        row.partId = -7, row.kind = row.tName = row.model = text;
        const QString w = QString::fromUtf8(written);
        csv += "-7," + w + "," + w + "," + w + "," + w + ",12.5,-12.5,0,0,-200.00\r\n";
    }
    // Amounts with a dot and no trailing zeros; no change from an old price of 0.
    data.changes.push_back(Priced("100", 12500000, 125000));
    data.changes.back().before.sale = Currency::FromUnits(1250);
    data.changes.push_back(Priced("a,b", 0, 1250));
    csv += "0,,100,,,1250,12.5,0.125,0,-99.00\r\n0,,\"a,b\",,,0,0.125,0,0,\r\n";
    EXPECT_EQ(QString::fromUtf8(ChangesCsv(data)), csv);
}

} // namespace
} // namespace tolvane::testing
