#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace widgets {

class THyperlink;

// The info dialog (component name "AboutBox"): program icon, product name, version and the
// maker's web address as a link; OK closes it with the result Accepted. Fixed size. The first
// time it is shown in a run it is centred on the screen, in place of any stored position;
// later showings keep the position where the user left it.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Panel1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  THyperlink* Hyperlink1 = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool centred_ = false;
};

}  // namespace widgets
