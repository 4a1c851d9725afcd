#pragma once

namespace tolvane {

class Connection;
struct RunState;

// Opens cnData as the window's fields say: the Access file (first password, then
// the second), SQL Server on the server machine, or SQL Server from another machine.
void OpenConnection(RunState& st);
// The Access attempt with its fall-back to the second password.
void OpenAccessConnection(RunState& st);
// Opens `cn` on the shop database exactly as OpenConnection opens cnData (the run
// lock holds a connection of its own).
void OpenTargetOn(RunState& st, Connection& cn);
// Opens cnPriceList on the supplier's file (driver chosen by the target path).
void OpenPriceListConnection(RunState& st);
// The re-open rule of the stages: close and discard an open cnData, then OpenConnection.
void ReopenTarget(RunState& st);

} // namespace tolvane
