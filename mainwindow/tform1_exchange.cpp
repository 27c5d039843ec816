// The vCard export and the import of vCard files and CSV exports of the main window.
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "mainwindow/companytreemodel.h"
#include "mainwindow/csvimport.h"
#include "mainwindow/importcards.h"
#include "mainwindow/tform1.h"
#include "mainwindow/vcardread.h"
#include "mainwindow/vcardwrite.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"

namespace {

// The progress of an import: a dialog with a cancel button that shows only when the import
// takes longer than a moment, or the test's hook in its place.
class ImportProgress {
 public:
  ImportProgress(QWidget* parent, qint64 total, const std::function<bool(qint64, qint64)>& hook)
      : total_(qMax<qint64>(total, 1)), hook_(hook) {
    if (hook_)
      return;
    dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Adressen werden importiert …"),
                                                QStringLiteral("Abbrechen"), 0, kSteps, parent);
    dialog_->setObjectName(QStringLiteral("ImportProgress"));
    dialog_->setWindowTitle(QStringLiteral("Importieren"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(700);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
  }

  // While the file is read; false: cancelled.
  bool Read(qint64 done) {
    if (hook_)
      return hook_(done, total_);
    dialog_->setValue(int(qMin<qint64>(done, total_) * (kSteps - 1) / total_));
    return !dialog_->wasCanceled();
  }
  // Once the change is ready, before anything is written (under the data directory's lock,
  // so no events are served here).
  bool Proceed() {
    if (hook_)
      return hook_(total_, total_);
    return !dialog_->wasCanceled();
  }
  void Close() { dialog_.reset(); }

 private:
  static constexpr int kSteps = 1000;
  qint64 total_;
  const std::function<bool(qint64, qint64)>& hook_;
  std::unique_ptr<QProgressDialog> dialog_;
};

// The summary of an import: how many were imported, each card that was not with its reason,
// and what imported cards held that no field took.
void ShowImportSummary(QWidget* parent, const mainwindow::ImportSummary& summary) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("ImportSummary"));
  dialog.setWindowTitle(QStringLiteral("Importieren"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* heading = new QLabel(summary.heading, &dialog);
  heading->setObjectName(QStringLiteral("SummaryHeading"));
  layout->addWidget(heading);
  if (!summary.notImported.isEmpty() || !summary.leftOut.isEmpty()) {
    QStringList text;
    if (!summary.notImported.isEmpty())
      text << QStringLiteral("Nicht importiert:") << summary.notImported;
    if (!summary.leftOut.isEmpty()) {
      if (!text.isEmpty())
        text << QString();
      text << QStringLiteral("Importiert, aber nicht alles übernommen:") << summary.leftOut;
    }
    auto* list = new QPlainTextEdit(&dialog);
    list->setObjectName(QStringLiteral("SummaryList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlainText(text.join(QLatin1Char('\n')));
    layout->addWidget(list);
    dialog.resize(560, 360);
  }
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  platform::Dialogs::Get().ExecModal(dialog);
}

}  // namespace

void TForm1::CreateExchangeMenuItems() {
  // The spreadsheet export of the toolbar, also where a user looks for an export.
  CsvExport1 =
      AddMenuItem(Datei1, "CsvExport1", QStringLiteral("&CSV-Export…"), QKeySequence(), true);
  VCardExport1 =
      AddMenuItem(Datei1, "VCardExport1", QStringLiteral("vCard-&Export…"), QKeySequence(), true);
  Importieren1 =
      AddMenuItem(Datei1, "Importieren1", QStringLiteral("&Importieren…"), QKeySequence(), true);
  connect(CsvExport1, &QAction::triggered, this, &TForm1::ToolbarButton973Click);
  connect(VCardExport1, &QAction::triggered, this, &TForm1::VCardExport1Click);
  connect(Importieren1, &QAction::triggered, this, &TForm1::Importieren1Click);

  SaveDialog2.title = QStringLiteral("Speichern unter");
  SaveDialog2.filter = QStringLiteral("vCard (*.vcf)");
  SaveDialog2.defaultSuffix = QStringLiteral("vcf");
  SaveDialog2.confirmOverwrite = true;
  SaveDialog2.fileMustExist = false;

  OpenDialog1.title = QStringLiteral("Importieren");
  OpenDialog1.filter =
      QStringLiteral("vCard und CSV-Export (*.vcf *.csv);;vCard (*.vcf);;CSV-Export (*.csv)");
  OpenDialog1.fileMustExist = true;
}

void TForm1::VCardExport1Click() {
  if (EntryUnderway())
    return;
  try {
    // The records of the list as shown, in list order.
    const QStringList keys = store::StripEntrySuffixes(ListEntries());
    const std::optional<QString> fileName =
        platform::Dialogs::Get().GetSaveFileName(this, SaveDialog2);
    if (!fileName)
      return;
    SaveDialog2.initialPath = *fileName;
    WriteExport(*fileName, [&](const store::RecordStore& records) {
      return mainwindow::ExportVCards(records, keys);
    });
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm1::Importieren1Click() {
  if (EntryUnderway())
    return;
  try {
    const std::optional<QString> fileName =
        platform::Dialogs::Get().GetOpenFileName(this, OpenDialog1);
    if (!fileName)
      return;
    OpenDialog1.initialPath = *fileName;
    const QString shownName = QDir::toNativeSeparators(*fileName);
    QFile file(*fileName);
    if (!file.open(QIODevice::ReadOnly)) {
      platform::Dialogs::Get().Message(
          this, QStringLiteral("Die Datei %1 kann nicht gelesen werden.").arg(shownName));
      return;
    }
    ImportProgress progress(this, file.size(), importProgressHook_);
    const mainwindow::ReadProgress reading = [&](qint64 done) { return progress.Read(done); };
    const bool csv = fileName->endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const mainwindow::ImportFile read =
        csv ? mainwindow::ReadCsvExport(file, reading) : mainwindow::ReadVCards(file, reading);
    file.close();
    if (read.cancelled)
      return;
    if (!read.error.isEmpty()) {
      progress.Close();
      platform::Dialogs::Get().Message(
          this, QStringLiteral("Die Datei %1 kann nicht importiert werden. %2")
                    .arg(shownName, read.error));
      return;
    }
    const mainwindow::ImportCandidates candidates = mainwindow::CheckCards(read.cards);
    store::ImportOutcome outcome;
    if (!candidates.records.empty()) {
      outcome =
          book_->Files().ImportRecords(candidates.records, [&] { return progress.Proceed(); });
    }
    progress.Close();
    if (outcome.cancelled)
      return;
    if (outcome.imported > 0)
      ShowImportedRecords();
    ShowImportSummary(this, mainwindow::SummarizeImport(read.cards, candidates, outcome));
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm1::ShowImportedRecords() {
  // The entry of the record shown stays marked in the new list: the fields keep showing it.
  const int selected = SelectedListIndex();
  const QString shown = selected < 0 ? QString() : ListEntry(selected);
  // The company view keeps Button3 down when it was entered from the internal-number view, but
  // lists plain keys and builds its tree from them.
  if (Button3->isChecked() && TreeView1->isHidden()) {
    Button3Click();  // the internal-number view is built again from the name index
    if (!shown.isNull())
      SelectListEntry(shown);
    return;
  }
  ReloadNameList();
  if (!shown.isNull())
    SelectListEntry(shown);
  if (!TreeView1->isHidden()) {
    treeModel_->Clear();
    BuildTree();
  }
}
