#pragma once

#include "sample/sample_random.h"

#include <QSet>
#include <QString>
#include <cstdint>

namespace tolvane::sample {

// The words a TATA parts counter uses: part names in English and Thai, model texts,
// kinds, import marks, part numbers in the supplier's styles, and prices.

struct PartName {
    QString en, th;
};

// A part name, now and then with a side or set qualifier ("HEAD LAMP RH" / "ไฟหน้า ขวา").
PartName RandomName(Random& random);
// One or two models ("XENON 2.2", "ULTRA T.7/PRIMA 4028.S"), sometimes empty.
QString RandomModel(Random& random);
// Mostly empty; otherwise "A", "B", "C" or "T".
QString RandomKind(Random& random);
QString RandomImport(Random& random);
// A price in satang (hundredths of a baht), rounded the way a price list is.
std::int64_t RandomPrice(Random& random);
// The shop's sale price for a price: the price itself or a discount of up to 15 %.
std::int64_t RandomSale(Random& random, std::int64_t price);
// A new price for a changed entry: 2 to 12 % up, never equal to the old one.
std::int64_t RaisedPrice(Random& random, std::int64_t price);
// An amount in satang as decimal text without trailing zeros ("1250", "87.5").
QString AmountText(std::int64_t satang);
// The compact form of a part number: blanks, "/" and "-" removed.
QString CompactNumber(const QString& number);

// Part numbers in the supplier's styles ("2701-8540-0102", "88-1234-567/A",
// "2654 1234 0150"), each new one distinct from all before it also in its compact
// form, so lookups by search number find exactly one part.
class PartNumbers {
public:
    QString Next(Random& random);

private:
    QString Draw(Random& random) const;
    QSet<QString> used_;
};

} // namespace tolvane::sample
