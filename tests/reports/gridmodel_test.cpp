#include "reports/gridmodel.h"

#include <gtest/gtest.h>

using reports::Grid;
using reports::GridModel;

TEST(GridModel, fixedRowAndColumnAreHeaders_otherCellsReadOnlyData) {
  Grid grid = Grid::Sized(3, 3, 1, 1);
  const char* cells[] = {"", "Name", "Ort", "1", "Beck", "Berlin", "2", "Zander", "Köln"};
  for (int i = 0; i < 9; ++i)
    grid.SetCell(i % 3, i / 3, QString::fromUtf8(cells[i]));
  GridModel model;
  model.SetGrid(grid);
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Name");
  EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), "2");
  EXPECT_EQ(model.index(1, 1).data().toString(), QString::fromUtf8("Köln"));
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model.setData(model.index(0, 0), "x"));
}

TEST(GridModel, unfixedSingleCell_isData) {
  Grid grid = Grid::Sized(1, 1, 1, 1);
  grid.SetCell(0, 0, "Error");
  EXPECT_EQ(grid.fixedColumns, 0);
  EXPECT_EQ(grid.fixedRows, 0);
  GridModel model;
  model.SetGrid(grid);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.columnCount(), 1);
  EXPECT_EQ(model.index(0, 0).data().toString(), "Error");
}
