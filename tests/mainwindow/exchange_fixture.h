#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>

#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {

// The main window for the exchange commands: the import's summary dialog is answered with OK,
// and what it said is kept.
class ExchangeWindowTest : public MainWindowTest {
 protected:
  void ExpectSummary() {
    dialogs.modalAnswers.enqueue([this](QDialog& dialog) {
      heading = dialog.findChild<QLabel*>(QStringLiteral("SummaryHeading"))->text();
      auto* list = dialog.findChild<QPlainTextEdit*>(QStringLiteral("SummaryList"));
      listText = list ? list->toPlainText() : QString();
      return int(QDialog::Accepted);
    });
  }
  QString heading;
  QString listText;
};

}  // namespace mainwindowtest
