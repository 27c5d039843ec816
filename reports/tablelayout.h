#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "reports/grid.h"

namespace reports {

// The table as the printed layout reads it: column 0 is the fixed left column and never
// printed, row 0 holds the captions, rows 1 and on one record each.
class TableSource {
 public:
  virtual ~TableSource() = default;
  virtual int ColumnCount() const = 0;
  virtual int RowCount() const = 0;
  // Empty for a cell outside the table.
  virtual QString CellText(int column, int row) const = 0;
  virtual QFont Font() const = 0;
  virtual QColor TextColor() const { return Qt::black; }
};

// A table source over the table view's grid and font.
class GridTableSource : public TableSource {
 public:
  GridTableSource(const Grid& grid, QFont font, QColor color = Qt::black)
      : grid_(grid), font_(std::move(font)), color_(color) {}
  int ColumnCount() const override { return grid_.columnCount; }
  int RowCount() const override { return grid_.rowCount; }
  QString CellText(int column, int row) const override {
    return grid_.Contains(column, row) ? grid_.Cell(column, row) : QString();
  }
  QFont Font() const override { return font_; }
  QColor TextColor() const override { return color_; }

 private:
  const Grid& grid_;
  QFont font_;
  QColor color_;
};

// The printed layout has fifteen column slots; slot i shows grid column i + 1.
constexpr int kColumnSlots = 15;

// Horizontal distance in layout pixels between the left edges of neighbouring printed columns
// for a table of columnCount grid columns: 200 up to five fields, else 1000 shared out evenly.
int ColumnStepFor(int columnCount);

// Left edge of slot i inside its band.
int SlotLeft(int slot, int columnStep);

// How many slots a table of columnCount grid columns fills (the rest are hidden).
int FilledSlots(int columnCount);

}  // namespace reports
