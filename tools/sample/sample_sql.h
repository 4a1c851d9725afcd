#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace tolvane::sample {

// One prepared insert into a table, executed once per row: big samples spend their
// time here, so the statement is parsed once.
class Inserter {
public:
    Inserter(QSqlDatabase& db, const QString& table, const QStringList& columns) : query_(db) {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        sql_ =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        if (!query_.prepare(sql_))
            Fail();
    }

    // A null QString would go in as NULL, which the run cannot read as a text: every
    // text goes in as a text, empty ones as ''.
    void Row(const std::vector<QVariant>& values) {
        for (int i = 0; i < static_cast<int>(values.size()); ++i) {
            const QVariant& v = values[i];
            const bool nullText = v.typeId() == QMetaType::QString && v.toString().isNull();
            query_.bindValue(i, nullText ? QVariant(QStringLiteral("")) : v);
        }
        if (!query_.exec())
            Fail();
    }

private:
    [[noreturn]] void Fail() const {
        throw std::runtime_error(
            QStringLiteral("%1 [%2]").arg(query_.lastError().text(), sql_).toStdString());
    }

    QSqlQuery query_;
    QString sql_;
};

} // namespace tolvane::sample
