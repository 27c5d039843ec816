#pragma once

#include <QWidget>

class QFrame;

namespace widgets {

// The embedded-object window (component name "Form5"). OleContainer1 is an empty container
// filling the window; no object is ever embedded in it. Nothing in the program shows the
// window; it takes part in the placement store and restore like every window.
class TForm5 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm5(QWidget* parent = nullptr);

  // Close request: the container holds no object to close or release, so the close goes on.
  void FormCloseQuery(bool& canClose);
  // Closes the window; no control is bound to it.
  void Schlieen1Click();

  QFrame* OleContainer1 = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace widgets
