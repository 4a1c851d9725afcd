#pragma once
// The price-list rows and shop parts most tests are built from.
#include "shop/price_list_file.h"
#include "shop/shop_tables.h"

namespace tolvane::testing {

// A price-list row; texts the test leaves are empty, not Null (a Null is a fault the
// stages report).
inline shop::PriceRow ListRow(const QString& kind, const QString& partNO, const QString& price,
                                  const QString& sale, const QString& tname = "NAME",
                                  const QString& model = "MODEL") {
    shop::PriceRow r;
    for (QString* text : {&r.lKind, &r.lAtNO, &r.AKind, &r.AltNO, &r.PartNew, &r.FPartNew})
        *text = QStringLiteral("");
    r.Kind = kind;
    r.PartNO = partNO;
    r.EName = "E-" + partNO;
    r.TName = tname;
    r.Model = model;
    r.Import = "1";
    r.Price = price;
    r.Sale = sale;
    return r;
}

// A shop part with its number, kind and prices; its texts read `name`.
inline shop::Part ShopPart(int id, const QString& kind, const QString& partNO,
                               const QString& price, const QString& sale,
                               const QString& name = "OLD") {
    shop::Part p;
    p.PartID = id;
    p.Kind = kind;
    p.PartNO = partNO;
    p.FPartNO = QString(partNO).remove(' ').remove('/').remove('-');
    p.EName = p.TName = name;
    p.Model = "OLD";
    p.Import = p.lKind = p.lAtNO = QStringLiteral("");
    p.Price = price;
    p.Sale = sale;
    return p;
}

} // namespace tolvane::testing
