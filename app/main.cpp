// Start-up sequence only: the windows are created by the libraries.
#include <QApplication>

#include "app/otherwindows.h"
#include "mainwindow/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  mainwindow::StartupSteps steps;
  steps.createOtherWindows = app::CreateOtherWindows;
  // The data files lie beside the executable, shared by every workstation that starts it.
  return mainwindow::RunProgram(QCoreApplication::applicationDirPath(), steps);
}
