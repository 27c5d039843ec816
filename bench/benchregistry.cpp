#include "bench/benchregistry.h"

#include <QFile>

namespace bench {

std::vector<Benchmark>& Registry() {
  static std::vector<Benchmark> registry;
  return registry;
}

Register::Register(const char* name, Measure measure, int order) {
  Registry().push_back({QString::fromLatin1(name), std::move(measure), order});
}

double RawReadMs(const QString& path) {
  QByteArray bytes;
  const double ms = TimeMs([&] {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
      bytes = file.readAll();
  });
  if (bytes.isEmpty())
    qFatal("cannot read %s", qPrintable(path));
  return ms;
}

}  // namespace bench
