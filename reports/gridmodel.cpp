#include "reports/gridmodel.h"

namespace reports {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::SetGrid(Grid grid) {
  beginResetModel();
  grid_ = std::move(grid);
  endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.rowCount - grid_.fixedRows;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.columnCount - grid_.fixedColumns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid())
    return {};
  const int column = index.column() + grid_.fixedColumns;
  const int row = index.row() + grid_.fixedRows;
  if (!grid_.Contains(column, row))
    return {};
  return grid_.Cell(column, row);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole)
    return {};
  if (orientation == Qt::Horizontal) {
    const int column = section + grid_.fixedColumns;
    if (grid_.fixedRows == 0 || !grid_.Contains(column, 0))
      return QString();
    return grid_.Cell(column, 0);
  }
  const int row = section + grid_.fixedRows;
  if (grid_.fixedColumns == 0 || !grid_.Contains(0, row))
    return QString();
  return grid_.Cell(0, row);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace reports
