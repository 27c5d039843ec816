#include "reports/builders.h"

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

Grid BuildTableView(const store::RecordStore& store, const ReportSelection& selection) {
  QVector<int> fields;
  for (int j = 0; j < kReportFieldCount; ++j) {
    if (Ticked(selection.tickedFields, j))
      fields.append(j);
  }
  if (fields.isEmpty())
    return Grid::Reset();

  const QVector<int> records = IncludedEntries(store, selection);
  Grid grid = Grid::Sized(1 + fields.size(), 1 + std::max<int>(1, records.size()), 1, 1);
  for (int c = 0; c < fields.size(); ++c) {
    grid.SetCell(c + 1, 0, QString::fromUtf8(ReportFields()[fields[c]].caption));
  }
  for (int r = 0; r < records.size(); ++r) {
    const store::RecordValues values =
        store.Record(store::StripEntrySuffix(selection.entries[records[r]]));
    grid.SetCell(0, r + 1, QString::number(r + 1));
    for (int c = 0; c < fields.size(); ++c) {
      grid.SetCell(c + 1, r + 1, values[ReportFields()[fields[c]].field]);
    }
  }
  return grid;
}

QStringList RecordBlock(const store::RecordValues& values, const QString& entry,
                        const QVector<bool>& tickedFields) {
  const QString blank = QStringLiteral(" ");
  QStringList lines{entry, blank};
  for (int j : BlockLineOrder()) {
    if (!Ticked(tickedFields, j))
      continue;
    const ReportField& field = ReportFields()[j];
    lines.append(QString::fromUtf8(field.blockLabel) + values[field.field]);
  }
  lines.append(blank);
  lines.append(blank);
  return lines;
}

QStringList RecordBlock(const store::RecordStore& store, const QString& entry,
                        const QVector<bool>& tickedFields) {
  return RecordBlock(store.Record(store::StripEntrySuffix(entry)), entry, tickedFields);
}

QStringList BuildBlocks(const store::RecordStore& store, const ReportSelection& selection) {
  QStringList lines;
  for (int k : IncludedEntries(store, selection)) {
    lines.append(RecordBlock(store, selection.entries[k], selection.tickedFields));
  }
  return lines;
}

}  // namespace reports
