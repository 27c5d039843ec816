#include "reports/grid.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "store/cp1252.h"

namespace reports {

Grid Grid::Sized(int columns, int rows, int fixedColumns, int fixedRows) {
  Grid grid;
  grid.columnCount = std::max(1, columns);
  grid.rowCount = std::max(1, rows);
  grid.fixedColumns = std::clamp(fixedColumns, 0, grid.columnCount - 1);
  grid.fixedRows = std::clamp(fixedRows, 0, grid.rowCount - 1);
  grid.spans_.assign(size_t(grid.columnCount) * size_t(grid.rowCount), Span());
  return grid;
}

void Grid::Enlarge(qsizetype atLeast) {
  if (atLeast > qsizetype(0xFFFFFFFFu))
    throw std::bad_alloc();
  text_.resize(std::min(std::max(atLeast, 2 * text_.size()), qsizetype(0xFFFFFFFFu)));
}

void Grid::ShareBytes(const QByteArray& bytes) {
  shared_ = bytes;
  // Bytes the array does not own (fromRawData) could go away before the grid: copied.
  if (!shared_.isEmpty() && !shared_.data_ptr().d_ptr())
    shared_.detach();
}

void Grid::TooLong() {
  throw std::bad_alloc();
}

QString Grid::Cell(int column, int row) const {
  return store::FromCp1252(CellBytes(column, row));
}

void Grid::SetCell(int column, int row, QStringView text) {
  store::ToCp1252(text, SetCellOfLength(column, row, text.size()));
}

void Grid::SetCellBytes(int column, int row, QByteArrayView bytes) {
  // The bytes may be a view of this grid's own buffer, which growing it would move.
  const QByteArray copy =
      bytes.data() >= text_.constData() && bytes.data() < text_.constData() + text_.size()
          ? bytes.toByteArray()
          : QByteArray();
  const QByteArrayView source = copy.isNull() ? bytes : QByteArrayView(copy);
  if (!source.isEmpty())
    std::memcpy(SetCellOfLength(column, row, source.size()), source.data(), size_t(source.size()));
  else
    SetCellOfLength(column, row, 0);
}

QStringList Grid::Cells() const {
  QStringList cells;
  cells.reserve(CellCount());
  for (int r = 0; r < rowCount; ++r) {
    for (int c = 0; c < columnCount; ++c)
      cells.append(Cell(c, r));
  }
  return cells;
}

bool operator==(const Grid& a, const Grid& b) {
  if (a.columnCount != b.columnCount || a.rowCount != b.rowCount ||
      a.fixedColumns != b.fixedColumns || a.fixedRows != b.fixedRows ||
      a.spans_.size() != b.spans_.size() ||
      a.spans_.size() != size_t(a.columnCount) * size_t(a.rowCount)) {
    return false;
  }
  for (int r = 0; r < a.rowCount; ++r) {
    for (int c = 0; c < a.columnCount; ++c) {
      if (a.CellBytes(c, r) != b.CellBytes(c, r))
        return false;
    }
  }
  return true;
}

}  // namespace reports
