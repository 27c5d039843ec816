#include "widgets/tform7.h"

#include <QFrame>
#include <QLabel>

#include "widgets/centring.h"
#include "widgets/configuration.h"

namespace widgets {

TForm7::TForm7(QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), mainWindow_(mainWindow) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("Bitte warten..."));
  setFont(DesignFont(8));
  setFixedSize(217, 86);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);
  Panel1->setGeometry(0, 0, 217, 86);

  Panel2 = new QLabel(QStringLiteral("Daten werden geladen..."), Panel1);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel2->setAlignment(Qt::AlignCenter);
  Panel2->setGeometry(16, 11, 185, 63);
}

void TForm7::FormPaint() {
  if (!mainWindow_)
    return;
  move(CentredOver(mainWindow_->frameGeometry(), frameGeometry().size()));
}

void TForm7::paintEvent(QPaintEvent* event) {
  FormPaint();
  QWidget::paintEvent(event);
}

void TForm7::showEvent(QShowEvent* event) {
  // The first showing in a run centres the window on the screen, in place of a stored position.
  if (!centred_) {
    centred_ = true;
    CentreOnScreen(*this);
  }
  QWidget::showEvent(event);
}

}  // namespace widgets
