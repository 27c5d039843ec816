// Start-up sequence only: the windows are created by the libraries.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pellumo! NetworkEdition"));
  QLabel label(QStringLiteral("Pellumo! Network Edition"));
  label.show();
  return QApplication::exec();
}
