#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace mainwindow {

// The entries of the main list, held as one list of texts. Handing the entries out shares
// them instead of copying each, and a whole new list replaces the old one in a single reset,
// so a list of 100 000 entries is filled, read and changed without an item object per entry.
// The hits of a search are shown as places in the whole list, so that finding 100 000 hits
// copies no entry either. Entries are shown as they are and cannot be edited in place.
class EntryListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  // The entries shown. Those of a part of a list are copied out at the first call after the
  // part was set; a whole list is shared.
  const QStringList& Entries() const;
  const QString& At(int row) const { return all_.at(part_ ? rows_[size_t(row)] : row); }
  int Count() const { return int(part_ ? rows_.size() : all_.size()); }
  // Whether the very list `entries` (not a copy of it) is shown whole.
  bool ShowsWhole(const QStringList& entries) const {
    return !part_ && entries.size() == all_.size() && entries.constData() == all_.constData();
  }

  void SetEntries(const QStringList& entries);
  // Shows the entries of `all` at `rows`, which ascend.
  void SetPart(const QStringList& all, std::vector<qint32> rows);
  void Insert(int row, const QString& entry);
  void Remove(int row);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QStringList all_;
  std::vector<qint32> rows_;  // with part_, the places in all_ shown
  bool part_ = false;
  mutable QStringList partEntries_;  // with part_, the entries shown, once asked for
  mutable bool partCopied_ = false;
};

}  // namespace mainwindow
