// pellumo-bench [--only name,name] [--dir path] [record counts...]   (default: 10000 100000)
// --dir keeps the generated address books in path/<records> instead of a temporary directory.
// Generates an address book per record count and prints one line per measurement:
//   bench <name> n=<records> ms=<median ms> raw_ms=<median ms of reading the store once>
//   ratio=<ms/raw_ms>
// The raw read is measured in the same round, so ratios hold on a noisy machine.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "bench/benchregistry.h"
#include "store/replacedfiles.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Repetitions(int records) {
  return records <= 20000 ? 9 : 5;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep freed memory in the process: otherwise every large buffer is fresh pages from the
  // kernel, and page faults (slow on virtual machines) swamp the figures being compared.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

  QStringList only;
  QString keepDir;
  std::vector<int> counts;
  const QStringList args = app.arguments().mid(1);
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--only") && i + 1 < args.size()) {
      only = args[++i].split(QLatin1Char(','));
    } else if (args[i] == QStringLiteral("--dir") && i + 1 < args.size()) {
      keepDir = args[++i];
    } else if (args[i].toInt() > 0) {
      counts.push_back(args[i].toInt());
    } else {
      std::fprintf(stderr,
                   "usage: pellumo-bench [--only name,name] [--dir path] [record counts...]\n");
      return 2;
    }
  }
  if (counts.empty())
    counts = {10000, 100000};

  std::vector<bench::Benchmark> benchmarks = bench::Registry();
  std::stable_sort(benchmarks.begin(), benchmarks.end(),
                   [](const auto& a, const auto& b) { return a.order < b.order; });

  QTemporaryDir temp;
  for (int records : counts) {
    const QString dir =
        QDir(keepDir.isEmpty() ? temp.path() : keepDir).filePath(QString::number(records));
    const benchdata::AddressBook book = benchdata::Generate(dir, records);
    const bench::Context context{book};
    const QString store = QDir(dir).filePath(QStringLiteral("adresse.qdx"));
    for (const bench::Benchmark& b : benchmarks) {
      if (!only.isEmpty() && !only.contains(b.name))
        continue;
      std::vector<double> ms, raw;
      for (int rep = 0; rep < Repetitions(records); ++rep) {
        // Replaced files the run before let go of on other threads are closed before the
        // next run, as they are in the seconds between two commands of a user.
        store::WaitForReplacedFiles();
        // The raw read before and after each run: the machine's state around the measurement.
        raw.push_back(bench::RawReadMs(store));
        ms.push_back(b.measure(context));
        raw.push_back(bench::RawReadMs(store));
      }
      const double medianMs = Median(ms);
      const double rawMs = Median(raw);
      std::printf("bench %s n=%d ms=%.2f raw_ms=%.2f ratio=%.2f\n", qPrintable(b.name), records,
                  medianMs, rawMs, rawMs > 0 ? medianMs / rawMs : 0.0);
      std::fflush(stdout);
    }
  }
  return 0;
}
