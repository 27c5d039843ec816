#include "widgets/tform5.h"

#include <QCloseEvent>
#include <QFrame>
#include <QVBoxLayout>

namespace widgets {

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("Form5"));
  move(200, 108);
  resize(544, 375);

  OleContainer1 = new QFrame(this);
  OleContainer1->setObjectName(QStringLiteral("OleContainer1"));
  OleContainer1->setFocusPolicy(Qt::StrongFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(OleContainer1);
}

void TForm5::FormCloseQuery(bool& canClose) {
  canClose = true;
}

void TForm5::Schlieen1Click() {
  close();
}

void TForm5::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace widgets
