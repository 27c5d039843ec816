// The grid companion (.sgr) of a report on any bytes.
//
// Properties: nothing crashes; the grid read stays within what the file can hold (at most
// sixteen columns, no more rows than the file has lines), whatever counts the file announces;
// a grid written into any existing file reads back as written.
#include "fuzz/fuzzcheck.h"
#include "reports/companion.h"
#include "store/cp1252.h"

using fuzzcheck::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int columns = in.ConsumeIntegralInRange(1, reports::kMaxGridColumns);
  const int rows = in.ConsumeIntegralInRange(1, 6);
  QStringList cells;
  for (int i = 0; i < columns * rows; ++i)
    cells.append(store::FromCp1252(fuzzcheck::Bytes(in, 12)));
  const std::string rest = in.ConsumeRemainingBytesAsString();
  const QByteArray file(rest.data(), qsizetype(rest.size()));

  const reports::Grid read = reports::ReadCompanion(file);
  Require(read.columnCount >= 1 && read.columnCount <= reports::kMaxGridColumns, "columns bounded");
  Require(read.rowCount >= 1 && read.rowCount <= file.count('\n') + file.count('\r') + 2,
          "rows bounded by the file");
  Require(read.CellCount() == qsizetype(read.columnCount) * read.rowCount, "cells fill the grid");

  reports::Grid grid = reports::Grid::Sized(columns, rows, 1, 1);
  bool plain = true;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const QString& cell = cells[r * columns + c];
      plain = plain && (cell.isEmpty() || fuzzcheck::Plain(cell)) && store::FitsCp1252(cell);
      grid.SetCell(c, r, cell);
    }
  }
  const QByteArray written = reports::WriteCompanion(file, grid);
  const reports::Grid back = reports::ReadCompanion(written);
  if (plain)
    Require(back == grid, "a grid written into an existing file reads back as written");
  return 0;
}
