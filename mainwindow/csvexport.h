#pragma once

#include <QByteArray>
#include <QStringList>

#include "store/recordstore.h"

namespace mainwindow {

// The export's header line, without line end.
QString CsvHeader();

// The whole export file, in Windows-1252: the header and one line per key (in the given
// order) of fifteen values joined by ";", each line ended by CR LF. Missing values are
// "Error". A value that holds ";", a double quote, CR or LF is quoted as spreadsheets expect
// (each quote doubled inside); every other value is written as it is.
QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys);

}  // namespace mainwindow
