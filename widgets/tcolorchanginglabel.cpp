#include "widgets/tcolorchanginglabel.h"

#include <QTimer>
#include <limits>

namespace widgets {

TColorChangingLabel::TColorChangingLabel(QWidget* parent) : QLabel(parent) {
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(int(time_));
  connect(timer_, &QTimer::timeout, this, &TColorChangingLabel::ToggleColor);
  timer_->start();
  SetFontColor(firstColor_);
}

void TColorChangingLabel::SetTime(unsigned milliseconds) {
  time_ = milliseconds;
  // A timer of interval 0 would fire on every pass of the event loop and keep a core busy:
  // Time 0 stops the colour change instead, and a later Time above 0 starts it again.
  if (milliseconds == 0) {
    timer_->stop();
    return;
  }
  // Setting the interval of a running timer restarts it with the new interval.
  timer_->start(int(qMin(milliseconds, unsigned(std::numeric_limits<int>::max()))));
}

QColor TColorChangingLabel::FontColor() const {
  return palette().color(QPalette::WindowText);
}

void TColorChangingLabel::SetFontColor(const QColor& color) {
  QPalette colors = palette();
  colors.setColor(QPalette::WindowText, color);
  setPalette(colors);
}

void TColorChangingLabel::ToggleColor() {
  if (colorPhase_ == 1) {
    SetFontColor(secondColor_);
    colorPhase_ = 2;
  } else {
    SetFontColor(firstColor_);
    colorPhase_ = 1;
  }
}

}  // namespace widgets
