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
// reads them as an empty text and an amount of 0 rather than fail the run.
QString TextOf(const Recordset& rs, const QString& field) {
    const QVariant value = rs.Field(field);
    return value.isNull() ? QString() : TrimBlanks(value.toString());
}

Currency AmountOf(const Recordset& rs, const QString& field) {
    try {
        return Currency::FromVariant(rs.Field(field));
    } catch (const Error&) {
        return Currency();
    }
}

// Walks the reading one row at a time.
void EachPart(Connection& cn, int brandId, const QString& version,
              const std::function<void(PartRow&&)>& take) {
    const bool price1 = IsPrice1Version(version);
    Recordset rs;
    rs.Open(ReadingQuery(brandId, version), cn, Recordset::adOpenForwardOnly);
    for (; !rs.Eof(); rs.MoveNext()) {
        PartRow row;
        row.partId = rs.Field(QStringLiteral("PartID")).toInt();
        row.kind = TextOf(rs, QStringLiteral("Kind"));
        row.partNO = TextOf(rs, QStringLiteral("PartNO"));
        row.eName = TextOf(rs, QStringLiteral("EName"));
        row.tName = TextOf(rs, QStringLiteral("TName"));
        row.model = TextOf(rs, QStringLiteral("Model"));
        row.import = TextOf(rs, QStringLiteral("Import"));
        row.price = AmountOf(rs, price1 ? QStringLiteral("Price1") : QStringLiteral("Price"));
        row.sale = AmountOf(rs, price1 ? QStringLiteral("Sale1") : QStringLiteral("Sale"));
        if (price1) {
            row.price2 = AmountOf(rs, QStringLiteral("Price"));
            row.sale2 = AmountOf(rs, QStringLiteral("Sale"));
        }
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
    // The version that keeps its prices in Price1/Sale1 still has Price and Sale.
    const QString prices = IsPrice1Version(version) ? QStringLiteral("Price1, Sale1, Price, Sale")
                                                    : QStringLiteral("Price, Sale");
    return QStringLiteral("Select PartID, Kind, PartNO, EName, TName, Model, Import, %1 From "
                          "Pta%2 Order By PartID, Kind, PartNO")
        .arg(prices)
        .arg(brandId);
}

PartRows ReadParts(Connection& cn, int brandId, const QString& version) {
    PartRows rows;
    EachPart(cn, brandId, version, [&](PartRow&& row) { rows.push_back(std::move(row)); });
    // The engine's order of texts need not be the program's.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PartRow& a, const PartRow& b) { return Key(a) < Key(b); });
    return rows;
}

void CompareParts(Connection& cn, int brandId, const QString& version, const PartRows& before,
                  ReportData& data) {
    data.partsBefore = static_cast<int>(before.size());
    data.partsAfter = 0;
    EachPart(cn, brandId, version, [&](PartRow&& row) {
        ++data.partsAfter;
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
    std::sort(
        data.changes.begin(), data.changes.end(),
        [](const PriceChange& a, const PriceChange& b) { return ByNumber(a.after, b.after); });
    std::sort(data.created.begin(), data.created.end(),
              [](const CreatedPart& a, const CreatedPart& b) { return ByNumber(a.row, b.row); });
}

} // namespace tolvane::report
