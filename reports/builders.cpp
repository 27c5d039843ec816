#include "reports/builders.h"

#include <array>

#include "reports/reportfields.h"
#include "store/recordkey.h"
#include "store/recordstore.h"

namespace reports {
namespace {

bool Ticked(const QVector<bool>& flags, int index) {
  return index >= 0 && index < flags.size() && flags[index];
}

}  // namespace

QVector<int> IncludedEntries(const store::RecordStore& store, const ReportSelection& selection) {
  QVector<int> included;
  const QString irufKey = QString::fromLatin1(ReportFields()[14].tableKey);
  for (int k = 0; k < selection.entries.size(); ++k) {
    if (!Ticked(selection.tickedRecords, k))
      continue;
    if (selection.internalOnly) {
      const QString key = store::StripEntrySuffix(selection.entries[k]);
      if (store.Value(key, irufKey).isEmpty())
        continue;
    }
    included.append(k);
  }
  return included;
}

namespace {

// The block labels as texts, converted once.
const std::array<QString, kReportFieldCount>& BlockLabels() {
  static const std::array<QString, kReportFieldCount> labels = [] {
    std::array<QString, kReportFieldCount> texts;
    for (int j = 0; j < kReportFieldCount; ++j) {
      texts[j] = QString::fromUtf8(ReportFields()[j].blockLabel);
    }
    return texts;
  }();
  return labels;
}

void AppendBlock(QStringList& lines, const store::RecordValues& values, const QString& entry,
                 const QVector<bool>& tickedFields) {
  static const QString blank = QStringLiteral(" ");
  lines.append(entry);
  lines.append(blank);
  for (int j : BlockLineOrder()) {
    if (!Ticked(tickedFields, j))
      continue;
    lines.append(BlockLabels()[j] + values[ReportFields()[j].field]);
  }
  lines.append(blank);
  lines.append(blank);
}

}  // namespace

namespace {

QVector<int> TickedFields(const ReportSelection& selection) {
  QVector<int> fields;
  for (int j = 0; j < kReportFieldCount; ++j) {
    if (Ticked(selection.tickedFields, j))
      fields.append(j);
  }
  return fields;
}

// The table for the ticked fields and included records, before any value is read.
Grid EmptyTable(const QVector<int>& fields, qsizetype records) {
  if (fields.isEmpty())
    return Grid::Reset();
  Grid grid = Grid::Sized(1 + fields.size(), 1 + std::max<int>(1, records), 1, 1);
  for (int c = 0; c < fields.size(); ++c) {
    grid.SetCell(c + 1, 0, QString::fromUtf8(ReportFields()[fields[c]].caption));
  }
  return grid;
}

void FillTableRow(Grid& grid, const QVector<int>& fields, int row,
                  const store::RecordValues& values) {
  grid.SetCell(0, row, QString::number(row));
  for (int c = 0; c < fields.size(); ++c) {
    grid.SetCell(c + 1, row, values[ReportFields()[fields[c]].field]);
  }
}

}  // namespace

Grid BuildTableView(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  if (fields.isEmpty())
    return Grid::Reset();
  const QVector<int> records = IncludedEntries(store, selection);
  Grid grid = EmptyTable(fields, records.size());
  for (int r = 0; r < records.size(); ++r) {
    FillTableRow(grid, fields, r + 1,
                 store.Record(store::StripEntrySuffix(selection.entries[records[r]])));
  }
  return grid;
}

BuiltReport BuildReport(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  const QVector<int> records = IncludedEntries(store, selection);
  BuiltReport report{EmptyTable(fields, records.size()), {}};
  report.blockLines.reserve(records.size() * (4 + fields.size()));
  for (int r = 0; r < records.size(); ++r) {
    const QString& entry = selection.entries[records[r]];
    const store::RecordValues values = store.Record(store::StripEntrySuffix(entry));
    if (!fields.isEmpty())
      FillTableRow(report.grid, fields, r + 1, values);
    AppendBlock(report.blockLines, values, entry, selection.tickedFields);
  }
  return report;
}

QStringList RecordBlock(const store::RecordValues& values, const QString& entry,
                        const QVector<bool>& tickedFields) {
  QStringList lines;
  AppendBlock(lines, values, entry, tickedFields);
  return lines;
}

QStringList RecordBlock(const store::RecordStore& store, const QString& entry,
                        const QVector<bool>& tickedFields) {
  return RecordBlock(store.Record(store::StripEntrySuffix(entry)), entry, tickedFields);
}

QStringList BuildBlocks(const store::RecordStore& store, const ReportSelection& selection) {
  QStringList lines;
  for (int k : IncludedEntries(store, selection)) {
    const QString& entry = selection.entries[k];
    AppendBlock(lines, store.Record(store::StripEntrySuffix(entry)), entry, selection.tickedFields);
  }
  return lines;
}

}  // namespace reports
