#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The print-options dialog of the table print: confirms the print and offers the dashed line
// under every table row. Created once at start-up, so the tick carries over from one print to
// the next; ticked when the program starts.
class TForm12 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm12(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;  // "Horizontale Trennungslinien"
  QPushButton* Button1 = nullptr;  // OK
  QPushButton* Button2 = nullptr;  // Cancel

  void Button1Click();
  void Button2Click();
};
