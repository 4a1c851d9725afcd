#pragma once

// The arithmetic of a price change for the report: the exact ratio of a change, its
// percentage text, the chart's bucket and the largest rises and falls. No double is
// involved: every decision is made on the exact amounts.

#include "report/report_data.h"

#include <QString>
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

namespace tolvane::report {

// The change of an amount relative to its old value, (new - old) / |old|, kept as an
// exact fraction. Relative to the magnitude so that a rise is positive even for a
// negative old amount.
class Change {
public:
    // Empty when the old amount is 0: a change from nothing has no ratio.
    static std::optional<Change> Of(Currency before, Currency after);

    int sign() const { return delta_ == 0 ? 0 : (negative_ ? -1 : 1); }

    // The percentage rounded half away from zero to 2 decimals, with no sign when it
    // rounds to zero: "12.50", "-3.33", "0.00".
    QString PercentNumber() const;
    // The same as people read it: "+12.50 %", "-3.33 %", "0.00 %".
    QString PercentText() const;

    // True when the change is larger than `percent` percent either way, exactly.
    bool Beyond(int percent) const;

    std::strong_ordering operator<=>(const Change& other) const;
    bool operator==(const Change& other) const { return (*this <=> other) == 0; }

private:
    Change(bool negative, std::uint64_t delta, std::uint64_t base)
        : negative_(negative && delta != 0), delta_(delta), base_(base) {}

    bool negative_;
    std::uint64_t delta_; // |new - old|
    std::uint64_t base_;  // |old|, never 0
};

// The chart's buckets, left edge included: below -10 %, -10 to -5, -5 to 0, 0 to 5,
// 5 to 10, 10 to 20, 20 % and more. A change of exactly 0 lies in none.
constexpr int kBucketCount = 7;
std::optional<int> BucketOf(const Change& change);

// The change of a part's price (not its sale price); empty when the old price is 0.
std::optional<Change> PriceChangeOf(const PriceChange& change);

// How many price changes fall in each bucket: only prices that changed from a price
// that was not 0.
std::array<int, kBucketCount> BucketCounts(const std::vector<PriceChange>& changes);

// The part number as the shop writes it: "K-N", or N alone when the kind is empty.
QString PartLabel(const PartRow& row);

// The count largest price rises (largest first) and falls (deepest first), ties in
// part-number order.
std::vector<const PriceChange*> LargestRises(const std::vector<PriceChange>& changes,
                                             std::size_t count = 20);
std::vector<const PriceChange*> LargestFalls(const std::vector<PriceChange>& changes,
                                             std::size_t count = 20);

// What a clerk checks before printing shelf labels, each in part-number order: sale
// prices and prices that became 0, and prices (not 0 now) that rose or fell by more
// than `share` percent. A price that had no old value has no share and is in neither.
struct ChangesToCheck {
    std::vector<const PriceChange*> saleToZero, priceToZero, rises, falls;
};
ChangesToCheck ToCheck(const std::vector<PriceChange>& changes, int share);

} // namespace tolvane::report
