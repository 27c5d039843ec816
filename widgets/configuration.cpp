#include "widgets/configuration.h"

#include <QFont>

#include "platform/designfont.h"

// The icon is compiled into the widgets library; a static library needs its resources
// initialised by name before first use.
static void InitWidgetsResources() {
  Q_INIT_RESOURCE(widgets);
}

namespace widgets {

QString MakerWebAddress() {
  return QStringLiteral("www.tavrel.de");
}

QIcon ProgramIcon() {
  InitWidgetsResources();
  return QIcon(QStringLiteral(":/widgets/programicon.png"));
}

QFont DesignFont(int pointSize, bool bold) {
  return platform::DesignFontPoints(pointSize, bold);
}

}  // namespace widgets
