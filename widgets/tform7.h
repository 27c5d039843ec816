#pragma once

#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;

namespace widgets {

// The wait window (component name "Form7"): "Daten werden geladen..." in a fixed-size frame.
// Every time it is drawn it centres itself over the main window. Nothing in the program shows
// it; it takes part in the placement store and restore like every window.
class TForm7 : public QWidget {
  Q_OBJECT

 public:
  // mainWindow: the window to centre over; the wait window is a window of its own either way.
  explicit TForm7(QWidget* mainWindow = nullptr, QWidget* parent = nullptr);

  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  // The redraw handler: moves the window into the middle of the main window's rectangle.
  void FormPaint();

  QFrame* Panel1 = nullptr;
  QLabel* Panel2 = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QPointer<QWidget> mainWindow_;
  bool centred_ = false;
};

}  // namespace widgets
