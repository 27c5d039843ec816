#include "reports/tform8.h"

// Prints the view on top of PageControl1.
void TForm8::ToolbarButton971Click() {}
