#pragma once

#include <QFont>
#include <QString>

#include "reports/grid.h"
#include "reports/textlines.h"

namespace reports {

enum class ReportWrite { Saved, CompanionFailed, TextFailed };

// Saves a report as its pair of files: the block lines as Rich Text Format under path, the
// grid into the companion beside it (updated as the profile service updates it). Both files
// are made whole under temporary names before either replaces its old file, the companion
// first: a text file that cannot be written leaves the old pair as it was. A companion that
// exists but cannot be read is not overwritten, nor is a text file named like its own
// companion written.
ReportWrite WriteReportFiles(const QString& path, const Grid& grid, const TextLines& lines,
                             const QFont& font);

}  // namespace reports
