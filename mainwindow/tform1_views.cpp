// The internal-number view and the company tree of the main window.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "mainwindow/companytree.h"
#include "mainwindow/internalnumberlist.h"
#include "mainwindow/tform1.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/sharedaccess.h"

namespace {

// The edit fields the internal-number view hides; their labels stay visible.
constexpr int kDetailFields[] = {store::kPosition, store::kFirma, store::kStrasse,
                                 store::kPLZ,      store::kOrt,   store::kTelefon1,
                                 store::kTelefon2, store::kFax,   store::kKurzwahl};

// A member node whose text is not its record key (a record without a section reads
// "Error,Error") carries the key as data; every other member's text is its key.
constexpr int kKeyRole = Qt::UserRole;

// The record key of a member node; a null string for the root and the company nodes.
QString MemberKey(const QTreeWidgetItem* node) {
  if (node->parent() == nullptr || node->parent()->parent() == nullptr)
    return QString();
  const QVariant key = node->data(0, kKeyRole);
  return key.isValid() ? key.toString() : node->text(0);
}

}  // namespace

void TForm1::Button3Click() {
  const bool internalNumberView = Button3->isChecked();
  if (internalNumberView) {
    SetListEntries({});
    // One snapshot of the record store serves every record of the view.
    const store::RecordStore records = store::OpenRecordStore(dataDir_, sink_);
    const store::LoadResult names =
        store::LoadSortedList(store::DataFiles(dataDir_).NamesPath(), sink_);
    SetListEntries(mainwindow::BuildInternalNumberList(records, names.lines));
  } else {
    ReloadNameList();
    SelectListIndex(-1);
  }
  for (int field : kDetailFields)
    Edit(field)->setHidden(internalNumberView);
}

void TForm1::ToolbarButton9712Click() {
  const bool companyView = ToolbarButton9712->isChecked();
  for (QAction* item : {Bearbeiten2, Lschen2})
    item->setEnabled(!companyView);
  for (QToolButton* button : {ToolbarButton972, ToolbarButton9710, ToolbarButton979, Button3})
    button->setEnabled(!companyView);
  ToolbarButton9713->setEnabled(companyView);

  ReloadNameList();
  ListBox1->setHidden(companyView);
  TreeView1->setHidden(!companyView);

  // The person chosen in the tree stays chosen in the list; a company or the root selects
  // nothing.
  const QList<QTreeWidgetItem*> selectedNodes = TreeView1->selectedItems();
  const QString selectedKey =
      selectedNodes.isEmpty() ? QString() : MemberKey(selectedNodes.first());
  SelectListIndex(selectedKey.isNull() ? -1 : int(ListEntries().indexOf(selectedKey)));

  // The hidden tree is never looked at: it is emptied when the view is left and built anew
  // each time the view is entered.
  TreeView1->clear();
  if (companyView)
    BuildTree();
}

void TForm1::BuildTree() {
  // The list keeps its previous entries when the name index could not be loaded; they may be
  // decorated.
  QStringList keys = ListEntries();
  for (QString& entry : keys)
    entry = store::StripEntrySuffix(entry);
  const store::RecordStore records = store::OpenRecordStore(dataDir_, sink_);
  const mainwindow::CompanyTree tree = mainwindow::BuildCompanyTree(records, keys);

  // All items are built detached and handed to the tree in one go, so the view lays out
  // once instead of once per record.
  auto* root = new QTreeWidgetItem(QStringList(mainwindow::CompanyTreeRootText()));
  QList<QTreeWidgetItem*> companies;
  companies.reserve(tree.companies.size());
  for (const auto& company : tree.companies) {
    auto* companyItem = new QTreeWidgetItem(QStringList(company.text));
    QList<QTreeWidgetItem*> members;
    members.reserve(company.members.size());
    for (const auto& member : company.members) {
      auto* memberItem = new QTreeWidgetItem(QStringList(member.text));
      if (member.key != member.text)
        memberItem->setData(0, kKeyRole, member.key);
      members.append(memberItem);
    }
    companyItem->addChildren(members);
    companies.append(companyItem);
  }
  root->addChildren(companies);
  // All rows are equally high, so expanding the whole tree never measures every row.
  TreeView1->setUniformRowHeights(true);
  TreeView1->addTopLevelItem(root);
  root->setExpanded(true);
}

void TForm1::ToolbarButton9713Click() {
  if (ToolbarButton9713->isChecked()) {
    TreeView1->expandAll();
    return;
  }
  TreeView1->collapseAll();
  if (QTreeWidgetItem* root = TreeView1->topLevelItem(0))
    root->setExpanded(true);
  ClearEditFields();
}

void TForm1::TreeView1Click() {
  const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
  if (selected.isEmpty())
    return;
  const QString key = MemberKey(selected.first());
  // The root and the company nodes show no record.
  if (key.isNull()) {
    ClearEditFields();
    return;
  }
  ShowRecord(key);
  TestUpdateNotice();
}
