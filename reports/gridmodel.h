#pragma once

#include <QAbstractTableModel>

#include "reports/grid.h"

namespace reports {

// The table view's model: one string per cell, held in one vector, so a grid of 100 000 rows
// costs no widget items. The fixed row and column are the view's headers; the other cells
// are the model's data, read-only.
class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(QObject* parent = nullptr);

  const Grid& GetGrid() const { return grid_; }
  void SetGrid(Grid grid);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  Grid grid_;
};

}  // namespace reports
