// The main window: creation, geometry, the list helpers and the small commands.
#include "mainwindow/tform1.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QTreeView>

#include "mainwindow/entrylistmodel.h"
#include "mainwindow/listops.h"
#include "mainwindow/lockwaitcursor.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/sharedaccess.h"

// Resources of a static library are registered by hand; outside any namespace by Qt's rule.
static void InitMainWindowResources() {
  Q_INIT_RESOURCE(icons);
}

TForm1::TForm1(std::shared_ptr<store::AddressBook> book, QWidget* parent)
    : QMainWindow(parent), book_(std::move(book)), sink_(this) {
  InitMainWindowResources();
  mainwindow::ShowWaitCursorWhileLockIsBusy();
  setObjectName(QStringLiteral("Form1"));
  CreateControls();
  ConnectHandlers();
  // Creation loads the name index; nothing is selected and no record is shown.
  ReloadNameList();
}

TForm1::~TForm1() = default;

QStringList TForm1::ListEntries() const {
  return listModel_->Entries();  // shared, not copied entry by entry
}

void TForm1::SetListEntries(const QStringList& sortedEntries) {
  if (SearchTakesList(sortedEntries))
    return;
  const QScopedValueRollback quiet(listChangingQuietly_, true);
  if (listModel_->ShowsWhole(sortedEntries)) {
    // The very list already shown (the name index did not change since it was loaded): the
    // refill only drops the selection and starts at the top, and the view is not laid out anew.
    SelectListIndex(-1);
    ListBox1->scrollToTop();
    return;
  }
  listModel_->SetEntries(sortedEntries);
}

void TForm1::InsertListEntry(const QString& entry) {
  const QScopedValueRollback quiet(listChangingQuietly_, true);
  book_->ForgetNames();
  if (SearchInsert(entry))
    return;
  const int row = mainwindow::SortedInsertPosition(listModel_->Entries(), entry);
  listModel_->Insert(row, entry);
}

int TForm1::SelectedListIndex() const {
  const QModelIndexList selected = ListBox1->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void TForm1::SelectListIndex(int index) {
  const QScopedValueRollback quiet(listChangingQuietly_, true);
  QItemSelectionModel* selection = ListBox1->selectionModel();
  if (index < 0 || index >= listModel_->Count()) {
    selection->clearSelection();
    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    return;
  }
  selection->setCurrentIndex(listModel_->index(index), QItemSelectionModel::ClearAndSelect);
}

void TForm1::RemoveListEntry(int row) {
  const QScopedValueRollback quiet(listChangingQuietly_, true);
  book_->ForgetNames();
  if (!SearchRemove(row))
    listModel_->Remove(row);
  // A list of single selection moves the selection to the neighbour of a removed entry;
  // nothing the user did not choose may stay selected for the next delete or edit, among the
  // hits of a search as in the whole list.
  SelectListIndex(-1);
}

QString TForm1::ListEntry(int row) const {
  return listModel_->At(row);
}

QString TForm1::ListEntryKey(int row) const {
  // Only that view decorates. The program saves no key with "@", so one in the name view came
  // from another program or an editor: cut, it would name no line and the entry could be
  // neither shown nor deleted.
  return Button3->isChecked() ? store::StripEntrySuffix(ListEntry(row)) : ListEntry(row);
}

void TForm1::SelectListEntry(const QString& text) {
  SelectListIndex(mainwindow::IndexIgnoringCase(ListEntries(), text));
}

store::LoadResult TForm1::LoadNames() {
  return book_->LoadNames(sink_);
}

void TForm1::ReloadNameList() {
  const store::LoadResult names = LoadNames();
  if (names.loaded)
    SetListEntries(names.lines);
}

bool TForm1::EntryUnderway() const {
  return Button1->isEnabled();
}

void TForm1::RunMenuItem(QAction* item) {
  if (item->isEnabled())
    item->trigger();
}

bool TForm1::RefreshNameList(bool* unreadable) {
  if (unreadable)
    *unreadable = false;
  const int selected = SelectedListIndex();
  if (selected < 0)
    return false;
  if (Button3->isChecked()) {
    // The decorated entries of the internal-number view never equal a line of the name
    // index: the view is built again from the files and nothing stays selected.
    Button3Click();
    SelectListIndex(-1);
    return true;
  }
  // While the search filters the list, the whole name view behind the hits is compared.
  const QStringList shown = UnfilteredEntries();
  const store::LoadResult names = LoadNames();
  if (!names.loaded) {
    if (unreadable)
      *unreadable = true;
    return false;  // reported; the shown list stays
  }
  // The usual case: the shown list agrees line by line with the name index on disk.
  if (mainwindow::ListAgrees(shown, names.lines))
    return false;
  // Another workstation changed it: the store reloads and finds the remembered entry again.
  const store::RefreshResult result = book_->RefreshNames(shown, UnfilteredIndex(selected), sink_);
  if (!result.changed)
    return false;
  SetListEntries(result.entries);
  SelectListIndex(FilteredIndex(result.selectedIndex));
  return true;
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TForm1::FormResize() {
  // Only the list area follows the window's width; everything else keeps its place.
  const int width = this->width() - 394;
  Panel2->resize(width, Panel2->height());
  Panel3->resize(width, Panel3->height());
}

void TForm1::Panel3Resize() {
  const int width = Panel3->width() - 16;
  ListBox1->resize(width, ListBox1->height());
  TreeView1->resize(width, TreeView1->height());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel3 && event->type() == QEvent::Resize) {
    Panel3Resize();
  } else if (event->type() == QEvent::MouseButtonPress && ListBox1 &&
             watched == ListBox1->viewport()) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouse->position().toPoint();
    ListBox1MouseDown(mouse->button(), pos);
    // A press below the last entry leaves the selection as it was.
    if (!ListBox1->indexAt(pos).isValid())
      return true;
    // The entry is already selected, so the list raises no selection change of its own;
    // a click shows the record, also when the entry was selected before.
    if (mouse->button() == Qt::LeftButton) {
      ListBox1Click();
      // The display may have rebuilt the list (update notice); the press then selects nothing.
      if (SelectedListIndex() != ListBox1->indexAt(pos).row())
        return true;
    }
  } else if (event->type() == QEvent::MouseButtonDblClick && ListBox1 &&
             watched == ListBox1->viewport()) {
    // A double click below the last entry would clear the selection like a press there.
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!ListBox1->indexAt(mouse->position().toPoint()).isValid())
      return true;
  } else if (event->type() == QEvent::KeyPress) {
    const int field = int(std::find(edits_.begin(), edits_.end(), watched) - edits_.begin());
    if (field < store::kFieldCount) {
      EditKeyPress(field, static_cast<QKeyEvent*>(event)->key());
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    if (closingHook_)
      closingHook_();
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm1::Beenden1Click() {
  close();
}

void TForm1::Info1Click() {
  if (infoHook_)
    infoHook_();
}

void TForm1::Bearbeiten1Click() {
  ToolbarButton972Click();
}

void TForm1::ToolbarButton9710Click() {
  ToolbarButton972Click();
}
