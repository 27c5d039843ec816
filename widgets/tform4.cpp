#include "widgets/tform4.h"

#include <QTextEdit>

namespace widgets {

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("Form4"));
  move(126, 181);
  resize(544, 375);

  RichEdit1 = new QTextEdit(this);
  RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
  RichEdit1->setGeometry(48, 32, 473, 257);
  RichEdit1->setAcceptRichText(true);
  RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

}  // namespace widgets
