#pragma once

#include <QByteArray>

#include "mainwindow/importcards.h"

class QIODevice;

namespace mainwindow {

// Reads a file of this program's CSV export: Windows-1252 text (UTF-8 when it starts with a
// byte order mark, as a spreadsheet program saves it), the export's header line, then one line
// per record of fifteen values joined by ";" in the export's column order. A value in double
// quotes may hold ";", line breaks and quotes (doubled); unquoted values are taken as they
// stand. A line with other than fifteen values (an export without quoting whose values held a
// ";"), or with "Error" in every column (a record that was missing at the export), is refused
// with the reason. A file without the header line, or with binary data, gives an error.
ImportFile ReadCsvExport(QIODevice& in, const ReadProgress& progress = {});
ImportFile ReadCsvExport(const QByteArray& bytes);

}  // namespace mainwindow
