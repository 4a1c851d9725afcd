#include "data/text_comparison.h"

#include "data/connection.h"
#include "data/recordset.h"

namespace tolvane {

bool ComparesWithoutCase(Connection& cn) {
    switch (cn.engine()) {
    case Engine::Access:
        return true;
    case Engine::SqlServer: {
        // A collation's name tells: ..._CI_AS compares without case, ..._CS_AS and the
        // binary ones (_BIN, _BIN2) with it.
        Recordset rs;
        rs.Open(QStringLiteral("Select CONVERT(nvarchar(128), DATABASEPROPERTYEX(DB_NAME(), "
                               "'Collation')) As DatabaseCollation"),
                cn, Recordset::adOpenForwardOnly);
        const QString collation =
            rs.Eof() ? QString() : rs.Text(QStringLiteral("DatabaseCollation"));
        rs.Close();
        return collation.contains(QLatin1String("_CI_")) ||
               collation.endsWith(QLatin1String("_CI"));
    }
    default:
        return false;
    }
}

} // namespace tolvane
