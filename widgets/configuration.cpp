#include "widgets/configuration.h"

#include <QFont>

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
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(pointSize);
  font.setBold(bold);
  return font;
}

}  // namespace widgets
