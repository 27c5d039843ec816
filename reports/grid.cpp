#include "reports/grid.h"

#include <algorithm>

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

QChar* Grid::SetCellOfLength(int column, int row, qsizetype n) {
  const qsizetype begin = text_.size();
  if (text_.capacity() < begin + n)
    text_.reserve(std::max(begin + n, 2 * text_.capacity()));
  text_.resize(begin + n);
  spans_[Index(column, row)] = {begin, n};
  return text_.data() + begin;
}

void Grid::SetCell(int column, int row, QStringView text) {
  // The text may be a view of this grid's own buffer, which growing it would move.
  const QString copy =
      text.data() >= text_.constData() && text.data() < text_.constData() + text_.size()
          ? text.toString()
          : QString();
  const QStringView source = copy.isNull() ? text : QStringView(copy);
  std::copy(source.begin(), source.end(), SetCellOfLength(column, row, source.size()));
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
      a.spans_.size() != b.spans_.size()) {
    return false;
  }
  for (int r = 0; r < a.rowCount; ++r) {
    for (int c = 0; c < a.columnCount; ++c) {
      if (a.CellView(c, r) != b.CellView(c, r))
        return false;
    }
  }
  return true;
}

}  // namespace reports
