#pragma once

#include <QByteArray>
#include <QStringList>
#include <array>

#include "store/recordstore.h"

namespace mainwindow {

// The export's header line, without line end.
QString CsvHeader();

// The whole export file: the header and one line per key (in the given order) of fifteen
// values joined by ";", without quoting, each line ended by CR LF, in Windows-1252. Missing
// values are "Error".
QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys);
// The same in two pieces, to be written one after the other: the lines of a large export are
// made in two halves at once, and joining them would copy the whole file once more.
std::array<QByteArray, 2> ExportCsvPieces(const store::RecordStore& records,
                                          const QStringList& keys);

}  // namespace mainwindow
