#pragma once

#include <QString>
#include <functional>

class TForm1;

namespace mainwindow {

// The program's start-up sequence, callable from main() and from tests.
struct StartupSteps {
  // Creates the other windows once the main window exists, in this order: TQuickReport11,
  // TForm12, TForm3, TForm4, TForm5, TForm7, TForm8, TAboutBox. They are parented to the main
  // window (or otherwise kept alive) so they live until it closes.
  std::function<void(TForm1&)> createOtherWindows;
  // Runs the message loop until the main window has closed; QApplication::exec by default.
  std::function<int()> runMessageLoop;
};

// Sets the application title, creates the main window on dataDir (which loads the name
// index into its list), creates the other windows, shows the main window, and runs the
// message loop unless the name index could not be loaded. Returns the loop's result, or 0
// when the loop did not run.
int RunProgram(const QString& dataDir, const StartupSteps& steps = {});

// The title shown in the task bar; the main window's caption differs by a blank.
QString ApplicationTitle();

}  // namespace mainwindow
