#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

namespace widgets {

// The maker's web address: the caption and the target of the info dialog's link.
QString MakerWebAddress();

// The program icon: shown in the info dialog and used as the window icon of every window
// (set once for the whole application with QApplication::setWindowIcon).
QIcon ProgramIcon();

// The font the windows were designed with, in points (platform::DesignFont).
QFont DesignFont(int pointSize, bool bold = false);

}  // namespace widgets
