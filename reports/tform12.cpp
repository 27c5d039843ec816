#include "reports/tform12.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "platform/designfont.h"

TForm12::TForm12(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form12"));
  setWindowTitle(QStringLiteral("Information"));
  setModal(true);
  setFont(platform::DesignFontPoints(8));
  move(401, 263);
  // A sizeable window, like the other windows of the program: its placement keeps its size.
  resize(246, 138);

  Label1 = new QLabel(QStringLiteral("Es wird die Tabellenansicht gedruckt!"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(31, 8);
  Label1->adjustSize();

  CheckBox1 = new QCheckBox(QStringLiteral("Horizontale Trennungslinien"), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(35, 40, 169, 17);
  CheckBox1->setChecked(true);

  Button1 = new QPushButton(QStringLiteral("&OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(34, 80, 75, 25);

  Button2 = new QPushButton(QStringLiteral("&Abbrechen"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(130, 80, 75, 25);

  connect(Button1, &QPushButton::clicked, this, &TForm12::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm12::Button2Click);
}

void TForm12::Button1Click() {
  accept();
}

// Closing by the title bar or Escape rejects the dialog as well: both count as Cancel.
void TForm12::Button2Click() {
  reject();
}
