#pragma once
// Rows of a test database as texts, so a whole row is compared in one assertion.
#include "fixtures/fixtures.h"

#include <QStringList>

namespace tolvane::testing {

inline QStringList Texts(const fixtures::Row& row) {
    QStringList out;
    for (const QVariant& v : row)
        out << v.toString();
    return out;
}

// Every row of a query, its values joined by "|".
inline QStringList RowTexts(fixtures::Db& db, const QString& sql) {
    QStringList out;
    for (const fixtures::Row& row : db.Query(sql))
        out << Texts(row).join('|');
    return out;
}

} // namespace tolvane::testing
