#pragma once

#include <QWidget>

class QTextEdit;

namespace widgets {

// The rich-text window (component name "Form4"). Nothing in the program shows it; it takes part
// in the placement store and restore like every window.
class TForm4 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);

  QTextEdit* RichEdit1 = nullptr;
};

}  // namespace widgets
