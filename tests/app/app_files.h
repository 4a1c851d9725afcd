#pragma once

// A supplier's file and a shop database for the window and runner tests, and the
// small run of the transfer tests: chunk 1 changes part A-100 and adds a new part,
// chunk 2 lists A-100 again at another price, so the run collects a list, enlarges
// the window and leaves one line in the grid.

#include "fixtures/fixtures.h"

#include <QTemporaryDir>

namespace tolvane::testing {

struct AppFiles {
    explicit AppFiles(const QString& version = QStringLiteral("P.52"),
                      const QString& brandName = QStringLiteral("TATA"))
        : source(dir.filePath("PriceList_TATA.mdb")), target(dir.filePath("Velmora.accdb")) {
        fixtures::CreateSource(source);
        fixtures::CreateTarget(target, version, 7, brandName);
        fixtures::AddChunk(source, 1,
                           {Row("A", "100", "150", "140"), Row("", "NEW-1", "80", "70")});
        fixtures::AddChunk(source, 2, {Row("A", "100", "155", "140")});
        fixtures::Part part;
        part.PartID = 1;
        part.Kind = "A";
        part.PartNO = "100";
        part.FPartNO = "100";
        part.EName = part.TName = part.Model = "OLD";
        part.Import = part.lKind = part.lAtNO = QStringLiteral("");
        part.Price = part.Sale = "1";
        fixtures::SeedPart(target, version, 7, part);
        // The shop's ID counter knows the part: new parts start after it.
        fixtures::Db(target).Exec("Insert Into LastID Values( 'Pta7', 1 )");
    }

    static fixtures::PriceRow Row(const QString& kind, const QString& partNO, const QString& price,
                                  const QString& sale) {
        // A supplier's file holds empty texts, not Null, in the fields it leaves blank.
        fixtures::PriceRow r;
        r.lKind = r.lAtNO = r.AKind = r.AltNO = r.PartNew = r.FPartNew = QStringLiteral("");
        r.Kind = kind;
        r.PartNO = partNO;
        r.EName = "E-" + partNO;
        r.TName = "NAME";
        r.Model = "MODEL";
        r.Import = "1";
        r.Price = price;
        r.Sale = sale;
        return r;
    }

    QTemporaryDir dir;
    QString source, target;
};

} // namespace tolvane::testing
