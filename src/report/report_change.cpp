#include "report/report_change.h"

#include <algorithm>

namespace tolvane::report {

namespace {

std::uint64_t Magnitude(std::int64_t value) {
    // Through unsigned arithmetic, so that the lowest value has one too.
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// An unsigned 128-bit product, enough to compare two fractions of 64-bit amounts by
// cross-multiplying. Built from 32-bit halves, as no portable 128-bit type exists.
struct Wide {
    std::uint64_t high, low;
    auto operator<=>(const Wide&) const = default;
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t kHalf = 0xffffffffu;
    const std::uint64_t aLow = a & kHalf, aHigh = a >> 32;
    const std::uint64_t bLow = b & kHalf, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh;
    const std::uint64_t highLow = aHigh * bLow, highHigh = aHigh * bHigh;
    // The sum of the three parts that meet at bit 32 fits: each is below 2^32.
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & kHalf) + (highLow & kHalf);
    return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & kHalf)};
}

// The next decimal digit of rest / base (rest < base); rest becomes what is left.
// 10 * rest can exceed 64 bits, so rest is added ten times, modulo base.
int NextDigit(std::uint64_t& rest, std::uint64_t base) {
    std::uint64_t sum = 0;
    int digit = 0;
    for (int i = 0; i < 10; ++i) {
        if (sum >= base - rest) { // sum + rest >= base, without forming the sum
            sum -= base - rest;
            ++digit;
        } else {
            sum += rest;
        }
    }
    rest = sum;
    return digit;
}

QString TwoDigits(std::uint64_t value) {
    return QString::number(value).rightJustified(2, u'0');
}

// The bucket edges in percent: a change lies in the bucket after the last edge it
// reaches.
constexpr std::array<int, kBucketCount - 1> kEdges = {-10, -5, 0, 5, 10, 20};

struct Ranked {
    Change change;
    QString label;
    const PriceChange* row;
};

// The count first of the price changes of one sign, ordered by `before`.
template <typename Before>
std::vector<const PriceChange*> Largest(const std::vector<PriceChange>& changes, int sign,
                                        std::size_t count, Before before) {
    std::vector<Ranked> ranked;
    for (const PriceChange& c : changes) {
        const std::optional<Change> change = PriceChangeOf(c);
        if (change && change->sign() == sign)
            ranked.push_back({*change, PartLabel(c.after), &c});
    }
    const auto order = [&](const Ranked& a, const Ranked& b) {
        if (a.change != b.change)
            return before(a.change, b.change);
        return a.label < b.label;
    };
    count = std::min(count, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(count),
                      ranked.end(), order);
    std::vector<const PriceChange*> rows;
    for (std::size_t i = 0; i < count; ++i)
        rows.push_back(ranked[i].row);
    return rows;
}

} // namespace

std::optional<Change> Change::Of(Currency before, Currency after) {
    if (before.isZero())
        return std::nullopt;
    const bool negative = after < before;
    // The difference of two 64-bit amounts fits in 64 unsigned bits; modular
    // subtraction gives it exactly.
    const std::uint64_t a = static_cast<std::uint64_t>(after.units());
    const std::uint64_t b = static_cast<std::uint64_t>(before.units());
    return Change(negative, negative ? b - a : a - b, Magnitude(before.units()));
}

QString Change::PercentNumber() const {
    // Percent in hundredths is delta * 10000 / base: the whole part of delta / base,
    // then four digits of its fraction by long division, then the rounding digit.
    std::uint64_t whole = delta_ / base_;
    std::uint64_t rest = delta_ % base_;
    std::uint64_t fraction = 0;
    for (int i = 0; i < 4; ++i)
        fraction = fraction * 10 + static_cast<std::uint64_t>(NextDigit(rest, base_));
    if (rest >= base_ - rest) // half or more of the last place: away from zero
        ++fraction;
    if (fraction == 10000) {
        // A carry needs a remainder, so base > 1 and whole + 1 cannot overflow.
        ++whole;
        fraction = 0;
    }
    if (whole == 0 && fraction == 0)
        return QStringLiteral("0.00");
    QString text = negative_ ? QStringLiteral("-") : QString();
    text += whole == 0 ? QString::number(fraction / 100)
                       : QString::number(whole) + TwoDigits(fraction / 100);
    return text + u'.' + TwoDigits(fraction % 100);
}

QString Change::PercentText() const {
    const QString number = PercentNumber();
    const bool signed_ = number.startsWith(u'-') || number == u"0.00";
    return (signed_ ? number : u'+' + number) + QStringLiteral(" %");
}

bool Change::Beyond(int percent) const {
    return Multiply(delta_, 100) > Multiply(base_, static_cast<std::uint64_t>(percent));
}

std::strong_ordering Change::operator<=>(const Change& other) const {
    if (sign() != other.sign())
        return sign() <=> other.sign();
    // Same sign: compare the magnitudes delta / base by cross-multiplying.
    const std::strong_ordering magnitude =
        Multiply(delta_, other.base_) <=> Multiply(other.delta_, base_);
    return negative_ ? 0 <=> magnitude : magnitude;
}

std::optional<int> BucketOf(const Change& change) {
    if (change.sign() == 0)
        return std::nullopt;
    int bucket = 0;
    for (int edge : kEdges) {
        if (change >= *Change::Of(Currency::FromUnits(100), Currency::FromUnits(100 + edge)))
            ++bucket;
    }
    return bucket;
}

std::optional<Change> PriceChangeOf(const PriceChange& change) {
    return Change::Of(change.before.price, change.after.price);
}

std::array<int, kBucketCount> BucketCounts(const std::vector<PriceChange>& changes) {
    std::array<int, kBucketCount> counts{};
    for (const PriceChange& c : changes) {
        if (const std::optional<Change> change = PriceChangeOf(c)) {
            if (const std::optional<int> bucket = BucketOf(*change))
                ++counts[static_cast<std::size_t>(*bucket)];
        }
    }
    return counts;
}

QString PartLabel(const PartRow& row) {
    return row.kind.isEmpty() ? row.partNO : row.kind + u'-' + row.partNO;
}

std::vector<const PriceChange*> LargestRises(const std::vector<PriceChange>& changes,
                                             std::size_t count) {
    return Largest(changes, 1, count, [](const Change& a, const Change& b) { return a > b; });
}

std::vector<const PriceChange*> LargestFalls(const std::vector<PriceChange>& changes,
                                             std::size_t count) {
    return Largest(changes, -1, count, [](const Change& a, const Change& b) { return a < b; });
}

ChangesToCheck ToCheck(const std::vector<PriceChange>& changes, int share) {
    ChangesToCheck check;
    for (const PriceChange& c : changes) {
        if (c.after.sale.isZero() && !c.before.sale.isZero())
            check.saleToZero.push_back(&c);
        if (c.after.price.isZero() && !c.before.price.isZero()) {
            check.priceToZero.push_back(&c);
            continue;
        }
        const std::optional<Change> change = PriceChangeOf(c);
        if (change && change->Beyond(share))
            (change->sign() > 0 ? check.rises : check.falls).push_back(&c);
    }
    return check;
}

} // namespace tolvane::report
