#include "data/column_limits.h"

#include "data/connection.h"

#include <QSqlField>
#include <QSqlRecord>

namespace tolvane {

namespace {

// The ODBC SQL types of the columns a size bounds: SQL_CHAR, SQL_VARCHAR and their wide
// forms. The long types (memo, text, nvarchar(max)) hold any text the run writes.
bool SizedText(int sqlType) {
    return sqlType == 1 || sqlType == 12 || sqlType == -8 || sqlType == -9;
}

// SQL_NUMERIC and SQL_DECIMAL: a precision and a scale (Access's Currency is one).
bool Decimal(int sqlType) {
    return sqlType == 2 || sqlType == 3;
}

} // namespace

std::vector<ColumnLimit> ColumnLimits(const Connection& cn, const QString& table) {
    std::vector<ColumnLimit> limits;
    if (cn.IsEmbedded() || cn.State() != Connection::adStateOpen)
        return limits;
    cn.CountRoundTrip();
    const QSqlRecord record = cn.Database().record(table);
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        ColumnLimit limit{field.name()};
        if (SizedText(field.typeID()) && field.length() > 0)
            limit.textSize = field.length();
        if (Decimal(field.typeID()) && field.length() > 0 && field.precision() >= 0)
            limit.wholeDigits = field.length() - field.precision();
        limits.push_back(limit);
    }
    return limits;
}

} // namespace tolvane
