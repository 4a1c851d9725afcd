#include "sample/sample_shop.h"

#include "sample/sample_sql.h"
#include "shop/db.h"
#include "shop/shop_tables.h"
#include "text/versions.h"

#include <QHash>

namespace tolvane::sample {

namespace {

using shop::Db;

struct Named {
    int id;
    const char* name;
};

// Other brands of the shop: their MovementStock rows share PartIDs with TATA parts,
// which only the BrandID tells apart.
const std::vector<Named> kOtherBrands = {{1, "ISUZU"},      {2, "NISSAN"}, {3, "HINO"},
                                         {4, "MITSUBISHI"}, {5, "UD"},     {6, "BENZ"}};
const std::vector<Named> kFactories = {{1, "TATA MOTORS"}, {2, "BOSCH"}, {3, "DENSO"},
                                       {4, "NGK"},         {5, "AISIN"}, {6, "KYB"},
                                       {7, "VALEO"},       {8, "GATES"}};

QString Table(const char* base) {
    return QLatin1String(base) + QString::number(kBrandID);
}

// Draws the alternate groups: about 8 % of the parts, in groups of two or three.
void DrawGroups(Random& random, Shop& shop) {
    std::vector<int> order(shop.parts.size());
    for (int i = 0; i < static_cast<int>(order.size()); ++i)
        order[i] = i;
    random.Shuffle(order);
    const std::size_t grouped = order.size() * 8 / 100;
    for (std::size_t at = 0; at + 1 < grouped;) {
        const std::size_t size = std::min<std::size_t>(random.Between(2, 3), grouped - at);
        shop.groups.emplace_back(order.begin() + at, order.begin() + at + size);
        at += size;
    }
}

// The Pta<B> row of a part by column name, as the shop's own program fills it; the
// columns a layout does not name get 0 or ''.
std::vector<QVariant> PtaRow(const ShopPart& part, const QString& version, const QStringList& names,
                             const QStringList& types) {
    const bool price1 = IsPrice1Version(version);
    const bool searchKey = IsSearchKeyVersion(version);
    const QString eFind = (part.name.en + "  " + part.model).trimmed();
    const QString tFind = (part.name.th + "  " + part.model).trimmed();
    const QHash<QString, QVariant> given = {
        {"partid", part.id},
        {"kind", part.kind},
        {"partno", part.number},
        {"partno2", part.number},
        {"fpartno", searchKey ? CompactNumber(part.number) : QString()},
        {"lkind", part.lKind},
        {"latno", part.lAtNO},
        {"ename", part.name.en},
        {"tname", part.name.th},
        {"efind", eFind},
        {"tfind", tFind},
        {"model", part.model},
        {"import", part.import},
        {price1 ? "price1" : "price", AmountText(part.price)},
        {price1 ? "sale1" : "sale", AmountText(part.sale)},
        {"brandid", kBrandID},
        {"kindpartno", part.kind.isEmpty() ? part.number : part.kind + "-" + part.number},
        {"uprec", part.upRec},
    };
    std::vector<QVariant> values;
    values.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        const auto found = given.constFind(names[i].toLower());
        if (found != given.constEnd())
            values.push_back(*found);
        else if (types[i] == QLatin1String("TEXT"))
            values.push_back(QString(""));
        else
            values.push_back(0);
    }
    return values;
}

void WriteParts(QSqlDatabase& db, const QString& version, const Shop& shop) {
    const QStringList names = shop::PtaColumns(version);
    const QStringList types = shop::PtaColumnKinds(version);
    Inserter pta(db, Table("Pta"), names);
    const bool altSale = IsAltSaleVersion(version);
    const QStringList altColumns =
        altSale ? QStringList{"AltID", "AType", "Kind", "PartNO", "APrice", "ASale"}
                : QStringList{"AltID", "Kind", "PartNO", "APrice"};
    Inserter alt(db, Table("Alt"), altColumns);
    for (const ShopPart& part : shop.parts) {
        pta.Row(PtaRow(part, version, names, types));
        if (altSale)
            alt.Row({part.id, 0, part.kind, part.number, AmountText(part.price),
                     AmountText(part.sale)});
        else
            alt.Row({part.id, part.kind, part.number, AmountText(part.price)});
    }
    // The placeholder row every insertion run leaves behind.
    if (altSale)
        alt.Row({0, 0, QString(""), QString(""), 0, 0});
    else
        alt.Row({0, QString(""), QString(""), 0});
}

// Every member of a group linked to every other, all sharing the head's factories;
// a part alone has a placeholder link (AltID 0) about half the time.
void WriteLinks(QSqlDatabase& db, const Shop& shop, Random& random, ShopCounts& counts) {
    Inserter altG(db, Table("AltG"), {"Seq", "PartID", "AltID"});
    Inserter facD(db, Table("FacD"), {"Seq", "PartID", "FacID"});
    Inserter fac(db, "Fac", {"FacID", "FacName"});
    for (const Named& f : kFactories)
        fac.Row({f.id, QString::fromLatin1(f.name)});

    auto drawFactories = [&random]() {
        std::vector<int> ids = {random.Between(1, 8)};
        if (random.Chance(0.3)) {
            const int second = random.Between(1, 8);
            if (second != ids.front())
                ids.push_back(second);
        }
        return ids;
    };
    std::vector<bool> grouped(shop.parts.size(), false);
    for (const std::vector<int>& group : shop.groups) {
        const std::vector<int> factories = drawFactories();
        for (int m : group) {
            grouped[m] = true;
            for (int n : group) {
                if (n != m) {
                    altG.Row({0, shop.parts[m].id, shop.parts[n].id});
                    ++counts.altRows;
                }
            }
            for (int f : factories) {
                facD.Row({0, shop.parts[m].id, f});
                ++counts.facRows;
            }
        }
    }
    for (std::size_t i = 0; i < shop.parts.size(); ++i) {
        if (grouped[i])
            continue;
        if (random.Chance(0.5)) {
            altG.Row({0, shop.parts[i].id, 0});
            ++counts.altRows;
        }
        if (random.Chance(0.25)) {
            for (int f : drawFactories()) {
                facD.Row({0, shop.parts[i].id, f});
                ++counts.facRows;
            }
        }
    }
}

// The copies of a part's texts the shop keeps in its stock, price-group, quote and
// sales tables, and the stock movements (some of other brands, same PartIDs).
void WriteCopies(QSqlDatabase& db, const Shop& shop, int movement, Random& random) {
    Inserter spg(db, "SPG", {"BrandID", "PartID", "EName", "TName", "Model", "Price"});
    Inserter price(db, "Price", {"PartID", "BrandID", "TName", "Model"});
    Inserter sale(db, "Sale", {"PartID", "BrandID", "TName", "Model"});
    for (const ShopPart& p : shop.parts) {
        if (random.Chance(0.9))
            spg.Row({kBrandID, p.id, p.name.en, p.name.th, p.model, AmountText(p.price)});
        for (int n = random.Between(0, 2); n > 0; --n)
            price.Row({p.id, kBrandID, p.name.th, p.model});
        for (int n = random.Between(0, 2); n > 0; --n)
            sale.Row({p.id, kBrandID, p.name.th, p.model});
    }
    Inserter stock(db, "MovementStock", {"PartID", "BrandID", "EName", "TName", "Model", "Qty"});
    const int partCount = static_cast<int>(shop.parts.size());
    for (int k = 0; k < movement; ++k) {
        const int qty = random.Chance(0.3) ? random.Between(1, 48) : -random.Between(1, 12);
        if (partCount == 0 || random.Chance(0.08)) {
            const Named& brand = random.Pick(kOtherBrands);
            const int id = random.Between(1, std::max(shop.lastId, 1));
            const PartName name = RandomName(random);
            stock.Row({id, brand.id, name.en, name.th, RandomModel(random), qty});
            continue;
        }
        // Every part moves once before any moves twice.
        const ShopPart& p = k < partCount ? shop.parts[k] : shop.parts[random.Below(partCount)];
        stock.Row({p.id, kBrandID, p.name.en, p.name.th, p.model, qty});
    }
}

void WriteBrandsAndCounters(QSqlDatabase& db, const Shop& shop) {
    Inserter brand(db, "Brand", {"BrandID", "BrandName"});
    for (const Named& b : kOtherBrands)
        brand.Row({b.id, QString::fromLatin1(b.name)});
    Inserter last(db, "LastID", {"NameID", "LastID"});
    last.Row({Table("Pta"), shop.lastId});
    last.Row({QString("Pta1"), 5321});
    last.Row({QString("Customer"), 845});
    last.Row({QString("Invoice"), 20411});
    Inserter old(db, "OldID", {"NameID", "OldID"});
    for (int id : shop.freedIds)
        old.Row({Table("Pta"), id});
    old.Row({QString("Pta1"), 17});
    old.Row({QString("Pta1"), 230});
}

void WriteIndexes(QSqlDatabase& db, const QString& version) {
    for (const QString& index : ShopIndexes(version))
        shop::ExecOn(db, index);
}

} // namespace

// The indexes a working shop database carries: its program finds parts by ID and
// by number, and keeps the copies of a part's texts in step by PartID and BrandID.
QStringList ShopIndexes(const QString& version) {
    const QStringList ptaColumns = shop::PtaColumns(version);
    QStringList indexes = {
        Table("Pta") + " (PartID)",
        Table("Pta") + " (PartNO)",
        "MovementStock (PartID, BrandID)",
        "SPG (PartID, BrandID)",
        "Price (PartID, BrandID)",
        "Sale (PartID, BrandID)",
        Table("Alt") + " (AltID)",
        Table("AltG") + " (PartID)",
        Table("FacD") + " (PartID)",
        "AltGX (PartID)", // the rebuild's queue: every part is taken out by PartID
        "LastID (NameID)",
        "OldID (NameID)",
        "PriceList (BrandID, PartNO)",
    };
    if (ptaColumns.contains(QStringLiteral("FPartNO"), Qt::CaseInsensitive))
        indexes << Table("Pta") + " (FPartNO)";
    QStringList statements;
    for (const QString& index : indexes) {
        // "Pta9 (PartID, BrandID)" -> IX_Pta9_PartID_BrandID
        QString name = "IX_" + index;
        name.remove(u')').replace(QLatin1String(" ("), QLatin1String("_"));
        name.replace(QLatin1String(", "), QLatin1String("_"));
        statements << "CREATE INDEX " + name + " ON " + index;
    }
    return statements;
}

Shop MakeShop(Random& random, PartNumbers& numbers, int partCount) {
    Shop shop;
    int id = 0;
    for (int i = 0; i < partCount; ++i) {
        ++id;
        if (random.Chance(0.01)) // a part deleted long ago gave its ID back
            shop.freedIds.push_back(id++);
        ShopPart p;
        p.id = id;
        p.kind = RandomKind(random);
        p.number = numbers.Next(random);
        p.name = RandomName(random);
        p.model = RandomModel(random);
        p.import = RandomImport(random);
        p.price = RandomPrice(random);
        p.sale = RandomSale(random, p.price);
        const double mark = random.Unit();
        p.upRec = mark < 0.04 ? 1 : mark < 0.06 ? -1 : 0;
        shop.parts.push_back(p);
    }
    // A few parts name an older part as their linked part.
    for (ShopPart& p : shop.parts) {
        if (shop.parts.size() > 1 && random.Chance(0.05)) {
            const ShopPart& other = random.Pick(shop.parts);
            if (other.id != p.id) {
                p.lKind = other.kind;
                p.lAtNO = other.number;
            }
        }
    }
    while (shop.freedIds.size() < 3)
        shop.freedIds.push_back(++id);
    shop.lastId = id;
    DrawGroups(random, shop);
    return shop;
}

ShopCounts WriteShop(const QString& path, const QString& version, const Shop& shop, int movement,
                     Random& random) {
    shop::CreateTarget(path, version, kBrandID, QString::fromLatin1(kBrand));
    Db db(path);
    QSqlDatabase& sql = db.database();
    if (!sql.transaction())
        throw std::runtime_error("cannot begin a transaction on " + path.toStdString());
    ShopCounts counts;
    WriteBrandsAndCounters(sql, shop);
    WriteParts(sql, version, shop);
    WriteLinks(sql, shop, random, counts);
    WriteCopies(sql, shop, movement, random);
    counts.movementRows = movement;
    // Built after the rows are in, which is quicker than keeping them up to date.
    WriteIndexes(sql, version);
    if (!sql.commit())
        throw std::runtime_error("cannot commit " + path.toStdString());
    return counts;
}

} // namespace tolvane::sample
