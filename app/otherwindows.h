#pragma once

class TForm1;

namespace app {

// Creates the program's other windows beside the main window, in the order of creation that
// placement relies on, and connects the main window's commands to them:
// TQuickReport11, TForm12, TForm3 (created with the main window), TForm4, TForm5, TForm7,
// TForm8 (the report command), TAboutBox (the info command). Every window is owned by the main
// window and lives until it closes. The placement component is hooked into the main window's
// show and close, so the placements are restored when it is shown and stored when it closes.
void CreateOtherWindows(TForm1& form);

}  // namespace app
