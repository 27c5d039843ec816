#include "bench/benchregistry.h"

#include <QFile>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace bench {

std::vector<Benchmark>& Registry() {
  static std::vector<Benchmark> registry;
  return registry;
}

Register::Register(const char* name, Measure measure, int order) {
  Registry().push_back({QString::fromLatin1(name), std::move(measure), order});
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

void SettleDisk() {
#ifdef Q_OS_UNIX
  ::sync();
#endif
}

}  // namespace bench
