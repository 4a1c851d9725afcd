#pragma once

#include "shop/pta_tables.h"

#include <QSqlDatabase>
#include <QString>

// The shop database of any supported version, with the parts a test or a sample puts in.
namespace tolvane::shop {

// A new SQLite file at `path` holding the shop database of `version` (any of the 25):
// System (Ver), Brand (brandName -> brandId), Pta<B> with its version's columns,
// Alt<B> in its shape, AltG<B>, FacD<B>, Fac, AltGX, PriceList (13 columns),
// MovementStock, SPG, Price, Sale, LastID, OldID.
void CreateTarget(const QString& path, const QString& version, int brandId = 7,
                  const QString& brandName = "TATA");
// The same tables in an open database (a new SQLite file or an empty PostgreSQL one).
void CreateTargetOn(QSqlDatabase& db, const QString& version, int brandId, const QString& brandName,
                    Flavour flavour);

// An existing part of the shop, written into Pta<B> by column name (the other
// columns get 0, '' or False), plus its Alt<B> row and, when withCopies, one row each
// in MovementStock, SPG, Price and Sale. LastID is raised to the part's ID.
struct Part {
    int PartID = 0;
    QString Kind, PartNO, FPartNO, EName, TName, Model, Import, lKind, lAtNO;
    QString Price = "0", Sale = "0"; // Price1/Sale1 in P.45 (Bar)
    int UpRec = 0;
};
void SeedPart(const QString& path, const QString& version, int brandId, const Part& part,
              bool withCopies = true);
void SeedPartOn(QSqlDatabase& db, const QString& version, int brandId, const Part& part,
                bool withCopies = true);

} // namespace tolvane::shop
