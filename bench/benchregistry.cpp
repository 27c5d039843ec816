#include "bench/benchregistry.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <vector>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

#include "store/fileio.h"

namespace bench {

std::vector<Benchmark>& Registry() {
  static std::vector<Benchmark> registry;
  return registry;
}

Register::Register(const char* name, Measure measure, int order, Floor floor) {
  Registry().push_back({QString::fromLatin1(name), std::move(measure), order, floor});
}

double RawReadMs(const QString& path) {
  // Into one buffer kept from call to call, as cat reads: the figure is the copy of the
  // file's bytes, not the page faults of fresh memory, which vary from run to run.
  static QByteArray buffer;
  qint64 total = -1;
  const double ms = TimeMs([&] {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
      return;
    const qint64 size = file.size();
    if (buffer.size() < size)
      buffer.resize(size);
    total = 0;
    qint64 n = 0;
    while (total < size && (n = file.read(buffer.data() + total, size - total)) > 0)
      total += n;
  });
  if (total <= 0)
    qFatal("cannot read %s", qPrintable(path));
  return ms;
}

namespace {

QByteArray ReadOrDie(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    qFatal("cannot read %s", qPrintable(path));
  return file.readAll();
}

#ifdef Q_OS_UNIX
void WriteAllOrDie(int fd, const QByteArray& bytes) {
  // A megabyte per call, as the program writes.
  for (qsizetype at = 0; at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.constData() + at,
                              size_t(std::min<qsizetype>(bytes.size() - at, 1 << 20)));
    if (n <= 0)
      qFatal("durable write failed");
    at += n;
  }
}
#endif

}  // namespace

double DurableWriteMs(const QString& dir, Floor floor) {
  QStringList names;
  if (floor == Floor::Store) {
    names = {QStringLiteral("adresse.qdx")};
  } else if (floor == Floor::Lists) {
    names = {QStringLiteral("names.qdx"), QStringLiteral("secure.qdx")};
  }
  std::vector<QByteArray> bytes;
  QStringList copies, temporaries;
  for (const QString& name : names) {
    bytes.push_back(ReadOrDie(QDir(dir).filePath(name)));
    copies.append(QDir(dir).filePath(QStringLiteral("floor-") + name));
    temporaries.append(copies.last() + QStringLiteral(".new"));
  }
#ifdef Q_OS_UNIX
  // The copies exist (on the disk) before the time is taken, and stay open across the rename
  // so that letting go of their pages is not counted: the floor is the disk's part alone.
  std::vector<int> held;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const QByteArray copy = QFile::encodeName(copies[qsizetype(i)]);
    const int fd = ::open(copy.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
      qFatal("cannot write the floor's copy");
    WriteAllOrDie(fd, bytes[i]);
    ::fdatasync(fd);
    held.push_back(fd);
  }
  const QByteArray dirName = QFile::encodeName(dir);
  const double ms = TimeMs([&] {
    for (size_t i = 0; i < bytes.size(); ++i) {
      const QByteArray temporary = QFile::encodeName(temporaries[qsizetype(i)]);
      const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0)
        qFatal("cannot create the floor's file");
      WriteAllOrDie(fd, bytes[i]);
      if (::fdatasync(fd) != 0 || ::close(fd) != 0)
        qFatal("cannot flush the floor's file");
      if (::rename(temporary.constData(), QFile::encodeName(copies[qsizetype(i)]).constData()) != 0)
        qFatal("cannot rename the floor's file");
      const int dirFd = ::open(dirName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::fsync(dirFd);
      ::close(dirFd);
    }
  });
  for (int fd : held)
    ::close(fd);
#else
  const double ms = TimeMs([&] {
    for (size_t i = 0; i < bytes.size(); ++i)
      store::WriteFileAtomic(copies[qsizetype(i)], bytes[i]);
  });
#endif
  for (const QString& copy : copies)
    QFile::remove(copy);
  return ms;
}

void PauseBetweenCommands() {
  QThread::msleep(300);
}

}  // namespace bench
