#include "data/run_state.h"

namespace tolvane {

Connection& RunState::PriceList() {
    if (!cnPriceList)
        cnPriceList = std::make_unique<Connection>(Role::Source, hooks);
    return *cnPriceList;
}

Connection& RunState::Data() {
    if (!cnData)
        cnData = std::make_unique<Connection>(Role::Target, hooks);
    return *cnData;
}

void RunState::DiscardData() {
    if (cnData)
        cnData->Close();
    cnData.reset();
}

void RunState::Execute(Connection& connection, const QString& statement) {
    strSQL = statement;
    connection.Send(strSQL);
}

int RunState::ExecuteCounted(Connection& connection, const QString& statement) {
    strSQL = statement;
    return connection.Execute(strSQL);
}

void RunState::Open(Recordset& recordset, Connection& connection, const QString& statement) {
    strSQL = statement;
    recordset.Open(strSQL, connection);
}

QString RunState::Table(const char* base) const {
    return QLatin1String(base) + QString::number(lngBrandID);
}

} // namespace tolvane
