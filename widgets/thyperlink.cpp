#include "widgets/thyperlink.h"

#include <QMouseEvent>

#include "widgets/shellopen.h"

namespace widgets {

THyperlink::THyperlink(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
}

void THyperlink::Click() {
  Q_EMIT clicked();
  if (!url_.isEmpty())
    ShellOpenFile(url_, QString(), QStringLiteral("c:\\"), showMode_);
}

void THyperlink::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    event->accept();
    return;
  }
  QLabel::mousePressEvent(event);
}

// Like a button: the click counts when the button is released over the label.
void THyperlink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && pressed_) {
    pressed_ = false;
    event->accept();
    if (rect().contains(event->position().toPoint()))
      Click();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace widgets
