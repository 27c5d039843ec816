// The report generator's window commands: showing, closing, new report, selections, font,
// edit commands, and the helpers that write the two views.
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

#include "platform/checklist.h"
#include "platform/dialogs.h"
#include "reports/gridmodel.h"
#include "reports/tform8.h"

namespace {

QString UnsavedChangesQuestion() {
  return QStringLiteral("Änderungen in diesem Report speichern ?");
}

}  // namespace

void TForm8::FormShow() {
  shownEntries_ = mainListEntries_ ? mainListEntries_() : QStringList();
  CheckListBox2->clear();
  CheckListBox2->addItems(shownEntries_);
  platform::SetAllChecked(CheckListBox1, true);
  CheckBox3->setChecked(true);
  platform::SetAllChecked(CheckListBox2, true);
  TabbedNotebook1->setCurrentIndex(0);
  SetBlockLines({});
  CheckBox1->setChecked(false);
  CheckBox2->setChecked(true);
  ResetGrid();
}

void TForm8::FormHide() {
  SetBlockLines({});
  ResetGrid();
  CheckListBox2->clear();
  shownEntries_.clear();
}

bool TForm8::FormCloseQuery() {
  return ConfirmDiscardOrSave();
}

void TForm8::FormResize() {
  PageControl1->resize(width() - 262, PageControl1->height());
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
  TabbedNotebook1->setEnabled(true);
  ResetGrid();
  TabbedNotebook1->setCurrentIndex(0);
  for (QAction* item :
       {Reportspeichernunter1, Reportffnen1, AusmarkiertenDatenBerichterstellen1, Reportdrucken1}) {
    item->setEnabled(true);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           Label2, ToolbarButton975, ToolbarButton971, ToolbarButton973, ToolbarButton9712,
           ToolbarButton9713, CheckBox1, CheckBox2, CheckBox3, CheckListBox1, CheckListBox2, Label1,
           ToolbarButton976, RichEdit1}) {
    control->setEnabled(true);
  }
  SetBlockLines({});
  RichEdit1->setReadOnly(true);
  // Read-only, the report still has the keyboard's caret: Ctrl+End goes to the last record,
  // the arrow and page keys move through the text, Shift selects for copying.
  RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  CheckBox1->setChecked(false);
  CheckBox2->setChecked(true);
  platform::SetAllChecked(CheckListBox1, true);
  platform::SetAllChecked(CheckListBox2, true);
  CheckBox3->setChecked(true);
  ToolbarButton976->setChecked(false);
}

void TForm8::CheckBox2Click() {
  platform::SetAllChecked(CheckListBox1, CheckBox2->isChecked());
}

void TForm8::CheckBox3Click() {
  platform::SetAllChecked(CheckListBox2, CheckBox3->isChecked());
}

void TForm8::ToolbarButton9711Click() {
  const std::optional<QFont> font = platform::Dialogs::Get().GetFont(this, chosenFont_);
  if (!font)
    return;
  chosenFont_ = *font;
  ApplyFont(*font);
}

void TForm8::ApplyFont(const QFont& font) {
  RichEdit1->setFont(font);
  RichEdit1->document()->setDefaultFont(font);
  StringGrid1->setFont(font);
  StringGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
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
  StringGrid1->horizontalHeader()->setVisible(headerRow);
  StringGrid1->verticalHeader()->setVisible(headerColumn);
}

namespace {

// The block view holds the lines of a group in one paragraph, divided by line separators: the
// document then holds some ten thousand paragraphs instead of millions, which it takes several
// times faster and in a fraction of the memory, and every line still shows (and prints) as a
// line. The view lays out a paragraph whole when it shows a part of it, which for a group of
// this size is still quick.
constexpr qsizetype kLinesPerParagraph = 128;

// The paragraphs go into the document some at a time, divided by paragraph separators: the
// document divides one text into paragraphs faster than it takes each in a call of its own.
constexpr qsizetype kParagraphsPerInsert = 16;

}  // namespace

void TForm8::SetBlockLines(const reports::TextLines& lines) {
  RichEdit1->setPlainText(QString());
  AppendBlockLines(lines);
  RichEdit1->document()->setModified(false);
}

void TForm8::AppendBlockLines(const reports::TextLines& lines) {
  if (lines.IsEmpty())
    return;
  QTextDocument* document = RichEdit1->document();
  const bool wasEmpty = document->isEmpty();
  // The lines go in some paragraphs at a time, as one change: the document copies each once
  // and the view hears of the change once, and no text of the size of the whole report is
  // made on the way. Appending a build is not kept for undo.
  const bool undo = document->isUndoRedoEnabled();
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  QString text;
  const qsizetype step = kLinesPerParagraph * kParagraphsPerInsert;
  for (qsizetype first = 0; first < lines.Size(); first += step) {
    if (first > 0 || !wasEmpty)
      cursor.insertBlock();
    lines.ParagraphsText(first, std::min(step, lines.Size() - first), kLinesPerParagraph, text);
    cursor.insertText(text);
  }
  cursor.endEditBlock();
  document->setUndoRedoEnabled(undo);
  if (wasEmpty)
    RichEdit1->moveCursor(QTextCursor::Start);
}

QList<bool> TForm8::CheckedStates(QListWidget* list) const {
  QList<bool> states;
  states.reserve(list->count());
  // The state is kept as a number: read as one, it is not converted to the enumeration by the
  // meta-type system for each of up to 100 000 entries, which takes twice as long.
  for (int i = 0; i < list->count(); ++i)
    states.append(list->item(i)->data(Qt::CheckStateRole).toInt() == Qt::Checked);
  return states;
}

void TForm8::EnableSelection(bool enabled) {
  for (QWidget* control :
       std::initializer_list<QWidget*>{ToolbarButton973, ToolbarButton9713, ToolbarButton9712,
                                       CheckListBox1, CheckListBox2, CheckBox1, Label2}) {
    control->setEnabled(enabled);
  }
}
