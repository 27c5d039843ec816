#pragma once

#include <QAbstractItemModel>

#include "mainwindow/companytree.h"

namespace mainwindow {

// The company view's tree for a tree view: the root "Firmen", its companies, their members.
// The nodes are read straight from the built CompanyTree, so a tree of 100 000 members costs
// no object per node. Empty (no root at all) until a tree is set.
class CompanyTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  // The data role under which a member node gives the record key it was read under.
  static constexpr int kKeyRole = Qt::UserRole;

  using QAbstractItemModel::QAbstractItemModel;

  void SetTree(CompanyTree tree);
  void Clear();

  QModelIndex RootIndex() const;  // invalid while empty
  // The record key of a member node; a null string for the root and the company nodes.
  QString MemberKey(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // A node's internal id: the root and the companies have fixed ids; a member carries the
  // row of its company.
  static constexpr quintptr kRootId = ~quintptr(0);
  static constexpr quintptr kCompanyId = ~quintptr(0) - 1;

  bool IsMember(const QModelIndex& index) const {
    return index.isValid() && index.internalId() < kCompanyId;
  }

  CompanyTree tree_;
  bool hasRoot_ = false;
};

}  // namespace mainwindow
