#pragma once

#include <QString>
#include <cstdint>

namespace tolvane::sample {

// The file names the shop would have; both are SQLite files, which the program opens
// where it expects an Access file.
inline constexpr const char* kShopFile = "Velmora.accdb";
inline constexpr const char* kListFile = "PriceList_TATA.mdb";

struct Options {
    QString outDir = QStringLiteral(".");
    QString version = QStringLiteral("V.31");
    int parts = 400; // parts the shop holds
    int rows = 240;  // price-list rows
    int chunk = 80;  // rows per chunk table
    double newShare = 0.25;
    double linkShare = 0.2;
    int movement = 800; // MovementStock rows
    std::uint32_t seed = 1;
};

// What a generation wrote.
struct Summary {
    QString shopPath, listPath, version;
    int parts = 0, groups = 0, freedIds = 0, lastId = 0, movementRows = 0;
    int rows = 0, chunks = 0, newRows = 0, changedRows = 0, unchangedRows = 0, linkedRows = 0;
    std::uint32_t seed = 0;

    QString Line() const;
};

// Why a set of options cannot be generated; empty when they can.
QString CheckOptions(const Options& options);

// Writes the shop database and the price list into options.outDir (created when
// missing, earlier files replaced). The same options give the same contents.
// Throws std::invalid_argument for bad options, std::runtime_error when writing fails.
Summary Generate(const Options& options);

} // namespace tolvane::sample
