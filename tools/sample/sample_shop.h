#pragma once

#include "sample/sample_random.h"
#include "sample/sample_vocabulary.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace tolvane::sample {

// The brand of the sample: the program's fixed brand code and the shop's ID for it.
inline constexpr int kBrandID = 7;
inline constexpr const char* kBrand = "TATA";

// A part the shop already holds.
struct ShopPart {
    int id = 0;
    QString kind, number;
    QString lKind, lAtNO; // a linked part the shop recorded for it, or empty
    PartName name;
    QString model, import;
    std::int64_t price = 0, sale = 0; // satang
    int upRec = 0;                    // non-zero: the shop keeps its own texts
};

struct Shop {
    std::vector<ShopPart> parts;
    // Groups of interchangeable parts, as indexes into parts; the first is the head,
    // whose factories every member shares.
    std::vector<std::vector<int>> groups;
    std::vector<int> freedIds; // IDs given back to the Pta counter (OldID)
    int lastId = 0;            // the Pta counter (LastID)
};

// The parts, their IDs, alternate groups and counters; drawn before anything is
// written so that the price list can refer to them.
Shop MakeShop(Random& random, PartNumbers& numbers, int partCount);

struct ShopCounts {
    int altRows = 0, facRows = 0, movementRows = 0;
};

// The CREATE INDEX statements of the indexes that WriteShop builds, for any engine.
QStringList ShopIndexes(const QString& version);

// Writes the shop database of `version` at `path` (a new SQLite file): the tables
// the run reads, the parts with their alternate-price rows, alternate and factory
// links, copies in SPG, Price and Sale, `movement` MovementStock rows (some of other
// brands), other brands and the ID counters. One transaction, prepared statements.
ShopCounts WriteShop(const QString& path, const QString& version, const Shop& shop, int movement,
                     Random& random);

} // namespace tolvane::sample
