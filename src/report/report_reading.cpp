#include "report/report_reading.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "text/error.h"
#include "text/versions.h"

#include <algorithm>
#include <functional>
#include <tuple>

namespace tolvane::report {

namespace {

auto Key(const PartRow& row) {
    return std::tie(row.partId, row.kind, row.partNO);
}

// A shop's part table may hold Nulls where the run itself never looks: the report
// reads them as an empty text and an amount of 0 rather than fail the run. A text
// without blanks at its ends is the driver's own string, not a copy.
QString TextOf(const QVariant& value) {
    if (value.isNull())
        return QString();
    QString text = value.toString();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.sliced(begin, end - begin);
}

Currency AmountOf(const QVariant& value) {
    try {
        return Currency::FromVariant(value);
    } catch (const Error&) {
        return Currency();
    }
}

// Walks the reading one row at a time. The fields are found by their place, once per
// reading: a reading takes every part of the brand.
void EachPart(Connection& cn, int brandId, const QString& version,
              const std::function<void(PartRow&&)>& take) {
    const bool price1 = IsPrice1Version(version);
    Recordset rs;
    rs.Open(ReadingQuery(brandId, version), cn, Recordset::adOpenForwardOnly);
    const auto at = [&rs](const char* name) { return rs.FieldIndex(QLatin1String(name)); };
    const int partId = at("PartID"), kind = at("Kind"), partNO = at("PartNO"), eName = at("EName"),
              tName = at("TName"), model = at("Model"), price = at(price1 ? "Price1" : "Price"),
              sale = at(price1 ? "Sale1" : "Sale");
    for (; !rs.Eof(); rs.MoveNext()) {
        PartRow row;
        row.partId = rs.FieldAt(partId).toInt();
        row.kind = TextOf(rs.FieldAt(kind));
        row.partNO = TextOf(rs.FieldAt(partNO));
        row.eName = TextOf(rs.FieldAt(eName));
        row.tName = TextOf(rs.FieldAt(tName));
        row.model = TextOf(rs.FieldAt(model));
        row.price = AmountOf(rs.FieldAt(price));
        row.sale = AmountOf(rs.FieldAt(sale));
        take(std::move(row));
    }
    rs.Close();
}

void Count(Currency before, Currency after, int& up, int& down, int& same) {
    ++(after > before ? up : after < before ? down : same);
}

bool SameTexts(const PartRow& a, const PartRow& b) {
    return a.eName == b.eName && a.tName == b.tName && a.model == b.model;
}

bool ByNumber(const PartRow& a, const PartRow& b) {
    return std::tie(a.kind, a.partNO, a.partId) < std::tie(b.kind, b.partNO, b.partId);
}

} // namespace

QString ReadingQuery(int brandId, const QString& version) {
    // Only what the report shows or compares: every column costs the driver a value per
    // row. The version that keeps its prices in Price1/Sale1 reads those. The rows come
    // in the table's own order (an ordered reading would make the engine walk the table
    // through its PartID index and sort): ReadParts puts them in key order itself, and
    // CompareParts looks each row up.
    const QString prices =
        IsPrice1Version(version) ? QStringLiteral("Price1, Sale1") : QStringLiteral("Price, Sale");
    return QStringLiteral("Select PartID, Kind, PartNO, EName, TName, Model, %1 From Pta%2")
        .arg(prices)
        .arg(brandId);
}

PartRows ReadParts(Connection& cn, int brandId, const QString& version) {
    PartRows rows;
    EachPart(cn, brandId, version, [&](PartRow&& row) { rows.push_back(std::move(row)); });
    // In key order (a table whose rows were added in part ID order already is).
    const auto byKey = [](const PartRow& a, const PartRow& b) { return Key(a) < Key(b); };
    if (!std::is_sorted(rows.begin(), rows.end(), byKey))
        std::stable_sort(rows.begin(), rows.end(), byKey);
    return rows;
}

void CompareParts(Connection& cn, int brandId, const QString& version, const PartRows& before,
                  ReportData& data) {
    data.partsBefore = static_cast<int>(before.size());
    // Counted aside: a reading cut off halfway leaves the count unknown, not short.
    int after = 0;
    EachPart(cn, brandId, version, [&](PartRow&& row) {
        ++after;
        const auto old =
            std::lower_bound(before.begin(), before.end(), row,
                             [](const PartRow& a, const PartRow& b) { return Key(a) < Key(b); });
        if (old == before.end() || Key(*old) != Key(row)) {
            data.created.push_back({std::move(row), CreatedRole::Unknown});
            return;
        }
        Count(old->price, row.price, data.pricesUp, data.pricesDown, data.pricesSame);
        Count(old->sale, row.sale, data.salesUp, data.salesDown, data.salesSame);
        if (!SameTexts(*old, row))
            ++data.textsChanged;
        if (old->price != row.price || old->sale != row.sale)
            data.changes.push_back({*old, std::move(row)});
    });
    data.partsAfter = after;
    std::sort(
        data.changes.begin(), data.changes.end(),
        [](const PriceChange& a, const PriceChange& b) { return ByNumber(a.after, b.after); });
    std::sort(data.created.begin(), data.created.end(),
              [](const CreatedPart& a, const CreatedPart& b) { return ByNumber(a.row, b.row); });
}

} // namespace tolvane::report
