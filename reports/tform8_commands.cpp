// The report generator's window commands: showing, closing, new report, selections, font,
// edit commands, and the helpers that write the two views.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "platform/dialogs.h"
#include "reports/cp1252text.h"
#include "reports/gridmodel.h"
#include "reports/tform8.h"

namespace {

QString UnsavedChangesQuestion() {
  return QStringLiteral("Änderungen in diesem Report speichern ?");
}

}  // namespace

void TForm8::FormShow() {
  shownEntries_ = mainListEntries_ ? mainListEntries_() : QStringList();
  checkListBox2_->clear();
  checkListBox2_->addItems(shownEntries_);
  SetAllChecked(checkListBox1_, true);
  checkBox3_->setChecked(true);
  SetAllChecked(checkListBox2_, true);
  tabbedNotebook1_->setCurrentIndex(0);
  SetBlockLines({});
  checkBox1_->setChecked(false);
  checkBox2_->setChecked(true);
  ResetGrid();
}

bool TForm8::FormCloseQuery() {
  return ConfirmDiscardOrSave();
}

void TForm8::FormResize() {
  pageControl1_->resize(width() - 262, pageControl1_->height());
}

void TForm8::Reportgeneratorbeenden1Click() {
  close();
}

bool TForm8::ConfirmDiscardOrSave() {
  if (!BlockModified())
    return true;
  switch (platform::Dialogs::Get().Confirm(this, UnsavedChangesQuestion(), true)) {
    case platform::Answer::Cancel:
      return false;
    case platform::Answer::Yes:
      // A cancelled file dialog loses the report; a failed save keeps everything.
      return SaveReport() != SaveOutcome::Failed;
    case platform::Answer::No:
      break;
  }
  return true;
}

void TForm8::ToolbarButton972Click() {
  if (!ConfirmDiscardOrSave())
    return;
  tabbedNotebook1_->setEnabled(true);
  ResetGrid();
  tabbedNotebook1_->setCurrentIndex(0);
  for (QAction* item : {reportspeichernunter1_, reportffnen1_, ausmarkiertenDatenBerichterstellen1_,
                        reportdrucken1_}) {
    item->setEnabled(true);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           label2_, toolbarButton975_, toolbarButton971_, toolbarButton973_, toolbarButton9712_,
           toolbarButton9713_, checkBox1_, checkBox2_, checkBox3_, checkListBox1_, checkListBox2_,
           label1_, toolbarButton976_, richEdit1_}) {
    control->setEnabled(true);
  }
  SetBlockLines({});
  richEdit1_->setReadOnly(true);
  // Read-only, the report still has the keyboard's caret: Ctrl+End goes to the last record,
  // the arrow and page keys move through the text, Shift selects for copying.
  richEdit1_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  checkBox1_->setChecked(false);
  checkBox2_->setChecked(true);
  SetAllChecked(checkListBox1_, true);
  SetAllChecked(checkListBox2_, true);
  checkBox3_->setChecked(true);
  toolbarButton976_->setChecked(false);
}

void TForm8::CheckBox2Click() {
  SetAllChecked(checkListBox1_, checkBox2_->isChecked());
}

void TForm8::CheckBox3Click() {
  SetAllChecked(checkListBox2_, checkBox3_->isChecked());
}

void TForm8::ToolbarButton9711Click() {
  const std::optional<QFont> font = platform::Dialogs::Get().GetFont(this, chosenFont_);
  if (!font)
    return;
  chosenFont_ = *font;
  ApplyFont(*font);
}

void TForm8::ApplyFont(const QFont& font) {
  richEdit1_->setFont(font);
  richEdit1_->document()->setDefaultFont(font);
  stringGrid1_->setFont(font);
  stringGrid1_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
}

namespace {

// Sends an edit request to the focused control of the window, if it understands it.
void SendToFocused(QWidget* window, const char* request) {
  QWidget* focused = QApplication::focusWidget();
  if (!focused || focused->window() != window)
    return;
  if (focused->metaObject()->indexOfMethod(QByteArray(QByteArray(request) + "()").constData()) < 0)
    return;
  QMetaObject::invokeMethod(focused, request);
}

}  // namespace

void TForm8::ToolbarButton977Click() {
  SendToFocused(this, "cut");
}
void TForm8::ToolbarButton978Click() {
  SendToFocused(this, "copy");
}
void TForm8::ToolbarButton979Click() {
  SendToFocused(this, "paste");
}
void TForm8::ToolbarButton9710Click() {
  SendToFocused(this, "undo");
}

void TForm8::ResetGrid() {
  SetGrid(reports::Grid::Reset());
}

void TForm8::SetGrid(reports::Grid grid) {
  const bool headerRow = grid.fixedRows > 0;
  const bool headerColumn = grid.fixedColumns > 0;
  gridModel_->SetGrid(std::move(grid));
  stringGrid1_->horizontalHeader()->setVisible(headerRow);
  stringGrid1_->verticalHeader()->setVisible(headerColumn);
}

namespace {

// The block view holds the lines of a group in one paragraph, divided by line separators: the
// document then holds some ten thousand paragraphs instead of millions, which it takes several
// times faster and in a fraction of the memory, and every line still shows (and prints) as a
// line. The view lays out a paragraph whole when it shows a part of it, which for a group of
// this size is still quick.
constexpr qsizetype kLinesPerParagraph = 128;

// Lines first to first + count as the text of one paragraph, into text.
void ParagraphText(const reports::TextLines& lines, qsizetype first, qsizetype count,
                   QString& text) {
  qsizetype length = count - 1;
  for (qsizetype i = first; i < first + count; ++i)
    length += lines.IsWide() ? lines.LineText(i).size() : lines.LineBytes(i).size();
  text.resize(length);
  QChar* out = text.data();
  for (qsizetype i = first; i < first + count; ++i) {
    if (i > first)
      *out++ = QChar(QChar::LineSeparator);
    if (lines.IsWide()) {
      const QStringView line = lines.LineText(i);
      out = std::copy(line.begin(), line.end(), out);
    } else {
      out = reports::WidenCp1252(lines.LineBytes(i), out);
    }
  }
}

}  // namespace

void TForm8::SetBlockLines(const reports::TextLines& lines) {
  richEdit1_->setPlainText(QString());
  AppendBlockLines(lines);
  richEdit1_->document()->setModified(false);
}

void TForm8::AppendBlockLines(const reports::TextLines& lines) {
  if (lines.IsEmpty())
    return;
  QTextDocument* document = richEdit1_->document();
  const bool wasEmpty = document->isEmpty();
  // The lines go in paragraph by paragraph, as one change: the document copies each once and
  // the view hears of the change once, and no text of the size of the whole report is made
  // on the way. Appending a build is not kept for undo.
  const bool undo = document->isUndoRedoEnabled();
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  QString paragraph;
  for (qsizetype first = 0; first < lines.Size(); first += kLinesPerParagraph) {
    if (first > 0 || !wasEmpty)
      cursor.insertBlock();
    ParagraphText(lines, first, std::min(kLinesPerParagraph, lines.Size() - first), paragraph);
    cursor.insertText(paragraph);
  }
  cursor.endEditBlock();
  document->setUndoRedoEnabled(undo);
  if (wasEmpty)
    richEdit1_->moveCursor(QTextCursor::Start);
}

void TForm8::SetAllChecked(QListWidget* list, bool checked) {
  // One change notice for the whole list instead of one per entry.
  QAbstractItemModel* model = list->model();
  const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
  const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  {
    const QSignalBlocker blocker(model);
    for (int i = 0; i < list->count(); ++i) {
      QListWidgetItem* item = list->item(i);
      if (item->flags() != flags)
        item->setFlags(flags);
      item->setCheckState(state);
    }
  }
  if (list->count() > 0) {
    Q_EMIT model->dataChanged(model->index(0, 0), model->index(list->count() - 1, 0));
  }
}

QList<bool> TForm8::CheckedStates(QListWidget* list) const {
  QList<bool> states;
  states.reserve(list->count());
  for (int i = 0; i < list->count(); ++i) {
    states.append(list->item(i)->checkState() == Qt::Checked);
  }
  return states;
}

void TForm8::EnableSelection(bool enabled) {
  for (QWidget* control :
       std::initializer_list<QWidget*>{toolbarButton973_, toolbarButton9713_, toolbarButton9712_,
                                       checkListBox1_, checkListBox2_, checkBox1_, label2_}) {
    control->setEnabled(enabled);
  }
}
