#pragma once

#include <QColor>
#include <QLabel>

class QTimer;

namespace widgets {

// A label whose text colour alternates between FirstColor and SecondColor, each shown for
// Time milliseconds. Until the first tick the label keeps the colour it was given; the first
// tick shows SecondColor. The timer (child "Timer") runs as long as the label exists.
class TColorChangingLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TColorChangingLabel(QWidget* parent = nullptr);

  unsigned Time() const { return time_; }
  // Takes effect at once: the next colour change comes Time milliseconds from now. Time 0
  // stops the changes; the label keeps the colour it shows.
  void SetTime(unsigned milliseconds);
  const QColor& FirstColor() const { return firstColor_; }
  // The new colour shows at the next tick that selects it.
  void SetFirstColor(const QColor& color) { firstColor_ = color; }
  const QColor& SecondColor() const { return secondColor_; }
  void SetSecondColor(const QColor& color) { secondColor_ = color; }
  // 1: the next tick shows SecondColor; 2: it shows FirstColor.
  int ColorPhase() const { return colorPhase_; }

  QColor FontColor() const;
  void SetFontColor(const QColor& color);

 public Q_SLOTS:
  void ToggleColor();

 private:
  int colorPhase_ = 1;
  unsigned time_ = 500;
  QColor firstColor_ = Qt::black;
  QColor secondColor_ = Qt::black;
  QTimer* timer_ = nullptr;
};

}  // namespace widgets
