#include "tests/support/datadir.h"

#include <QDateTime>
#include <QFile>

namespace testsupport {

TempDataDir::TempDataDir() = default;

QString TempDataDir::File(const QString& name) const {
  return dir_.filePath(name);
}

void TempDataDir::Write(const QString& name, const QByteArray& bytes) const {
  QFile file(File(name));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    qFatal("cannot write fixture");
  file.write(bytes);
}

QByteArray TempDataDir::Read(const QString& name) const {
  QFile file(File(name));
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return file.readAll();
}

bool TempDataDir::Exists(const QString& name) const {
  return QFile::exists(File(name));
}

void TempDataDir::Age(const QString& name, qint64 seconds) const {
  QFile file(File(name));
  if (!file.open(QIODevice::ReadWrite) ||
      !file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                        QFileDevice::FileModificationTime))
    qFatal("cannot age fixture");
}

}  // namespace testsupport
