#include "mainwindow/companytreemodel.h"

namespace mainwindow {

void CompanyTreeModel::SetTree(CompanyTree tree) {
  beginResetModel();
  tree_ = std::move(tree);
  hasRoot_ = true;
  endResetModel();
}

void CompanyTreeModel::Clear() {
  beginResetModel();
  tree_ = CompanyTree();
  hasRoot_ = false;
  endResetModel();
}

QModelIndex CompanyTreeModel::RootIndex() const {
  return hasRoot_ ? createIndex(0, 0, kRootId) : QModelIndex();
}

QString CompanyTreeModel::MemberKey(const QModelIndex& index) const {
  if (!IsMember(index))
    return QString();
  return tree_.MemberKey(qsizetype(index.internalId()), index.row());
}

QModelIndex CompanyTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0)
    return QModelIndex();
  if (!parent.isValid())
    return row == 0 ? RootIndex() : QModelIndex();
  if (parent.internalId() == kRootId)
    return row < tree_.CompanyCount() ? createIndex(row, 0, kCompanyId) : QModelIndex();
  if (parent.internalId() == kCompanyId) {
    return row < tree_.MemberCount(parent.row()) ? createIndex(row, 0, quintptr(parent.row()))
                                                 : QModelIndex();
  }
  return QModelIndex();  // members have no children
}

QModelIndex CompanyTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kRootId)
    return QModelIndex();
  if (child.internalId() == kCompanyId)
    return RootIndex();
  return createIndex(int(child.internalId()), 0, kCompanyId);
}

int CompanyTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid())
    return hasRoot_ ? 1 : 0;
  if (parent.internalId() == kRootId)
    return int(tree_.CompanyCount());
  if (parent.internalId() == kCompanyId)
    return int(tree_.MemberCount(parent.row()));
  return 0;
}

int CompanyTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant CompanyTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid())
    return QVariant();
  if (role == kKeyRole)
    return IsMember(index) ? QVariant(MemberKey(index)) : QVariant();
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole)
    return QVariant();
  if (index.internalId() == kRootId)
    return CompanyTreeRootText();
  if (index.internalId() == kCompanyId)
    return tree_.CompanyText(index.row());
  return tree_.MemberText(qsizetype(index.internalId()), index.row());
}

Qt::ItemFlags CompanyTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  return IsMember(index) ? flags | Qt::ItemNeverHasChildren : flags;
}

}  // namespace mainwindow
