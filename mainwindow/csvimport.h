#pragma once

#include <QByteArray>

#include "mainwindow/importcards.h"

class QIODevice;

namespace mainwindow {

// Reads a file of this program's CSV export, also as a spreadsheet program saves it again:
// Windows-1252 or UTF-8 text (with or without a byte order mark; the header's "ß" tells),
// the export's header line with its values joined by ";", "," or a tab (the one separator the
// header is found with holds for the whole file), then one line per record of fifteen values
// in the export's column order. A value in double quotes may hold the separator, line breaks
// and quotes (doubled); unquoted values are taken as they stand. Empty cells cut off at the end
// of a row, or added beyond the fifteenth where the header has them too, are no loss; rows of
// empty cells are passed over. A line with one value, or with more than fifteen (an export
// without quoting whose values held a ";"), or with "Error" in every column (a record that was
// missing at the export), is refused with the reason. A file without the header line, or with
// binary data, gives an error.
ImportFile ReadCsvExport(QIODevice& in, const ReadProgress& progress = {});
ImportFile ReadCsvExport(const QByteArray& bytes);

}  // namespace mainwindow
