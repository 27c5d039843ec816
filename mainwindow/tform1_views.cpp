// The internal-number view and the company tree of the main window.
#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>
#include <QTreeView>

#include "mainwindow/companytree.h"
#include "mainwindow/companytreemodel.h"
#include "mainwindow/internalnumberlist.h"
#include "mainwindow/tform1.h"
#include "platform/waitcursor.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/sharedaccess.h"

namespace {

// The edit fields the internal-number view hides; their labels stay visible.
constexpr int kDetailFields[] = {store::kPosition, store::kFirma, store::kStrasse,
                                 store::kPLZ,      store::kOrt,   store::kTelefon1,
                                 store::kTelefon2, store::kFax,   store::kKurzwahl};

}  // namespace

void TForm1::Button3Click() {
  const bool internalNumberView = Button3->isChecked();
  if (internalNumberView)
    ClearSearch();
  if (internalNumberView) {
    SetListEntries({});
    const platform::WaitCursor busy;
    // One snapshot of the record store serves every record of the view.
    const store::RecordStore records = book_->OpenRecords(sink_);
    const store::LoadResult names = LoadNames();
    SetListEntries(mainwindow::BuildInternalNumberList(records, names.lines));
  } else {
    ReloadNameList();
    SelectListIndex(-1);
  }
  for (int field : kDetailFields)
    Edit(field)->setHidden(internalNumberView);
  // A new view is read from its first entry, wherever the old one was scrolled to.
  ListBox1->scrollToTop();
}

void TForm1::ShowNameView() {
  if (!TreeView1->isHidden()) {
    ToolbarButton9712->setChecked(false);
    ToolbarButton9712Click();
  }
  if (Button3->isChecked()) {
    Button3->setChecked(false);
    Button3Click();
  }
}

// The commands that act on the entry selected in the list: edit and delete, in the menu and
// on the toolbars.
void TForm1::EnableSelectionCommands(bool enabled) {
  for (QAction* item : {Datensatzbearbeiten1, Bearbeiten2, Lschen2})
    item->setEnabled(enabled);
  for (QToolButton* button : {ToolbarButton972, ToolbarButton9710, ToolbarButton979})
    button->setEnabled(enabled);
}

void TForm1::ToolbarButton9712Click() {
  const bool companyView = ToolbarButton9712->isChecked();
  if (companyView)
    ClearSearch();
  // Leaving the view during an entry enables no edit or delete command: they would act on
  // another record while this one is being typed.
  EnableSelectionCommands(!companyView && !EntryUnderway());
  Button3->setEnabled(!companyView);
  ToolbarButton9713->setEnabled(companyView);

  // The keyboard stays with the list or the tree, whichever takes the other's place; hidden,
  // the one focused would hand the focus on to the search field.
  const bool chooserFocused = ListBox1->hasFocus() || TreeView1->hasFocus();
  ReloadNameList();
  ListBox1->setHidden(companyView);
  TreeView1->setHidden(!companyView);
  if (chooserFocused)
    (companyView ? static_cast<QWidget*>(TreeView1) : ListBox1)->setFocus();

  // The person chosen in the tree stays chosen in the list; a company or the root selects
  // nothing.
  const QModelIndexList selectedNodes = TreeView1->selectionModel()->selectedIndexes();
  const QString selectedKey =
      selectedNodes.isEmpty() ? QString() : treeModel_->MemberKey(selectedNodes.first());
  SelectListIndex(selectedKey.isNull() ? -1 : int(ListEntries().indexOf(selectedKey)));
  ListBox1->scrollToTop();

  // The hidden tree is never looked at: it is emptied when the view is left and built anew
  // each time the view is entered.
  treeModel_->Clear();
  if (companyView)
    BuildTree();
}

void TForm1::BuildTree() {
  // The list keeps its previous entries when the name index could not be loaded; they may be
  // decorated.
  const QStringList keys = store::StripEntrySuffixes(ListEntries());
  const platform::WaitCursor busy;
  const store::RecordStore records = book_->OpenRecords(sink_);
  treeModel_->SetTree(mainwindow::BuildCompanyTree(records, keys));
  TreeView1->expand(treeModel_->RootIndex());
}

void TForm1::ToolbarButton9713Click() {
  if (ToolbarButton9713->isChecked()) {
    TreeView1->expandAll();
    return;
  }
  TreeView1->collapseAll();
  TreeView1->expand(treeModel_->RootIndex());
  // During an entry the fields hold what is being typed, not a person of the tree.
  if (EntryUnderway())
    return;
  // The fields are emptied, so no person stays chosen: leaving the view would otherwise select
  // that person in the list while no record is shown.
  TreeView1->selectionModel()->clear();
  ClearEditFields();
}

void TForm1::TreeView1Click() {
  const QModelIndexList selected = TreeView1->selectionModel()->selectedIndexes();
  if (selected.isEmpty())
    return;
  const QString key = treeModel_->MemberKey(selected.first());
  // The root and the company nodes show no record.
  if (key.isNull()) {
    ClearEditFields();
    return;
  }
  ShowRecord(key);
  TestUpdateNotice();
}
