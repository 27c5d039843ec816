#include "mainwindow/entrylistmodel.h"

namespace mainwindow {

void EntryListModel::SetEntries(const QStringList& entries) {
  beginResetModel();
  entries_ = entries;
  endResetModel();
}

void EntryListModel::Insert(int row, const QString& entry) {
  row = qBound(0, row, Count());
  beginInsertRows(QModelIndex(), row, row);
  entries_.insert(row, entry);
  endInsertRows();
}

void EntryListModel::Remove(int row) {
  if (row < 0 || row >= Count())
    return;
  beginRemoveRows(QModelIndex(), row, row);
  entries_.removeAt(row);
  endRemoveRows();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count())
    return QVariant();
  if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
    return entries_.at(index.row());
  return QVariant();
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace mainwindow
