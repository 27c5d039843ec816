// Start-up sequence only: the windows are created by the libraries.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/otherwindows.h"
#include "mainwindow/startup.h"
#include "platform/designfont.h"
#include "store/memoryreuse.h"

int main(int argc, char** argv) {
  store::KeepFreedMemoryForReuse();
  QApplication app(argc, argv);
  // Message boxes, menus and Qt's own dialogs speak in the font the windows are laid out for.
  QApplication::setFont(platform::DesignFontPoints(8));
  // The program speaks German, so Qt's own dialogs (files, fonts, print preview) do too.
  QTranslator qtTranslator;
  if (qtTranslator.load(QStringLiteral("qtbase_de"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTranslator);
  }
  mainwindow::StartupSteps steps;
  steps.createOtherWindows = app::CreateOtherWindows;
  // The data files lie beside the executable, shared by every workstation that starts it.
  return mainwindow::RunProgram(QCoreApplication::applicationDirPath(), steps);
}
