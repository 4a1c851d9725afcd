#pragma once

#include <QString>
#include <vector>

// The supplier's price-list file as a SQLite file: PriceList_Count, the chunk tables
// PriceList_<n> and PriceListAll.
namespace tolvane::shop {

// One row of a chunk table PriceList_<n> (and of PriceListAll). Amounts as text.
struct PriceRow {
    QString Kind, PartNO, lKind, lAtNO, AKind, AltNO, EName, TName, Model, Import;
    QString Price = "0", Sale = "0";
    QString PartNew, FPartNew;
};

// A new file at `path`: PriceList_Count and PriceListAll (14 columns), no chunks yet.
void CreateSource(const QString& path);
// Adds chunk table PriceList_<n> with its rows and n to PriceList_Count.
void AddChunk(const QString& path, int n, const std::vector<PriceRow>& rows);

} // namespace tolvane::shop
