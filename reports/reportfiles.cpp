#include "reports/reportfiles.h"

#include "reports/companion.h"
#include "reports/rtf.h"
#include "store/fileio.h"

namespace reports {

ReportWrite WriteReportFiles(const QString& path, const Grid& grid, const TextLines& lines,
                             const QFont& font) {
  const QString companion = CompanionName(path);
  // A text file named like a companion ("bericht.sgr") is its own companion: its text would
  // replace the table just written, and the table would be lost without a word.
  if (companion.compare(path, store::kFileNameCase) == 0)
    return ReportWrite::TextFailed;
  // What a save that crashed halfway left beside the two files goes now.
  store::RemoveStaleTemporaries({companion, path});
  const store::ReadResult existing = store::ReadWholeFile(companion);
  if (existing.status == store::ReadStatus::Failed)
    return ReportWrite::CompanionFailed;
  // A text file that cannot be written (a full disk, a file made read-only, a link to a share
  // that dropped out) fails before the companion is replaced, so old blocks never stand beside
  // a new table.
  const QByteArray companionBytes = WriteCompanion(existing.bytes, grid);
  const QByteArray textBytes = WriteRtf(lines, font);
  store::PendingReplace companionReplace(companion);
  store::PendingReplace textReplace(path);
  switch (store::PendingReplace::WriteBoth(companionReplace, {QByteArrayView(companionBytes)},
                                           textReplace, {QByteArrayView(textBytes)})) {
    case 1:
      return ReportWrite::CompanionFailed;
    case 2:
      return ReportWrite::TextFailed;
  }
  if (!companionReplace.Commit())
    return ReportWrite::CompanionFailed;
  if (!textReplace.Commit())
    return ReportWrite::TextFailed;
  return ReportWrite::Saved;
}

}  // namespace reports
