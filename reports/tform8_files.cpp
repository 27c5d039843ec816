// Saving and opening a report: the block view as a Rich Text Format file under the chosen
// name, the table view in the grid companion ".sgr" beside it.
#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>

#include "platform/checklist.h"
#include "platform/dialogs.h"
#include "platform/waitcursor.h"
#include "reports/companion.h"
#include "reports/reportfiles.h"
#include "reports/rtf.h"
#include "reports/tform8.h"
#include "store/addressbook.h"
#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/messages.h"
#include "store/sharedaccess.h"

namespace {

platform::FileDialogSpec ReportDialog(const QString& lastName) {
  platform::FileDialogSpec request;
  request.filter = QStringLiteral("Textdatei (*.txt)");
  request.defaultSuffix = QStringLiteral("txt");
  request.initialPath = lastName;
  return request;
}

// A name chosen without extension receives ".txt", as the dialog's default extension gives.
QString WithDefaultSuffix(const QString& name) {
  return QFileInfo(name).suffix().isEmpty() && !name.endsWith(QLatin1Char('.'))
             ? name + QStringLiteral(".txt")
             : name;
}

}  // namespace

void TForm8::ToolbarButton975Click() {
  SaveReport();
}

TForm8::SaveOutcome TForm8::SaveReport() {
  platform::FileDialogSpec request = ReportDialog(lastSaveName_);
  request.confirmOverwrite = true;
  const std::optional<QString> chosen = platform::Dialogs::Get().GetSaveFileName(this, request);
  if (!chosen || chosen->isEmpty())
    return SaveOutcome::Cancelled;
  const QString path = WithDefaultSuffix(*chosen);
  lastSaveName_ = path;
  // A report named like a data file ("adresse.qdx" in the program's directory) would replace
  // the address book itself.
  for (const QString& target : {path, reports::CompanionName(path)}) {
    if (book_->Files().HoldsFile(target)) {
      platform::Dialogs::Get().Error(this, store::DataFileTargetMessage(target));
      return SaveOutcome::Failed;
    }
  }

  // The companion is updated as the profile service does it key by key (keys of an earlier,
  // larger report stay), but replaced whole in one atomic write.
  platform::WaitCursor busy;
  const reports::ReportWrite written =
      reports::WriteReportFiles(path, GridData(), BlockText(), BlockFont());
  busy.Done();
  switch (written) {
    case reports::ReportWrite::CompanionFailed:
      platform::Dialogs::Get().Error(this, store::CannotWriteMessage(reports::CompanionName(path)));
      return SaveOutcome::Failed;
    case reports::ReportWrite::TextFailed:
      platform::Dialogs::Get().Error(this, store::CannotCreateMessage(path));
      return SaveOutcome::Failed;
    case reports::ReportWrite::Saved:
      break;
  }
  RichEdit1->document()->setModified(false);
  ToolbarButton976->setEnabled(true);
  return SaveOutcome::Saved;
}

void TForm8::ToolbarButton974Click() {
  platform::FileDialogSpec request = ReportDialog(lastOpenName_);
  request.fileMustExist = true;
  const std::optional<QString> chosen = platform::Dialogs::Get().GetOpenFileName(this, request);
  if (!chosen || chosen->isEmpty())
    return;
  const QString path = *chosen;
  lastOpenName_ = path;
  platform::WaitCursor busy;

  ResetGrid();
  // The report text is read with the same bounded retry as the list files.
  store::ReadResult text;
  for (store::RetryBudget budget(store::kLoadAttempts); budget.Next();) {
    text = store::TryReadWholeFile(path);
    if (text.status == store::ReadStatus::Ok)
      break;
  }
  if (text.status == store::ReadStatus::Ok) {
    SetBlockLines(reports::ReadRtfText(text.bytes));
  } else {
    platform::Dialogs::Get().Message(this, store::LoadFailureMessage());
  }
  RichEdit1->document()->setModified(false);

  const store::ReadResult companion = store::ReadWholeFile(reports::CompanionName(path));
  SetGrid(reports::ReadCompanion(companion.status == store::ReadStatus::Ok ? companion.bytes
                                                                           : QByteArray()));

  ToolbarButton976->setChecked(false);
  ToolbarButton976->setEnabled(true);
  TabbedNotebook1->setCurrentIndex(0);
  for (QAction* item :
       {Reportspeichernunter1, Reportffnen1, AusmarkiertenDatenBerichterstellen1, Reportdrucken1}) {
    item->setEnabled(true);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           Label2, ToolbarButton975, ToolbarButton973, CheckListBox1, CheckListBox2, CheckBox1,
           CheckBox2, CheckBox3, Label1, ToolbarButton971}) {
    control->setEnabled(true);
  }
  CheckBox1->setChecked(false);
  CheckBox2->setChecked(false);
  platform::SetAllChecked(CheckListBox1, false);
  platform::SetAllChecked(CheckListBox2, false);
  CheckBox3->setChecked(false);
}
