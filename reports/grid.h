#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
// The buffer holds the cells as Windows-1252 bytes, as the record store and the grid
// companion hold them: every value a grid shows comes from one of them, and the captions and
// numbers have their bytes too. A character without a byte is kept as "?", as the companion
// would write it. Setting a cell appends its text; cells may share a text (CopyCell).
struct Grid {
  int columnCount = 2;
  int rowCount = 2;
  int fixedColumns = 1;
  int fixedRows = 1;

  // 2 by 2, one fixed row and one fixed column, all four cells empty.
  static Grid Reset() { return Grid(); }

  // A grid of the given size with empty cells (counts below 1 count as 1).
  static Grid Sized(int columns, int rows, int fixedColumns, int fixedRows);

  QString Cell(int column, int row) const;
  // The cell's Windows-1252 bytes; the view is valid until the next change of the grid.
  QByteArrayView CellBytes(int column, int row) const {
    const Span& span = spans_[Index(column, row)];
    const char* base = span.size & kShared ? shared_.constData() : text_.constData();
    return QByteArrayView(base + span.begin, span.size & ~kShared);
  }
  void SetCell(int column, int row, QStringView text);
  void SetCell(int column, int row, const QString& text) {
    SetCell(column, row, QStringView(text));
  }
  void SetCellBytes(int column, int row, QByteArrayView bytes);
  // Makes the cell n bytes long and returns where its bytes go, for the caller to fill.
  char* SetCellOfLength(int column, int row, qsizetype n) {
    return TextAt(AllocateCell(column, row, n));
  }
  // The same in two steps, for a caller that lays out many cells before it fills them:
  // the place of the cell's n bytes in the text, and where a place is (until the text grows).
  qsizetype AllocateCell(int column, int row, qsizetype n) {
    if (n >= qsizetype(kShared))
      TooLong();
    if (used_ + n > text_.size())
      Enlarge(used_ + n);
    spans_[Index(column, row)] = {quint32(used_), quint32(n)};
    used_ += n;
    return used_ - n;
  }
  char* TextAt(qsizetype place) { return text_.data() + place; }
  // Cells may also show bytes of one outside buffer, which the grid then shares (a report's
  // values stand in the record store's bytes, a read companion's in the file's), so that they
  // are not copied. ShareBytes names the buffer; SetCellShared gives a cell bytes of it, and
  // copies them as SetCellBytes does when they lie elsewhere.
  void ShareBytes(const QByteArray& bytes);
  void SetCellShared(int column, int row, QByteArrayView bytes) {
    const char* base = shared_.constData();
    const qsizetype offset = bytes.data() - base;
    if (!shared_.isEmpty() && bytes.data() >= base && offset <= shared_.size() - bytes.size() &&
        offset < qsizetype(kShared) && bytes.size() < qsizetype(kShared)) {
      spans_[Index(column, row)] = {quint32(offset), quint32(bytes.size()) | kShared};
    } else {
      SetCellBytes(column, row, bytes);
    }
  }
  // Gives (column, row) the text of cell (fromColumn, fromRow), without copying it.
  void CopyCell(int column, int row, int fromColumn, int fromRow) {
    spans_[Index(column, row)] = spans_[Index(fromColumn, fromRow)];
  }
  // Gives every cell the same text.
  void FillAll(QStringView text) {
    SetCell(0, 0, text);
    std::fill(spans_.begin(), spans_.end(), spans_[0]);
  }
  // Room for this many more bytes of cell text.
  void ReserveText(qsizetype bytes) {
    if (used_ + bytes > text_.size())
      text_.resize(used_ + bytes);
  }

  bool Contains(int column, int row) const {
    return column >= 0 && row >= 0 && column < columnCount && row < rowCount;
  }
  qsizetype CellCount() const { return qsizetype(spans_.size()); }
  // All cells' texts, row by row.
  QStringList Cells() const;

  friend bool operator==(const Grid& a, const Grid& b);
  friend bool operator!=(const Grid& a, const Grid& b) { return !(a == b); }

 private:
  // Kept in 32 bits: a grid's text beyond that is more than memory holds anyway. The top
  // bit of size marks a span of shared_.
  static constexpr quint32 kShared = 0x80000000u;
  [[noreturn]] static void TooLong();
  struct Span {
    quint32 begin = 0;
    quint32 size = 0;
  };

  qsizetype Index(int column, int row) const { return qsizetype(row) * columnCount + column; }
  void Enlarge(qsizetype atLeast);

  // The cells' bytes are text_'s first used_; the rest is room for more.
  QByteArray text_;
  qsizetype used_ = 0;
  QByteArray shared_;  // the outside buffer cells may show (shared, never changed)
  std::vector<Span> spans_ = std::vector<Span>(4);
};

}  // namespace reports
