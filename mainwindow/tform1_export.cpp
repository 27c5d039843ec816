// The CSV export of the main window, and the writing of every export.
#include "mainwindow/csvexport.h"
#include "mainwindow/tform1.h"
#include "platform/waitcursor.h"
#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/messages.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"

void TForm1::ToolbarButton973Click() {
  try {
    // The export covers the whole name index, whatever the list shows.
    const store::LoadResult names = LoadNames();
    const std::optional<QString> fileName =
        platform::Dialogs::Get().GetSaveFileName(this, SaveDialog1);
    if (!fileName)
      return;
    SaveDialog1.initialPath = *fileName;
    WriteExport(*fileName, [&](const store::RecordStore& records) {
      return mainwindow::ExportCsv(records, names.lines);
    });
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}

void TForm1::WriteExport(const QString& fileName,
                         const std::function<QByteArray(const store::RecordStore&)>& build) {
  // An export named like a data file would replace the address book itself.
  if (book_->Files().HoldsFile(fileName))
    throw store::UserError(store::DataFileTargetMessage(fileName));
  // What an export that crashed halfway left beside the file goes now.
  store::RemoveStaleTemporaries({fileName});
  const platform::WaitCursor busy;
  const store::RecordStore records = book_->OpenRecords(sink_);
  // Written whole in one atomic replace: a failure leaves no half-written file behind.
  if (!store::WriteFileAtomic(fileName, build(records)))
    throw store::UserError(store::CannotCreateMessage(fileName));
}
