#pragma once

#include <QFont>

namespace platform {

// The font the windows are laid out for. Every window was designed in pixels around a narrow
// sans serif (8 points at 96 dots per inch, 11 pixels per em); a Linux desktop has no such font,
// and its default sans serif is wide enough to cut captions at the designed control sizes.
// Liberation Sans (Debian's fonts-liberation) has the advance widths of Arial, which match
// the designed font closely; where it is missing, Arial, then DejaVu Sans stand in.
//
// The size is given in pixels per em, so the geometry holds whatever the screen's resolution.
QFont DesignFont(int pixelSize, bool bold = false);

// The same for a size given in points at 96 dots per inch: 8 points are 11 pixels.
QFont DesignFontPoints(int pointSize, bool bold = false);

// The family the design font resolves to on this machine (for tests and diagnostics).
QString DesignFontFamily();

}  // namespace platform
