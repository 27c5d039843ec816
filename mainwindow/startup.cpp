#include "mainwindow/startup.h"

#include <QApplication>

#include "mainwindow/tform1.h"
#include "store/sharedaccess.h"

namespace mainwindow {

QString ApplicationTitle() {
  return QStringLiteral("Pellumo! NetworkEdition");
}

int RunProgram(const QString& dataDir, const StartupSteps& steps) {
  QApplication::setApplicationName(ApplicationTitle());
  TForm1 form(std::make_shared<store::AddressBook>(dataDir));
  if (steps.createOtherWindows)
    steps.createOtherWindows(form);
  form.show();
  // The load-failure message was shown while the main window loaded its list; the program
  // then ends without serving any input.
  if (store::LoadFailureFlag())
    return 0;
  return steps.runMessageLoop ? steps.runMessageLoop() : QApplication::exec();
}

}  // namespace mainwindow
