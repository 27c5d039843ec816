#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace mainwindow {

// The entries of the main list, held as one list of texts. Handing the entries out shares
// them instead of copying each, and a whole new list replaces the old one in a single reset,
// so a list of 100 000 entries is filled, read and changed without an item object per entry.
// Entries are shown as they are and cannot be edited in place.
class EntryListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  const QStringList& Entries() const { return entries_; }
  const QString& At(int row) const { return entries_.at(row); }
  int Count() const { return int(entries_.size()); }

  void SetEntries(const QStringList& entries);
  void Insert(int row, const QString& entry);
  void Remove(int row);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QStringList entries_;
};

}  // namespace mainwindow
