#include "data/open_connection.h"

#include "data/connection_texts.h"
#include "data/run_state.h"
#include "text/error.h"

namespace tolvane {

namespace {

void OpenAccessAttempt(RunState& st, bool secondPassword) {
    Connection& cn = st.Data();
    cn.SetConnectionString(AccessTargetText(st.window.Fields().txtDataVelmora, secondPassword));
    cn.SetCommandTimeout(20);
    cn.SetCursorLocation(2);
    cn.Open();
}

} // namespace

void OpenAccessConnection(RunState& st) {
    try {
        OpenAccessAttempt(st, false);
    } catch (const Error&) {
        // The shop's file may carry the other database password.
        OpenAccessAttempt(st, true);
    }
}

void OpenConnection(RunState& st) {
    const FormFields f = st.window.Fields();
    if (f.optAccess) {
        OpenAccessConnection(st);
        return;
    }
    Connection& cn = st.Data();
    if (f.chkComType) {
        cn.SetConnectionString(SqlServerText(f.txtServer, f.txtuid, f.txtpwd, f.txtdbq));
        cn.SetCommandTimeout(100);
        cn.SetCursorLocation(2);
        cn.Open();
    } else {
        cn.SetCommandTimeout(100);
        cn.SetCursorLocation(3);
        cn.Open(SqlOleDbText(f.txtServer, f.txtdbq, f.txtuid, f.txtpwd));
    }
}

void OpenPriceListConnection(RunState& st) {
    const FormFields f = st.window.Fields();
    Connection& cn = st.PriceList();
    cn.SetConnectionString(SourceText(f.txtDataVelmora, f.txtPriceList));
    cn.SetCommandTimeout(20);
    cn.SetCursorLocation(2);
    cn.Open();
}

void ReopenTarget(RunState& st) {
    if (st.cnData && st.cnData->State() == Connection::adStateOpen)
        st.DiscardData();
    OpenConnection(st);
}

} // namespace tolvane
