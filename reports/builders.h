#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "reports/grid.h"
#include "reports/textlines.h"
#include "store/fieldtable.h"

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

// Indices of the entries that go into the report: ticked, and with the internal-number
// option, having a non-empty "IRuf" value ("Error" for a missing key counts as a number).
QVector<int> IncludedEntries(const store::RecordStore& store, const ReportSelection& selection);

// The table view: row 0 the captions of the ticked fields from column 1 on, column 0 the
// running numbers "1", "2", ..., row i the values of the i-th included record. At least 2 by 2;
// with no ticked field the grid is the empty 2 by 2 grid.
Grid BuildTableView(const store::RecordStore& store, const ReportSelection& selection);

// The block of one record: the entry as listed, " ", one line per ticked field (label and
// value, first name before name), then " " twice.
QStringList RecordBlock(const store::RecordValues& values, const QString& entry,
                        const QVector<bool>& tickedFields);
QStringList RecordBlock(const store::RecordStore& store, const QString& entry,
                        const QVector<bool>& tickedFields);

// The blocks of all included records, in list order.
TextLines BuildBlockText(const store::RecordStore& store, const ReportSelection& selection);
QStringList BuildBlocks(const store::RecordStore& store, const ReportSelection& selection);

// Both views of a build, from one read of the records: what BuildTableView and BuildBlocks
// give.
struct BuiltReport {
  Grid grid;
  TextLines blockLines;
};
BuiltReport BuildReport(const store::RecordStore& store, const ReportSelection& selection);

}  // namespace reports
