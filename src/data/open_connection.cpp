#include "data/open_connection.h"

#include "data/connection_texts.h"
#include "data/run_state.h"
#include "text/error.h"

namespace tolvane {

namespace {

constexpr int kAccessTimeout = 20;
constexpr int kSqlServerTimeout = 100;

int Timeout(const RunState& st, int seconds) {
    return st.commandTimeoutOverride > 0 ? st.commandTimeoutOverride : seconds;
}

// A driver that did not take the command time-out for its statements is named once
// per run and connection role, not at every re-open.
void TellTimeoutRefusal(RunState& st, const Connection& cn) {
    const QString& refusal = cn.StatementTimeoutRefusal();
    if (!refusal.isEmpty() && st.timeoutRefusalsTold.insert(cn.role()).second)
        st.window.Notice(
            refusal, ThaiSentence(NoticeKind::StatementTimeout,
                                  {cn.role() == Role::Target ? QStringLiteral("ฐานข้อมูลร้าน")
                                                             : QStringLiteral("ไฟล์รายการราคา")}));
}

void OpenAccessAttempt(RunState& st, Connection& cn, bool secondPassword) {
    cn.SetConnectionString(AccessTargetText(st.window.Fields().txtDataVelmora, secondPassword));
    cn.SetCommandTimeout(Timeout(st, kAccessTimeout));
    cn.SetCursorLocation(2);
    cn.Open();
    TellTimeoutRefusal(st, cn);
}

void OpenAccessOn(RunState& st, Connection& cn) {
    try {
        OpenAccessAttempt(st, cn, false);
    } catch (const Error&) {
        // The shop's file may carry the other database password.
        OpenAccessAttempt(st, cn, true);
    }
}

} // namespace

void OpenAccessConnection(RunState& st) {
    OpenAccessOn(st, st.Data());
}

void OpenTargetOn(RunState& st, Connection& cn) {
    const FormFields f = st.window.Fields();
    if (f.optAccess) {
        OpenAccessOn(st, cn);
        return;
    }
    if (f.chkComType) {
        cn.SetConnectionString(SqlServerText(f.txtServer, f.txtuid, f.txtpwd, f.txtdbq));
        cn.SetCommandTimeout(Timeout(st, kSqlServerTimeout));
        cn.SetCursorLocation(2);
        cn.Open();
    } else {
        cn.SetCommandTimeout(Timeout(st, kSqlServerTimeout));
        cn.SetCursorLocation(3);
        cn.Open(SqlOleDbText(f.txtServer, f.txtdbq, f.txtuid, f.txtpwd));
    }
    TellTimeoutRefusal(st, cn);
}

void OpenConnection(RunState& st) {
    OpenTargetOn(st, st.Data());
}

void OpenPriceListConnection(RunState& st) {
    const FormFields f = st.window.Fields();
    Connection& cn = st.PriceList();
    cn.SetConnectionString(SourceText(f.txtDataVelmora, f.txtPriceList));
    cn.SetCommandTimeout(Timeout(st, kAccessTimeout));
    cn.SetCursorLocation(2);
    cn.Open();
    TellTimeoutRefusal(st, cn);
}

void ReopenTarget(RunState& st) {
    if (st.cnData && st.cnData->State() == Connection::adStateOpen)
        st.DiscardData();
    OpenConnection(st);
}

} // namespace tolvane
