// The CSV export of the main window.
#include "mainwindow/csvexport.h"
#include "mainwindow/tform1.h"
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
    if (book_->Files().HoldsFile(*fileName))
      throw store::UserError(store::DataFileTargetMessage(*fileName));
    // What an export that crashed halfway left beside the file goes now.
    store::RemoveStaleTemporaries({*fileName});
    const store::RecordStore records = book_->OpenRecords(sink_);
    // Written whole in one atomic replace: a failure leaves no half-written file behind.
    const QByteArray csv = mainwindow::ExportCsv(records, names.lines);
    if (!store::WriteFileAtomic(*fileName, csv))
      throw store::UserError(store::CannotCreateMessage(*fileName));
  } catch (const store::UserError& error) {
    platform::Dialogs::Get().Error(this, error.message());
  }
}
