// Deleting, purging and restoring records from the main window.
#include <QListView>
#include <QToolButton>

#include "mainwindow/tform1.h"
#include "mainwindow/tform3.h"
#include "platform/waitcursor.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/usererror.h"

void TForm1::Lschen1Click() {
  try {
    // The shown list must agree with the name index before its selection is acted on; in the
    // internal-number view it never does, so a delete there only rebuilds the view. A name
    // index that cannot be read has been reported once; the delete would only report it again.
    bool unreadable = false;
    const bool changed = RefreshNameList(&unreadable);
    if (unreadable)
      return;
    if (changed) {
      // The chosen record was renamed, deleted or taken into an edit on another workstation a
      // moment ago: the user is told, and the fields no longer show it.
      if (!Button3->isChecked() && SelectedListIndex() < 0)
        GiveUpdateNotice();
      return;
    }
    const int selected = SelectedListIndex();
    if (selected < 0 || Button3->isChecked())
      return;
    const QString key = ListEntryKey(selected);
    if (!book_->Files().DeleteRecord(key)) {
      GiveUpdateNotice();  // lists what the name index holds now
      return;
    }
    RemoveListEntry(selected);
    SelectListIndex(-1);
    ClearEditFields();
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm1::Lschen2Click() {
  RunMenuItem(Lschen1);
}

void TForm1::ToolbarButton979Click() {
  RunMenuItem(Lschen1);
}

void TForm1::GelschteDatenstzeendgltigverwerfen1Click() {
  try {
    const store::DeletedList deleted = book_->LoadDeleted(sink_);
    if (!deleted.ok)
      return;  // an unreadable file is never rewritten; the user has been told
    const QString question = QStringLiteral("Sind Sie sicher, da\u00df Sie ") +
                             QString::number(deleted.keys.size()) +
                             QStringLiteral(" Datens\u00e4tze verwerfen wollen ?");
    if (platform::Dialogs::Get().Confirm(this, question) != platform::Answer::Yes)
      return;
    // Exactly the keys the user was asked about: a record deleted on another workstation
    // while the question was open stays restorable.
    const platform::WaitCursor busy;
    book_->Files().PurgeRecords(deleted.keys);
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm1::G1Click() {
  Form3->SetSource(TForm3::Source::Deleted);
  Form3->Execute();
}

void TForm1::VerwaisteDatenstzewiederherstellen1Click() {
  Form3->SetSource(TForm3::Source::Orphaned);
  Form3->Execute();
}

TForm3* TForm1::CreateRestoreDialog() {
  auto* dialog = new TForm3(this);
  dialog->SetAddressBook(book_);
  // Restored records become visible at once, in whatever view the window is. A name index
  // that cannot be read leaves the list as it was rather than empty.
  dialog->SetCloseAction([this] {
    // The record shown stays chosen in the reloaded list, so that edit and delete still act
    // on what the fields show.
    const int selected = SelectedListIndex();
    const QString shown = selected < 0 ? QString() : ListEntryKey(selected);
    ReloadNameList();
    if (shown.isNull())
      return;
    SelectListEntry(shown);
    if (SelectedListIndex() >= 0)
      ListBox1->scrollTo(ListBox1->model()->index(SelectedListIndex(), 0));
  });
  return dialog;
}
