#pragma once

namespace tolvane {

struct RunState;

// The handler of the window's one button: checks the paths, opens both databases,
// checks the version and the brand, runs the transfer and reports the outcome in
// the Thai message box. Every error of the run ends here in one message whose
// detail carries the driver's message and the statement; the pending transaction
// is rolled back, both connections are closed and the button is enabled again.
void cmdUpDate_Click(RunState& st);

} // namespace tolvane
