#include "reports/grid.h"

#include <algorithm>

namespace reports {

Grid Grid::Sized(int columns, int rows, int fixedColumns, int fixedRows) {
  Grid grid;
  grid.columnCount = std::max(1, columns);
  grid.rowCount = std::max(1, rows);
  grid.fixedColumns = std::clamp(fixedColumns, 0, grid.columnCount - 1);
  grid.fixedRows = std::clamp(fixedRows, 0, grid.rowCount - 1);
  grid.cells = QVector<QString>(qsizetype(grid.columnCount) * grid.rowCount);
  return grid;
}

}  // namespace reports
