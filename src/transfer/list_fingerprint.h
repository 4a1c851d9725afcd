#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <array>
#include <cstdint>

namespace tolvane {

class Recordset;

// A fingerprint of a price list's tables: tells the next run whether it is given the same
// list as a run cut short. Each table counts with its place in the list and the multiset of
// its rows (the fourteen columns the run reads, texts trimmed, amounts as amounts), so the
// order in which the engine hands the rows over does not matter, nor blanks around a text.
class ListFingerprint {
public:
    // Starts the rows of the next table: a chunk by its number, 0 for the collected list.
    void Table(int number);
    // The row under the recordset's cursor. A Null or a value that is no amount raises the
    // recordset's conversion error.
    void Row(const Recordset& rs);
    // 40 hexadecimal digits.
    QString Text();

private:
    void EndTable();

    QCryptographicHash list_{QCryptographicHash::Sha1};
    QCryptographicHash row_{QCryptographicHash::Sha1};
    bool inTable_ = false;
    int number_ = 0;
    std::int64_t rows_ = 0;
    std::array<std::uint64_t, 2> sum_{}; // the rows' hashes added up: the same in any order
};

} // namespace tolvane
