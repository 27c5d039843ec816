#pragma once

#include <QLabel>
#include <QString>

namespace widgets {

// A label that opens its URL through the shell when clicked. The cursor over it is the
// pointing hand. A click first emits clicked() (the label's own click handler), then opens
// URL, unless URL is empty. A failed open is silent.
class THyperlink : public QLabel {
  Q_OBJECT

 public:
  explicit THyperlink(QWidget* parent = nullptr);

  const QString& URL() const { return url_; }
  void SetURL(const QString& url) { url_ = url; }
  // The show-window code handed to the shell; 5 shows the new window in its current size and
  // position.
  int ShowMode() const { return showMode_; }
  void SetShowMode(int showMode) { showMode_ = showMode; }

  // The click step: run by a left-button click on the label, callable from code.
  virtual void Click();

 Q_SIGNALS:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString url_;
  int showMode_ = 5;
  bool pressed_ = false;
};

}  // namespace widgets
