#pragma once

#include "sample/sample_shop.h"
#include "shop/price_list_file.h"

#include <vector>

namespace tolvane::sample {

// What a price-list entry means for the shop it is made for.
enum class EntryKind {
    New,       // its part number is not in the shop
    Changed,   // in the shop with another price or sale price
    Unchanged, // in the shop with the same price and sale price
};

struct ListEntry {
    shop::PriceRow row;
    EntryKind kind = EntryKind::New;
    bool linked = false; // names a linked or an alternate part number
};

struct ListShares {
    int rows = 0;
    double newShare = 0;
    double linkShare = 0;
};

// The supplier's list for `shop`: entries for parts the shop holds (some with new
// prices, names or models, some exactly as the shop has them), entries for new
// parts, and entries naming linked and alternate numbers (of parts the shop holds or
// of new ones), in the supplier's order.
std::vector<ListEntry> MakeList(Random& random, PartNumbers& numbers, const Shop& shop,
                                const ListShares& shares);

// Writes the price-list file at `path` (a new SQLite file): the entries in chunk
// tables PriceList_1, PriceList_2 ... of `chunk` rows each, listed in
// PriceList_Count. Returns the number of chunks.
int WriteList(const QString& path, const std::vector<ListEntry>& entries, int chunk);

} // namespace tolvane::sample
