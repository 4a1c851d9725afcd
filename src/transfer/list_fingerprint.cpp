#include "transfer/list_fingerprint.h"

#include "data/recordset.h"

#include <QStringList>

namespace tolvane {

namespace {

const QStringList kTexts = {"Kind",  "PartNO", "PartNew", "FPartNew", "lKind", "lAtNO",
                            "AKind", "AltNO",  "EName",   "TName",    "Model", "Import"};

// A value's bytes with their length in front, so that no two rows run together alike.
void AddValue(QCryptographicHash& hash, const QString& value) {
    const QByteArray bytes = value.toUtf8();
    hash.addData(QByteArray::number(bytes.size()) + ':' + bytes);
}

} // namespace

void ListFingerprint::Table(int number) {
    EndTable();
    inTable_ = true;
    number_ = number;
}

void ListFingerprint::Row(const Recordset& rs) {
    row_.reset();
    for (const QString& column : kTexts)
        AddValue(row_, rs.Text(column));
    AddValue(row_, rs.Amount(QStringLiteral("Price")).ToText());
    AddValue(row_, rs.Amount(QStringLiteral("Sale")).ToText());
    const QByteArray hash = row_.result();
    for (std::size_t i = 0; i < sum_.size(); ++i) {
        std::uint64_t part = 0;
        for (std::size_t byte = 0; byte < 8; ++byte)
            part = part << 8 | static_cast<std::uint8_t>(hash[static_cast<qsizetype>(i * 8 + byte)]);
        sum_[i] += part;
    }
    ++rows_;
}

void ListFingerprint::EndTable() {
    if (!inTable_)
        return;
    QByteArray table = QByteArray::number(number_) + ':' + QByteArray::number(rows_);
    for (const std::uint64_t part : sum_)
        table += ':' + QByteArray::number(static_cast<qulonglong>(part));
    list_.addData(table + '\n');
    inTable_ = false;
    rows_ = 0;
    sum_ = {};
}

QString ListFingerprint::Text() {
    EndTable();
    return QString::fromLatin1(list_.result().toHex());
}

} // namespace tolvane
