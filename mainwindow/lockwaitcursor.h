#pragma once

namespace mainwindow {

// Shows the wait cursor over every window of the program while a change of the data files
// waits for another workstation's lock: the window cannot answer meanwhile, and the cursor
// says so. Installed once by the main window.
void ShowWaitCursorWhileLockIsBusy();

}  // namespace mainwindow
