// Test entry point: one QApplication for all tests of a program, German locale, and settings
// and standard paths redirected into a temporary location so no test touches the user's files.
#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  QStandardPaths::setTestModeEnabled(true);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pellumo! NetworkEdition"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
