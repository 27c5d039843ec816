#include "widgets/centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace widgets {

QPoint CentredOver(const QRect& outer, const QSize& own) {
  const double left = outer.left() + outer.width() * 0.5 - own.width() * 0.5;
  const double top = outer.top() + outer.height() * 0.5 - own.height() * 0.5;
  // The conversion to int truncates toward zero, also for negative coordinates.
  return QPoint(int(left), int(top));
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen)
    return;
  window.move(CentredOver(screen->availableGeometry(), window.frameGeometry().size()));
}

}  // namespace widgets
