// The build command: the table view is rebuilt and the blocks are appended to the block view.
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>

#include "platform/dialogs.h"
#include "platform/waitcursor.h"
#include "reports/builders.h"
#include "reports/tform8.h"
#include "store/addressbook.h"
#include "store/recordstore.h"

reports::ReportSelection TForm8::CurrentSelection() const {
  const QList<bool> fields = CheckedStates(CheckListBox1);
  const QList<bool> records = CheckedStates(CheckListBox2);
  return {shownEntries_, QVector<bool>(fields.begin(), fields.end()),
          QVector<bool>(records.begin(), records.end()), CheckBox1->isChecked()};
}

void TForm8::ToolbarButton973Click() {
  // One probe and one snapshot of the record store serve the whole build: every value of the
  // table and of the blocks is read from it, and an unreadable store is reported once.
  const platform::WaitCursor busy;
  const store::RecordStore store = book_->OpenRecords(*this);

  reports::BuiltReport report = reports::BuildReport(store, CurrentSelection());
  SetGrid(std::move(report.grid));
  EnableSelection(false);
  CheckBox2->setEnabled(true);
  CheckBox3->setEnabled(true);
  TabbedNotebook1->setEnabled(false);

  AppendBlockLines(report.blockLines);
  RichEdit1->document()->setModified(true);
}

void TForm8::BuildTableView() {
  // The table alone reads the store as it is, without the probe.
  const store::RecordStore store = book_->ReadRecords();
  SetGrid(reports::BuildTableView(store, CurrentSelection()));
}

void TForm8::ShowMessage(const QString& text) {
  platform::Dialogs::Get().Message(this, text);
}
