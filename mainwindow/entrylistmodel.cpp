#include "mainwindow/entrylistmodel.h"

namespace mainwindow {

const QStringList& EntryListModel::Entries() const {
  if (!part_)
    return all_;
  if (!partCopied_) {
    partEntries_.clear();
    partEntries_.reserve(qsizetype(rows_.size()));
    for (const qint32 row : rows_)
      partEntries_.append(all_.at(row));
    partCopied_ = true;
  }
  return partEntries_;
}

void EntryListModel::SetEntries(const QStringList& entries) {
  beginResetModel();
  all_ = entries;
  rows_.clear();
  part_ = false;
  partEntries_.clear();
  partCopied_ = false;
  endResetModel();
}

void EntryListModel::SetPart(const QStringList& all, std::vector<qint32> rows) {
  beginResetModel();
  all_ = all;
  rows_ = std::move(rows);
  part_ = true;
  partEntries_.clear();
  partCopied_ = false;
  endResetModel();
}

void EntryListModel::Insert(int row, const QString& entry) {
  row = qBound(0, row, Count());
  beginInsertRows(QModelIndex(), row, row);
  if (part_) {
    // Rare: the part becomes a list of its own.
    all_ = Entries();
    rows_.clear();
    part_ = false;
    partEntries_.clear();
    partCopied_ = false;
  }
  all_.insert(row, entry);
  endInsertRows();
}

void EntryListModel::Remove(int row) {
  if (row < 0 || row >= Count())
    return;
  beginRemoveRows(QModelIndex(), row, row);
  if (part_) {
    rows_.erase(rows_.begin() + row);
    if (partCopied_)
      partEntries_.removeAt(row);
  } else {
    all_.removeAt(row);
  }
  endRemoveRows();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count())
    return QVariant();
  if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
    return At(index.row());
  return QVariant();
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace mainwindow
