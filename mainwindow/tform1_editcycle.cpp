// The edit cycle of the main window: the three states, new, edit, cancel, the Enter chain,
// the clipboard commands and the report command.
#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>
#include <QTreeView>

#include "mainwindow/tform1.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/usererror.h"

void TForm1::ClearEditFields() {
  // Setting the text, unlike clearing it, also forgets the field's undo steps: undo in the
  // next entry must not bring back a value of the record saved or given up before.
  for (QLineEdit* edit : edits_)
    edit->setText(QString());
}

void TForm1::EnableEditFields(bool enabled) {
  for (QLineEdit* edit : edits_)
    edit->setEnabled(enabled);
}

void TForm1::SetEntryToolbar() {
  for (QToolButton* button :
       {ToolbarButton975, ToolbarButton976, ToolbarButton977, ToolbarButton978}) {
    button->setEnabled(true);
  }
  ToolbarButton979->setEnabled(false);
  ToolbarButton9710->setEnabled(false);
}

void TForm1::SetBrowseToolbar() {
  for (QToolButton* button :
       {ToolbarButton975, ToolbarButton976, ToolbarButton977, ToolbarButton978}) {
    button->setEnabled(false);
  }
  ToolbarButton979->setEnabled(true);
  ToolbarButton9710->setEnabled(true);
}

// Sets every control and menu item that differs between browsing and entry.
void TForm1::SetStateControls(bool entry) {
  for (QToolButton* button : {ToolbarButton971, ToolbarButton972, ToolbarButton973,
                              ToolbarButton974, ToolbarButton979, ToolbarButton9710}) {
    button->setEnabled(!entry);
  }
  for (QToolButton* button : {ToolbarButton975, ToolbarButton976, ToolbarButton977,
                              ToolbarButton978, ToolbarButton9711, Button1}) {
    button->setEnabled(entry);
  }
  // The record under edit is listed nowhere and would count as orphaned.
  for (QAction* item :
       {NeuerDatensatzerstellen1, Datensatzbearbeiten1, ReporterstellenDrucken1, Bearbeiten2,
        Lschen2, CsvExport1, VCardExport1, Importieren1, VerwaisteDatenstzewiederherstellen1}) {
    item->setEnabled(!entry);
  }
  for (QAction* item : {Dateneingabeabbrechen1, Dateneingabebeenden1, Rckgngig1, Ausschneiden1,
                        Kopieren1, Einfgen1}) {
    item->setEnabled(entry);
  }
  // The company view can be entered during an entry, but a click in its tree would show a
  // record over the values being typed.
  ListBox1->setEnabled(!entry);
  TreeView1->setEnabled(!entry);
  SetSearchEnabled(!entry);
  EnableEditFields(entry);
  // An entry finished while the company view is shown returns to that view, in which the
  // commands on the selected entry stay off.
  if (!entry && !TreeView1->isHidden())
    EnableSelectionCommands(false);
}

void TForm1::EnterBrowsingState() {
  SetBrowseToolbar();
  ClearEditFields();
  SetStateControls(false);
  // The fields are empty, so no entry may stay selected: the next delete or edit would act on
  // a record the user cannot see.
  SelectListIndex(-1);
  // The list takes the keyboard, or the tree in its place in the company view.
  (TreeView1->isHidden() ? static_cast<QWidget*>(ListBox1) : TreeView1)->setFocus();
}

void TForm1::ToolbarButton971Click() {
  if (EntryUnderway())
    return;
  ShowNameView();
  RefreshNameList();
  SelectListIndex(-1);  // the entry chosen before plays no part in the new record
  editKey_.clear();
  SetEntryToolbar();
  ClearEditFields();
  SetStateControls(true);
  edits_[store::kVorname]->setFocus();
}

void TForm1::ToolbarButton972Click() {
  if (EntryUnderway() || !TreeView1->isHidden())
    return;
  if (SelectedListIndex() < 0)
    return;
  if (Button3->isChecked()) {
    // The internal-number view lists only some records, decorated: leave it first, so the
    // name index is only ever changed by whole record keys.
    const QString key = store::StripEntrySuffix(ListEntry(SelectedListIndex()));
    Button3->setChecked(false);
    Button3Click();
    SelectListIndex(ListEntries().indexOf(key));
  }
  bool unreadable = false;
  RefreshNameList(&unreadable);
  const int selected = SelectedListIndex();
  // The edit would take the key out of a name index that cannot be read: told once, not twice.
  if (unreadable)
    return;
  if (selected < 0) {
    // Another workstation renamed, deleted or took the record into an edit meanwhile: the
    // user is told, and the fields no longer show a record that is gone from the list.
    GiveUpdateNotice();
    return;
  }
  const QString key = ListEntry(selected);
  // A record that another workstation deleted, or took into an edit, meanwhile is not edited:
  // putting it back into the name index afterwards would list it twice or bring it back.
  if (!NameIndexHolds(key)) {
    GiveUpdateNotice();
    return;
  }
  // The edit starts from the record as stored now, whatever the fields showed before.
  const bool hadRecord = DisplayRecord(key);
  try {
    // No workstation lists the record while it is edited. Another one may have taken it into
    // an edit, deleted or renamed it since the look above (over a share that takes a while):
    // two edits of one record would save over each other, and a deleted record would be
    // listed again. The user is told, as when the look found it gone.
    if (!book_->Files().RemoveFromNames(key)) {
      GiveUpdateNotice();
      return;
    }
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
    return;
  }
  RemoveListEntry(selected);
  editKey_ = key;
  editKeyHadRecord_ = hadRecord;
  SetStateControls(true);
  SetEntryToolbar();
  edits_[store::kVorname]->setFocus();
}

bool TForm1::RelistEditedRecord() {
  if (editKey_.isEmpty())
    return true;
  bool listed = false;
  try {
    listed = book_->Files().AddToNames(editKey_, editKeyHadRecord_);
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
    return false;
  }
  // Deleted or purged on another workstation meanwhile: the user is told once the entry is
  // over, and the list is read again.
  if (listed)
    ListSavedKey(editKey_);
  else
    updateNotice_ = true;
  editKey_.clear();
  return true;
}

void TForm1::ToolbarButton9711Click() {
  if (!EntryUnderway())
    return;
  // An edit that is given up lists its record again; if that fails the entry stays open,
  // so the user can try again and nothing is lost.
  if (!RelistEditedRecord())
    return;
  EnterBrowsingState();
  TestUpdateNotice();
}

void TForm1::EditKeyPress(int field, int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter)
    return;
  if (field == store::kIRuf) {
    Button1Click();
    return;
  }
  // Fields hidden by the internal-number view are passed over.
  for (int next = field + 1; next < store::kFieldCount; ++next) {
    if (!edits_[next]->isHidden()) {
      edits_[next]->setFocus();
      return;
    }
  }
}

void TForm1::SendEditCommand(const std::function<void(QLineEdit*)>& command) {
  if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()))
    command(edit);
}

void TForm1::ToolbarButton975Click() {
  SendEditCommand([](QLineEdit* edit) { edit->cut(); });
}

void TForm1::ToolbarButton976Click() {
  SendEditCommand([](QLineEdit* edit) { edit->copy(); });
}

void TForm1::ToolbarButton977Click() {
  SendEditCommand([](QLineEdit* edit) { edit->paste(); });
}

void TForm1::ToolbarButton978Click() {
  SendEditCommand([](QLineEdit* edit) { edit->undo(); });
}

void TForm1::ToolbarButton974Click() {
  if (EntryUnderway())
    return;
  RefreshNameList();
  if (reportGeneratorHook_)
    reportGeneratorHook_();
}
