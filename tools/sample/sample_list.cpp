#include "sample/sample_list.h"

#include "sample/sample_sql.h"
#include "shop/db.h"

namespace tolvane::sample {

namespace {

using shop::PriceRow;

PriceRow RowOf(const ShopPart& p) {
    PriceRow row;
    row.Kind = p.kind;
    row.PartNO = p.number;
    row.EName = p.name.en;
    row.TName = p.name.th;
    row.Model = p.model;
    row.Import = p.import;
    return row;
}

// The supplier writes 0 as the sale price when it equals the price; the run reads
// such a 0 as the price again.
void SetPrices(Random& random, PriceRow& row, std::int64_t price, std::int64_t sale) {
    row.Price = AmountText(price);
    row.Sale = sale == price && random.Chance(0.5) ? QStringLiteral("0") : AmountText(sale);
}

ListEntry Unchanged(Random& random, const ShopPart& p) {
    ListEntry entry{RowOf(p), EntryKind::Unchanged};
    SetPrices(random, entry.row, p.price, p.sale);
    return entry;
}

// A new price (and the sale price with it), or only a new sale price; now and then a
// new model text or a reworded name as well.
ListEntry Changed(Random& random, const ShopPart& p) {
    ListEntry entry{RowOf(p), EntryKind::Changed};
    std::int64_t price = p.price;
    std::int64_t sale = p.sale;
    if (random.Chance(0.75)) {
        price = RaisedPrice(random, p.price);
        sale = p.sale == p.price ? price : RandomSale(random, price);
    } else {
        sale = p.sale == p.price ? p.price * 95 / 100 / 100 * 100 : p.price;
    }
    SetPrices(random, entry.row, price, sale);
    if (random.Chance(0.2))
        entry.row.Model = RandomModel(random);
    if (random.Chance(0.1)) {
        entry.row.EName += QStringLiteral(" (NEW)");
        entry.row.TName += QStringLiteral(" (ใหม่)");
    }
    return entry;
}

ListEntry Fresh(Random& random, PartNumbers& numbers) {
    ListEntry entry;
    entry.row.Kind = RandomKind(random);
    entry.row.PartNO = numbers.Next(random);
    const PartName name = RandomName(random);
    entry.row.EName = name.en;
    // Some new parts come without a Thai name; the shop then shows the English one.
    entry.row.TName = random.Chance(0.1) ? QString() : name.th;
    entry.row.Model = RandomModel(random);
    entry.row.Import = RandomImport(random);
    const std::int64_t price = RandomPrice(random);
    SetPrices(random, entry.row, price, RandomSale(random, price));
    return entry;
}

// A related part: one the shop holds (not the entry's own) or a new number.
void RelatedPart(Random& random, PartNumbers& numbers, const Shop& shop, const PriceRow& own,
                 QString& kind, QString& number) {
    if (!shop.parts.empty() && random.Chance(0.5)) {
        const ShopPart& p = random.Pick(shop.parts);
        if (p.number != own.PartNO) {
            kind = p.kind;
            number = p.number;
            return;
        }
    }
    kind = RandomKind(random);
    number = numbers.Next(random);
}

void Link(Random& random, PartNumbers& numbers, const Shop& shop, ListEntry& entry) {
    PriceRow& row = entry.row;
    const double mode = random.Unit();
    if (mode < 0.4 || mode >= 0.7) {
        if (random.Chance(0.1)) { // the supplier repeats the own number as linked
            row.lKind = row.Kind;
            row.lAtNO = row.PartNO;
        } else {
            RelatedPart(random, numbers, shop, row, row.lKind, row.lAtNO);
        }
    }
    if (mode >= 0.4)
        RelatedPart(random, numbers, shop, row, row.AKind, row.AltNO);
    entry.linked = true;
}

} // namespace

std::vector<ListEntry> MakeList(Random& random, PartNumbers& numbers, const Shop& shop,
                                const ListShares& shares) {
    const int rows = shares.rows;
    const int partCount = static_cast<int>(shop.parts.size());
    const int newCount = partCount == 0 ? rows : static_cast<int>(rows * shares.newShare + 0.5);
    std::vector<int> order(partCount);
    for (int i = 0; i < partCount; ++i)
        order[i] = i;
    random.Shuffle(order);

    std::vector<ListEntry> entries;
    entries.reserve(rows);
    std::vector<int> partOf;
    for (int i = 0; i < rows - newCount; ++i) {
        // More entries than parts: the list names some parts twice.
        const int at = i < partCount ? order[i] : static_cast<int>(random.Below(partCount));
        const ShopPart& p = shop.parts[at];
        entries.push_back(random.Chance(0.35) ? Unchanged(random, p) : Changed(random, p));
        partOf.push_back(at);
    }
    // About one entry in a hundred names a part a second time with another price (a
    // corrected line the supplier left in): whichever comes last wins, so the other
    // one is still different at the end of the run.
    const int existing = static_cast<int>(entries.size());
    for (int d = existing >= 20 ? existing / 100 + 1 : 0; d > 0; --d) {
        const int from = static_cast<int>(random.Below(existing));
        const int into = static_cast<int>(random.Below(existing));
        if (from != into) {
            entries[into] = Changed(random, shop.parts[partOf[from]]);
            partOf[into] = partOf[from];
        }
    }
    for (int i = 0; i < newCount; ++i)
        entries.push_back(Fresh(random, numbers));
    random.Shuffle(entries);

    std::vector<int> linkOrder(rows);
    for (int i = 0; i < rows; ++i)
        linkOrder[i] = i;
    random.Shuffle(linkOrder);
    const int linkCount = std::min(rows, static_cast<int>(rows * shares.linkShare + 0.5));
    for (int i = 0; i < linkCount; ++i)
        Link(random, numbers, shop, entries[linkOrder[i]]);

    for (ListEntry& entry : entries) {
        if (random.Chance(0.03)) { // superseded: the supplier names the new number
            entry.row.PartNew = numbers.Next(random);
            entry.row.FPartNew = CompactNumber(entry.row.PartNew);
        }
        if (random.Chance(0.05)) // padded names; the run trims them
            entry.row.EName += QStringLiteral("  ");
    }
    return entries;
}

int WriteList(const QString& path, const std::vector<ListEntry>& entries, int chunk) {
    const int total = static_cast<int>(entries.size());
    const int chunks = (total + chunk - 1) / chunk;
    shop::CreateSource(path);
    for (int n = 1; n <= chunks; ++n)
        shop::AddChunk(path, n, {});

    shop::Db db(path);
    QSqlDatabase& sql = db.database();
    if (!sql.transaction())
        throw std::runtime_error("cannot begin a transaction on " + path.toStdString());
    for (int n = 1; n <= chunks; ++n) {
        Inserter insert(sql, QStringLiteral("PriceList_") + QString::number(n),
                        {"Kind", "PartNO", "PartNew", "FPartNew", "lKind", "lAtNO", "AKind",
                         "AltNO", "EName", "TName", "Model", "Import", "Price", "Sale"});
        const int end = std::min(total, n * chunk);
        for (int i = (n - 1) * chunk; i < end; ++i) {
            const PriceRow& r = entries[i].row;
            insert.Row({r.Kind, r.PartNO, r.PartNew, r.FPartNew, r.lKind, r.lAtNO, r.AKind, r.AltNO,
                        r.EName, r.TName, r.Model, r.Import, r.Price, r.Sale});
        }
    }
    // The collected list is looked up by number while it is filled.
    shop::ExecOn(sql,
                 QStringLiteral("CREATE INDEX IX_PriceListAll_PartNO ON PriceListAll (PartNO)"));
    if (!sql.commit())
        throw std::runtime_error("cannot commit " + path.toStdString());
    return chunks;
}

} // namespace tolvane::sample
