// pellumo-bench [--only name,name] [--dir path] [record counts...]   (default: 10000 100000)
// --dir keeps the generated address books in path/<records> instead of a temporary directory.
// Generates an address book per record count and prints one line per measurement:
//   bench <name> n=<records> ms=<median ms> raw_ms=<median ms of reading the store once>
//   ratio=<ms/raw_ms>
// and for a command that writes, after that:
//   floor=<durable_write|durable_write_lists> durable_ms=<median ms of the floor>
//   durable_ratio=<ms/durable_ms>
// The raw read and the durable write are measured in the same round, so ratios hold on a
// noisy machine. Nothing is done between runs that the program does not do itself, but for a
// fixed pause before a writing command, as a user leaves between two commands.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "bench/benchregistry.h"
#include "store/memoryreuse.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Every figure is the median of nine runs, also at 100 000 records: on a machine shared with
// others, a median of five still moved by a fifth from one run of the benchmark to the next.
constexpr int kRepetitions = 9;

}  // namespace

int main(int argc, char** argv) {
  // The program's own start-up setting, so that the figures are what its user gets.
  store::KeepFreedMemoryForReuse();
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
      std::vector<double> ms, raw, floor;
      const bool writes = b.floor != bench::Floor::None;
      for (int rep = 0; rep < kRepetitions; ++rep) {
        if (writes)
          bench::PauseBetweenCommands();
        // The yardsticks around each run: the machine's state around the measurement. The
        // durable write comes after the command, so its files are not the command's business.
        raw.push_back(bench::RawReadMs(store));
        ms.push_back(b.measure(context));
        raw.push_back(bench::RawReadMs(store));
        if (writes)
          floor.push_back(bench::DurableWriteMs(dir, b.floor));
      }
      const double medianMs = Median(ms);
      const double rawMs = Median(raw);
      std::printf("bench %s n=%d ms=%.2f raw_ms=%.2f ratio=%.2f", qPrintable(b.name), records,
                  medianMs, rawMs, rawMs > 0 ? medianMs / rawMs : 0.0);
      if (writes) {
        const double floorMs = Median(floor);
        std::printf(" floor=%s durable_ms=%.2f durable_ratio=%.2f",
                    b.floor == bench::Floor::Store ? "durable_write" : "durable_write_lists",
                    floorMs, floorMs > 0 ? medianMs / floorMs : 0.0);
      }
      std::printf("\n");
      std::fflush(stdout);
    }
  }
  return 0;
}
