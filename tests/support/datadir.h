#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A temporary data directory; fixtures are written and compared as bytes.
class TempDataDir {
 public:
  TempDataDir();
  QString Path() const { return dir_.path(); }
  QString File(const QString& name) const;  // full path of name in the directory
  void Write(const QString& name, const QByteArray& bytes) const;
  QByteArray Read(const QString& name) const;  // empty if missing
  bool Exists(const QString& name) const;
  // Sets the file's time of last change that many seconds back, as if written then.
  void Age(const QString& name, qint64 seconds) const;

 private:
  QTemporaryDir dir_;
};

// Latin-1 literal to Windows-1252 bytes: tests write fixtures as bytes, e.g. "M\xFCller".
inline QByteArray Bytes(const char* text) {
  return QByteArray(text);
}

}  // namespace testsupport
