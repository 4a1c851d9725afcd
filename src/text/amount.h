#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <compare>
#include <cstdint>

namespace tolvane {

// A price: an exact signed count of ten-thousandths held in 64 bits, as the shop's
// databases keep their currency columns. Never goes through a double in logic;
// doubles are accepted only at the edge (a driver that reports a float) and are
// rounded to four places, half away from zero. Overflow raises Error.
class Currency {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Currency() = default;

    // Ten-thousandths as they are.
    static constexpr Currency FromUnits(std::int64_t units) {
        Currency c;
        c.units_ = units;
        return c;
    }
    // A whole amount (1250 -> 1250.0000).
    static Currency FromWhole(std::int64_t whole);
    // Decimal text: optional sign, digits, optional point and digits, optional
    // exponent; surrounding blanks allowed. More than four decimals are rounded half
    // away from zero. Anything else raises Error.
    static Currency FromText(QStringView text);
    static Currency FromDouble(double value);
    // A field value: text, integer or floating point. Null raises Error.
    static Currency FromVariant(const QVariant& value);

    constexpr std::int64_t units() const { return units_; }
    constexpr bool isZero() const { return units_ == 0; }

    // The amount text of a statement: optional minus, no grouping, "." as point,
    // no trailing zeros and no point for whole amounts (1250, 12.5, 0.125, -3.75).
    QString ToText() const;

    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t units_ = 0;
};

} // namespace tolvane
