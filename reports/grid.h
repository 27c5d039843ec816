#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <vector>

namespace reports {

// The table view's content: a string grid of columnCount by rowCount cells, the first
// fixedRows rows and fixedColumns columns drawn as headers.
//
// The cells' texts live in one buffer and every cell is a span of it: a report of 100 000
// records has one and a half million cells, and a string each would cost an allocation each.
// Setting a cell appends its text; cells may share a text (CopyCell).
struct Grid {
  int columnCount = 2;
  int rowCount = 2;
  int fixedColumns = 1;
  int fixedRows = 1;

  // 2 by 2, one fixed row and one fixed column, all four cells empty.
  static Grid Reset() { return Grid(); }

  // A grid of the given size with empty cells (counts below 1 count as 1).
  static Grid Sized(int columns, int rows, int fixedColumns, int fixedRows);

  // The cell's text; the view is valid until the next change of the grid.
  QStringView CellView(int column, int row) const {
    const Span& span = spans_[Index(column, row)];
    return QStringView(text_.constData() + span.begin, span.size);
  }
  QString Cell(int column, int row) const { return CellView(column, row).toString(); }
  void SetCell(int column, int row, QStringView text);
  void SetCell(int column, int row, const QString& text) {
    SetCell(column, row, QStringView(text));
  }
  // Makes the cell n characters long and returns where its text goes, for the caller to fill.
  QChar* SetCellOfLength(int column, int row, qsizetype n);
  // Gives (column, row) the text of cell (fromColumn, fromRow), without copying it.
  void CopyCell(int column, int row, int fromColumn, int fromRow) {
    spans_[Index(column, row)] = spans_[Index(fromColumn, fromRow)];
  }
  // Gives every cell the same text.
  void FillAll(QStringView text) {
    SetCell(0, 0, text);
    std::fill(spans_.begin(), spans_.end(), spans_[0]);
  }
  // Room for this many more characters of cell text.
  void ReserveText(qsizetype characters) { text_.reserve(text_.size() + characters); }

  bool Contains(int column, int row) const {
    return column >= 0 && row >= 0 && column < columnCount && row < rowCount;
  }
  qsizetype CellCount() const { return qsizetype(spans_.size()); }
  // All cells' texts, row by row.
  QStringList Cells() const;

  friend bool operator==(const Grid& a, const Grid& b);
  friend bool operator!=(const Grid& a, const Grid& b) { return !(a == b); }

 private:
  struct Span {
    qsizetype begin = 0;
    qsizetype size = 0;
  };

  qsizetype Index(int column, int row) const { return qsizetype(row) * columnCount + column; }

  QString text_;
  std::vector<Span> spans_ = std::vector<Span>(4);
};

}  // namespace reports
