#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "reports/grid.h"
#include "reports/textlines.h"

namespace store {
class RecordStore;
}

namespace reports {

// What the user ticked in the report generator.
struct ReportSelection {
  // The main list's entries in its order: record keys, or decorated entries of the
  // internal-number view. Entry k of the record list stands for entries[k].
  QStringList entries;
  QVector<bool> tickedFields;   // fifteen, in field-list order
  QVector<bool> tickedRecords;  // one per entry; a missing flag counts as unticked
  bool internalOnly = false;    // only records with an internal number
};

// The table view: row 0 the captions of the ticked fields from column 1 on, column 0 the
// running numbers "1", "2", ..., row i the values of the i-th included record: a ticked
// record, and with the internal-number option one whose "IRuf" value is not empty ("Error"
// for a missing key counts as a number). At least 2 by 2; with no ticked field the grid is
// the empty 2 by 2 grid.
Grid BuildTableView(const store::RecordStore& store, const ReportSelection& selection);

// Both views of a build, from one read of the records: the table view, and the block of each
// included record in list order (the entry as listed, " ", one line per ticked field, label
// and value, first name before name, then " " twice).
struct BuiltReport {
  Grid grid;
  TextLines blockLines;
};
BuiltReport BuildReport(const store::RecordStore& store, const ReportSelection& selection);

}  // namespace reports
