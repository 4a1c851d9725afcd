#include "parts/part_entry.h"

#include "data/recordset.h"

namespace tolvane {

PartEntry ReadPartEntry(const Recordset& rs, bool withLinks) {
    PartEntry e;
    e.Kind = rs.Text(QStringLiteral("Kind"));
    e.PartNO = rs.Text(QStringLiteral("PartNO"));
    if (withLinks) {
        e.lKind = rs.Text(QStringLiteral("lKind"));
        e.lAtNO = rs.Text(QStringLiteral("lAtNO"));
        e.AKind = rs.Text(QStringLiteral("AKind"));
        e.AltNO = rs.Text(QStringLiteral("AltNO"));
    }
    e.EName = rs.Text(QStringLiteral("EName"));
    e.TName = rs.Text(QStringLiteral("TName"));
    e.Model = rs.Text(QStringLiteral("Model"));
    e.Import = rs.Text(QStringLiteral("Import"));
    e.Price = rs.Amount(QStringLiteral("Price"));
    e.Sale = rs.Amount(QStringLiteral("Sale"));
    return e;
}

} // namespace tolvane
