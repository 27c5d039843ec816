#pragma once

#include <QString>
#include <QVector>

namespace reports {

// The table view's content: a string grid of columnCount by rowCount cells, the first
// fixedRows rows and fixedColumns columns drawn as headers. Cells are stored row by row.
struct Grid {
  int columnCount = 2;
  int rowCount = 2;
  int fixedColumns = 1;
  int fixedRows = 1;
  QVector<QString> cells = QVector<QString>(4);

  // 2 by 2, one fixed row and one fixed column, all four cells empty.
  static Grid Reset() { return Grid(); }

  // A grid of the given size with empty cells (counts below 1 count as 1).
  static Grid Sized(int columns, int rows, int fixedColumns, int fixedRows);

  const QString& Cell(int column, int row) const { return cells[Index(column, row)]; }
  void SetCell(int column, int row, QString text) { cells[Index(column, row)] = std::move(text); }
  bool Contains(int column, int row) const {
    return column >= 0 && row >= 0 && column < columnCount && row < rowCount;
  }

  friend bool operator==(const Grid& a, const Grid& b) {
    return a.columnCount == b.columnCount && a.rowCount == b.rowCount &&
           a.fixedColumns == b.fixedColumns && a.fixedRows == b.fixedRows && a.cells == b.cells;
  }

 private:
  qsizetype Index(int column, int row) const { return qsizetype(row) * columnCount + column; }
};

}  // namespace reports
