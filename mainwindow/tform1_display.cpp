// Record display of the main window: the list's click and mouse press, ShowRecord and the
// update notice.
#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>

#include "mainwindow/listops.h"
#include "mainwindow/tform1.h"
#include "store/recordkey.h"
#include "store/sharedaccess.h"

namespace {

const char* const kUpdateNotice =
    "Daten können nicht aktualisiert werden!\r Möglicherweise arbeiten Sie mit ungültigen "
    "Einträgen.\r Klicken Sie einen Namen an, um eine Datenaktualisierung zu erzielen!";

}  // namespace

bool TForm1::DisplayRecord(const QString& key) {
  const store::RecordStore records = book_->OpenRecords(sink_);
  ClearEditFields();
  bool hasSection = false;
  const store::RecordValues values = records.Record(key, &hasSection);
  for (int i = 0; i < store::kFieldCount; ++i) {
    edits_[i]->setText(values[i]);
    // A value longer than its field is read from its first character, not its last.
    edits_[i]->setCursorPosition(0);
  }
  return hasSection;
}

void TForm1::ShowRecord(const QString& key) {
  DisplayRecord(key);
  // A key that the name index no longer lists was deleted, purged, renamed or taken into an
  // edit on another workstation since this list was loaded. An unreadable name index tells
  // nothing, so it raises no notice.
  if (!NameIndexHolds(key))
    updateNotice_ = true;
}

bool TForm1::NameIndexHolds(const QString& key) const {
  return book_->NamesHold(key);
}

void TForm1::GiveUpdateNotice() {
  updateNotice_ = true;
  TestUpdateNotice();
}

void TForm1::TestUpdateNotice() {
  if (!updateNotice_)
    return;
  updateNotice_ = false;
  platform::Dialogs::Get().Message(this, QString::fromUtf8(kUpdateNotice));
  ClearEditFields();
  if (ToolbarButton9712->isChecked()) {
    ToolbarButton9712Click();  // builds the list and the tree again
  } else if (Button3->isChecked()) {
    Button3Click();
  } else {
    ReloadNameList();
  }
}

void TForm1::ListBox1Click() {
  const int selected = SelectedListIndex();
  if (selected < 0)
    return;
  ShowRecord(ListEntryKey(selected));
  TestUpdateNotice();
}

void TForm1::ListBox1MouseDown(Qt::MouseButton, const QPoint& pos) {
  const QModelIndex index = ListBox1->indexAt(pos);
  const bool onEntry = index.isValid();
  // Selecting from the program shows no record; the click that follows a primary press does.
  if (onEntry)
    SelectListIndex(index.row());
  for (QAction* item : {Lschen1, Lschen2, Bearbeiten1})
    item->setEnabled(onEntry);
}
