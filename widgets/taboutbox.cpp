#include "widgets/taboutbox.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "widgets/centring.h"
#include "widgets/configuration.h"
#include "widgets/thyperlink.h"

namespace widgets {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("Info"));
  setFont(DesignFont(8));
  setFixedSize(298, 319);
  setSizeGripEnabled(false);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  // Lowered outer and raised inner bevel.
  Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Panel1->setGeometry(8, 8, 281, 265);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(8, 8, 33, 33);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(widgets::ProgramIcon().pixmap(64, 64));

  ProductName = new QLabel(QStringLiteral("Pellumo! Network Edition"), Panel1);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  ProductName->move(56, 16);
  ProductName->adjustSize();

  Version = new QLabel(QStringLiteral("Version 2.0"), Panel1);
  Version->setObjectName(QStringLiteral("Version"));
  Version->move(56, 40);
  Version->adjustSize();

  Hyperlink1 = new THyperlink(Panel1);
  Hyperlink1->setObjectName(QStringLiteral("Hyperlink1"));
  Hyperlink1->setText(MakerWebAddress());
  Hyperlink1->SetURL(MakerWebAddress());
  Hyperlink1->SetShowMode(5);
  Hyperlink1->setFont(DesignFont(12, /*bold=*/true));
  // The colour scheme's own link colour on its button colour: blue in a light scheme, and a
  // blue that a dark scheme makes light enough to read on its dark ground.
  Hyperlink1->setForegroundRole(QPalette::Link);
  Hyperlink1->setBackgroundRole(QPalette::Button);
  Hyperlink1->setAutoFillBackground(true);
  // The label grows with its caption, as the designed 118 x 20 is only its minimum.
  Hyperlink1->setGeometry(72, 232, 118, 20);
  Hyperlink1->resize(Hyperlink1->sizeHint().expandedTo(QSize(118, 20)));

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(111, 284, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    CentreOnScreen(*this);
  }
  QDialog::showEvent(event);
}

}  // namespace widgets
