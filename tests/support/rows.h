#pragma once
// Rows of a test database as texts, so a whole row is compared in one assertion.
#include "shop/db.h"

#include <QStringList>

namespace tolvane::testing {

inline QStringList Texts(const shop::Row& row) {
    QStringList out;
    for (const QVariant& v : row)
        out << v.toString();
    return out;
}

// Every row of a query, its values joined by "|".
inline QStringList RowTexts(shop::Db& db, const QString& sql) {
    QStringList out;
    for (const shop::Row& row : db.Query(sql))
        out << Texts(row).join('|');
    return out;
}

} // namespace tolvane::testing
