// Start-up sequence only: the windows are created by the libraries.
#include <QApplication>

#include "mainwindow/startup.h"
#include "mainwindow/tform1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  mainwindow::StartupSteps steps;
  steps.createOtherWindows = [](TForm1& form) {
    // The other windows, in this order, as they come to exist:
    // TQuickReport11, TForm12 (print layout and print options)
    // TForm3 (restore deleted records)
    // TForm4, TForm5, TForm7 (rich-text, embedded-object and wait windows)
    // TForm8 (report generator): form.SetReportGeneratorHook(...)
    // TAboutBox (info dialog): form.SetInfoHook(...)
    Q_UNUSED(form);
  };
  // The data files lie beside the executable, shared by every workstation that starts it.
  return mainwindow::RunProgram(QCoreApplication::applicationDirPath(), steps);
}
