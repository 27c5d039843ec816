// The search field of the main window: typing filters the name view to the records that hold
// every word typed. While it filters, the list shows the hits and the window keeps the whole
// name view behind them, so that the commands that compare the list with the name index, or
// change it, work on the whole list and the hits follow.
#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <functional>

#include "mainwindow/entrylistmodel.h"
#include "mainwindow/listops.h"
#include "mainwindow/tform1.h"
#include "store/recordsearch.h"
#include "store/sharedaccess.h"

namespace {

// Escape empties the field, which shows the whole list again. Down and Enter go on to the
// list, as in the address books people know: the hits are read from the keyboard.
class SearchLineEdit : public QLineEdit {
 public:
  SearchLineEdit(QWidget* parent, std::function<void()> toList)
      : QLineEdit(parent), toList_(std::move(toList)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
      clear();
      return;
    }
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
      toList_();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }

 private:
  std::function<void()> toList_;
};

// Runs a function whenever the watched widget changes size.
class ResizeWatcher : public QObject {
 public:
  ResizeWatcher(QObject* parent, std::function<void()> onResize)
      : QObject(parent), onResize_(std::move(onResize)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize)
      onResize_();
    return false;
  }

 private:
  std::function<void()> onResize_;
};

constexpr int kMaxSearchLength = 255;

}  // namespace

void TForm1::CreateSearchField() {
  SearchEdit = new SearchLineEdit(Panel2, [this] { SearchEditToList(); });
  SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
  SearchEdit->setPlaceholderText(QStringLiteral("Suchen"));
  SearchEdit->setFont(ListBox1->font());
  SearchEdit->setMaxLength(kMaxSearchLength);
  // The number of hits stands inside the field's right end, where no text is typed.
  SearchHits = new QLabel(SearchEdit);
  SearchHits->setObjectName(QStringLiteral("SearchHits"));
  SearchHits->setForegroundRole(QPalette::PlaceholderText);
  SearchHits->setAttribute(Qt::WA_TransparentForMouseEvents);
  Panel2->installEventFilter(new ResizeWatcher(this, [this] { PlaceSearchField(); }));
  PlaceSearchField();

  Suchen1 = AddMenuItem(Beabeiten1, "Suchen1", QStringLiteral("&Suchen"),
                        QKeySequence(Qt::CTRL | Qt::Key_F), true);
  connect(Suchen1, &QAction::triggered, this, &TForm1::Suchen1Click);
  connect(SearchEdit, &QLineEdit::textChanged, this, &TForm1::SearchEditChange);
}

void TForm1::PlaceSearchField() {
  // Right of the list toolbar's buttons and its label, to the panel's right end.
  const int left = std::max(200, Label16->geometry().right() + 8);
  SearchEdit->setGeometry(left, 9, std::max(60, Panel2->width() - left - 8), 22);
  SearchHits->adjustSize();
  const int hitsWidth = SearchHits->text().isEmpty() ? 0 : SearchHits->width() + 6;
  SearchHits->move(SearchEdit->width() - hitsWidth,
                   (SearchEdit->height() - SearchHits->height()) / 2);
  SearchEdit->setTextMargins(0, 0, hitsWidth, 0);
}

void TForm1::Suchen1Click() {
  SearchEdit->setFocus(Qt::ShortcutFocusReason);
  SearchEdit->selectAll();
}

void TForm1::SearchEditToList() {
  if (!ListBox1->isVisible() || !ListBox1->isEnabled() || listModel_->Count() == 0)
    return;
  ListBox1->setFocus(Qt::TabFocusReason);
  // Nothing chosen yet: the first entry is chosen and shown, as a click on it would; the
  // arrow keys go on from there.
  if (SelectedListIndex() < 0) {
    SelectListIndex(0);
    ListBox1Click();
  }
}

void TForm1::ClearSearch() {
  SearchEdit->clear();  // shows the whole list through SearchEditChange
}

void TForm1::SetSearchEnabled(bool enabled) {
  SearchEdit->setEnabled(enabled);
  Suchen1->setEnabled(enabled);
}

void TForm1::SearchEditChange() {
  // The filtered list is the name view: the other views are left first, as for a new record,
  // and before the entry chosen is read, so that the person chosen in the company tree stays
  // chosen as when its button leaves it.
  if (!filtering_ && !SearchEdit->text().isEmpty())
    ShowNameView();
  const int selected = SelectedListIndex();
  const QString selectedKey = selected < 0 ? QString() : ListEntry(selected);
  if (SearchEdit->text().isEmpty()) {
    if (!filtering_)
      return;
    filtering_ = false;
    searchNamesFailed_ = false;
    const QStringList all = std::move(searchAll_);
    searchAll_.clear();
    searchRows_.clear();
    SetListEntries(all);
    // The entry chosen among the hits stays chosen in the whole list.
    SelectListIndex(UnfilteredIndexOf(selectedKey));
    ShowHitCount();
    return;
  }
  if (!filtering_) {
    searchAll_ = ListEntries();
    filtering_ = true;
  }
  // Every key searches the name index as it is now: a record that another workstation saved,
  // deleted or restored a moment ago is found, or no more found, at the next key. An index
  // that cannot be read (a share that dropped out) is reported at the first key only; the
  // keys after it search the list as last read, as the record store's side does.
  class Quiet : public store::MessageSink {
    void ShowMessage(const QString&) override {}
  } quiet;
  const store::LoadResult names =
      book_->LoadNames(searchNamesFailed_ ? static_cast<store::MessageSink&>(quiet) : sink_);
  searchNamesFailed_ = !names.loaded;
  if (names.loaded)
    searchAll_ = names.lines;
  ShowSearchHits();
  // The entry chosen stays chosen while it is among the hits.
  SelectListIndex(FilteredIndex(UnfilteredIndexOf(selectedKey)));
}

void TForm1::ShowSearchHits() {
  store::RecordSearch::Hits hits = book_->Search().Find(searchAll_, SearchEdit->text(), sink_);
  searchRows_ = hits.rows;
  {
    const QScopedValueRollback quiet(listChangingQuietly_, true);
    listModel_->SetPart(hits.listed, std::move(hits.rows));
  }
  ShowHitCount();
}

void TForm1::ShowHitCount() {
  SearchHits->setText(filtering_ ? QString::number(searchRows_.size()) + QStringLiteral(" Treffer")
                                 : QString());
  PlaceSearchField();
}

QStringList TForm1::UnfilteredEntries() const {
  return filtering_ ? searchAll_ : ListEntries();
}

int TForm1::UnfilteredIndex(int row) const {
  if (!filtering_ || row < 0)
    return row;
  return row < int(searchRows_.size()) ? searchRows_[row] : -1;
}

int TForm1::FilteredIndex(int unfilteredIndex) const {
  if (!filtering_ || unfilteredIndex < 0)
    return unfilteredIndex;
  const auto at = std::lower_bound(searchRows_.begin(), searchRows_.end(), unfilteredIndex);
  return at != searchRows_.end() && *at == unfilteredIndex ? int(at - searchRows_.begin()) : -1;
}

int TForm1::UnfilteredIndexOf(const QString& key) const {
  if (key.isEmpty())
    return -1;
  const QStringList all = UnfilteredEntries();
  const int after = mainwindow::SortedInsertPosition(all, key);
  return after > 0 && all[after - 1] == key ? after - 1 : -1;
}

bool TForm1::SearchTakesList(const QStringList& sortedEntries) {
  if (!filtering_)
    return false;
  searchAll_ = sortedEntries;
  ShowSearchHits();
  return true;
}

bool TForm1::SearchInsert(const QString& entry) {
  if (!filtering_)
    return false;
  searchAll_.insert(mainwindow::SortedInsertPosition(searchAll_, entry), entry);
  // A saved record is found with its new values; one that no longer matches drops out.
  ShowSearchHits();
  return true;
}

bool TForm1::SearchRemove(int row) {
  if (!filtering_)
    return false;
  if (row < 0 || row >= int(searchRows_.size()))
    return true;
  searchAll_.removeAt(searchRows_[row]);
  searchRows_.erase(searchRows_.begin() + row);
  for (auto later = searchRows_.begin() + row; later != searchRows_.end(); ++later)
    --*later;
  listModel_->Remove(row);
  ShowHitCount();
  return true;
}
