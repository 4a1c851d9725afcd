#include "data/thai_columns.h"

#include "data/run_state.h"
#include "text/error.h"

#include <QStringList>

namespace tolvane {

namespace {

// The code pages whose varchar holds Thai letters: Thai and UTF-8.
bool HoldsThai(int codePage) {
    return codePage == 874 || codePage == 65001;
}

} // namespace

void CheckThaiColumns(RunState& st) {
    Connection& cn = st.Data();
    if (cn.engine() != Engine::SqlServer)
        return;
    QStringList tables;
    for (const char* base : {"Pta", "Alt"})
        tables << st.Table(base);
    tables << QStringLiteral("PriceList") << QStringLiteral("MovementStock")
           << QStringLiteral("SPG") << QStringLiteral("Price") << QStringLiteral("Sale");
    QStringList names;
    for (const QString& table : tables)
        names << u'\'' + table.toLower() + u'\'';
    // The catalogue's names compare under its own collation: lower case on both sides.
    // COLLATIONPROPERTY and DATABASEPROPERTYEX answer sql_variant, which ODBC cannot
    // hand over as it is.
    const QString sql =
        "Select c.TABLE_NAME As TableName, c.COLUMN_NAME As ColumnName, c.DATA_TYPE As "
        "DataType, c.COLLATION_NAME As CollationName, CONVERT(int, "
        "COLLATIONPROPERTY(c.COLLATION_NAME, 'CodePage')) As CodePage, CONVERT(nvarchar(128), "
        "DATABASEPROPERTYEX(DB_NAME(), 'Collation')) As DatabaseCollation From "
        "INFORMATION_SCHEMA.COLUMNS c Where LOWER(c.TABLE_NAME) In (" +
        names.join(QStringLiteral(", ")) +
        ") And c.DATA_TYPE In ('char', 'varchar', 'text') Order By c.TABLE_NAME, c.COLUMN_NAME";
    Recordset rs;
    rs.Open(sql, cn, Recordset::adOpenForwardOnly);
    for (; !rs.Eof(); rs.MoveNext()) {
        const QVariant codePage = rs.Field(QStringLiteral("CodePage"));
        if (!codePage.isNull() && HoldsThai(codePage.toInt()))
            continue;
        const QString collation = rs.Field(QStringLiteral("CollationName")).toString();
        const QString message =
            QStringLiteral("The shop database cannot hold Thai text in %1.%2: the column is %3 "
                           "under the collation %4 (code page %5), which has no Thai letters, so "
                           "every Thai letter written there would be stored as '?'. The "
                           "database's collation is %6. Nothing was written to the shop. Make "
                           "the column nvarchar, or give it a Thai collation (Thai_CI_AS).")
                .arg(rs.Text(QStringLiteral("TableName")), rs.Text(QStringLiteral("ColumnName")),
                     rs.Text(QStringLiteral("DataType")), collation,
                     codePage.isNull() ? QStringLiteral("unknown") : codePage.toString(),
                     rs.Field(QStringLiteral("DatabaseCollation")).toString());
        rs.Close();
        throw Error(message, sql);
    }
    rs.Close();
}

} // namespace tolvane
