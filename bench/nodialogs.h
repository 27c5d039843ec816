#pragma once

namespace bench {

// Puts a dialog seam in place under which any message box stops the benchmark loudly (it is
// a fault of the set-up) and every other dialog is cancelled.
void InstallNoDialogs();

}  // namespace bench
