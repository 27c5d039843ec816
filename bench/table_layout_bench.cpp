// The table print's layout: the table of all records with all fields laid out into pages, the
// pure step before drawing (every label's print handler runs, as in the preview).
#include <QDir>
#include <QFile>
#include <QFont>
#include <memory>

#include "bench/benchregistry.h"
#include "reports/builders.h"
#include "reports/tablelayout.h"
#include "reports/tquickreport11.h"
#include "store/recordstore.h"

namespace {

// The table is built once per address book; only the layout is timed.
const reports::Grid& TableOfAllRecords(const bench::Context& c) {
  static QString builtFor;
  static reports::Grid grid;
  if (builtFor != c.book.dir) {
    QFile file(QDir(c.book.dir).filePath(QStringLiteral("adresse.qdx")));
    if (!file.open(QIODevice::ReadOnly))
      qFatal("table_layout: store not readable");
    const store::RecordStore records(file.readAll());
    reports::ReportSelection selection;
    selection.entries = c.book.liveKeys;
    selection.tickedFields = QVector<bool>(store::kFieldCount, true);
    selection.tickedRecords = QVector<bool>(c.book.liveKeys.size(), true);
    grid = reports::BuildTableView(records, selection);
    builtFor = c.book.dir;
  }
  return grid;
}

const bench::Register tableLayout(
    "table_layout",
    [](const bench::Context& c) {
      const reports::Grid& grid = TableOfAllRecords(c);
      const reports::GridTableSource table(grid, QFont(QStringLiteral("Arial"), 10));
      TQuickReport11 report;
      std::vector<platform::ReportPage> pages;
      const double ms = bench::TimeMs([&] {
        report.PrepareTable(table, true);
        pages = report.LayOut();
      });
      size_t rows = 0;
      for (const platform::ReportPage& page : pages)
        rows += page.lines.size() - 1;
      if (rows != size_t(c.book.liveKeys.size()))
        qFatal("table_layout: wrong row count");
      return ms;
    },
    200);

}  // namespace
