#include "reports/builders.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "reports/reportfields.h"
#include "store/cp1252.h"
#include "store/recordkey.h"
#include "store/recordstore.h"
#include "store/recordtable.h"

namespace reports {
namespace {

bool Ticked(const QVector<bool>& flags, int index) {
  return index >= 0 && index < flags.size() && flags[index];
}

QVector<int> TickedFields(const ReportSelection& selection) {
  QVector<int> fields;
  for (int j = 0; j < kReportFieldCount; ++j) {
    if (Ticked(selection.tickedFields, j))
      fields.append(j);
  }
  return fields;
}

// The ticked fields in the order of a block's lines.
QVector<int> TickedBlockFields(const QVector<bool>& tickedFields) {
  QVector<int> fields;
  for (int j : BlockLineOrder()) {
    if (Ticked(tickedFields, j))
      fields.append(j);
  }
  return fields;
}

store::Field StoreField(int reportField) {
  return ReportFields()[reportField].field;
}

// The block labels as Windows-1252 bytes, converted once.
const std::array<QByteArray, kReportFieldCount>& BlockLabels() {
  static const std::array<QByteArray, kReportFieldCount> labels = [] {
    std::array<QByteArray, kReportFieldCount> bytes;
    for (int j = 0; j < kReportFieldCount; ++j)
      bytes[j] = store::ToCp1252(QString::fromUtf8(ReportFields()[j].blockLabel));
    return bytes;
  }();
  return labels;
}

void AppendBlank(TextLines& lines) {
  lines.AddBytes(" ");
  lines.EndLine();
}

// Builds the table and, when asked, the blocks of the included records, reading each record
// once.
BuiltReport Build(const store::RecordStore& store, const ReportSelection& selection, bool blocks) {
  const QVector<int> tableFields = TickedFields(selection);
  if (tableFields.isEmpty() && !blocks)
    return {Grid::Reset(), {}};
  const QVector<int> blockFields = TickedBlockFields(selection.tickedFields);
  QVector<int> ticked;
  for (int k = 0; k < selection.entries.size(); ++k) {
    if (Ticked(selection.tickedRecords, k))
      ticked.append(k);
  }
  const QStringList keys = store::StripEntrySuffixes(selection.entries, selection.tickedRecords);
  const store::Field iruf = StoreField(kReportFieldCount - 1);
  store::FieldMask mask = selection.internalOnly ? store::FieldBit(iruf) : 0;
  for (int j : tableFields)
    mask |= store::FieldBit(StoreField(j));
  const store::RecordTable table = store.ReadRecords(keys, mask);

  // With the internal-number option a record whose "IRuf" is there but empty is left out.
  std::vector<bool> included(size_t(keys.size()), true);
  int includedCount = int(keys.size());
  for (qsizetype row = 0; selection.internalOnly && row < keys.size(); ++row) {
    const std::optional<QByteArrayView> number = table.Raw(row, iruf);
    if (number && number->isEmpty()) {
      included[size_t(row)] = false;
      --includedCount;
    }
  }

  // The texts are reserved ahead, from the share of the store one field's values of the
  // included records make (values are about two thirds of a section): growing a buffer of
  // tens of megabytes step by step copies it each time.
  const double share =
      selection.entries.isEmpty() ? 0.0 : double(includedCount) / double(selection.entries.size());
  const auto valueBytes =
      qsizetype(double(store.Bytes().size()) * share * 2 / 3 / store::kFieldCount);
  BuiltReport report{Grid::Reset(), {}};
  if (!tableFields.isEmpty()) {
    report.grid = Grid::Sized(1 + tableFields.size(), 1 + std::max(1, includedCount), 1, 1);
    for (int c = 0; c < tableFields.size(); ++c)
      report.grid.SetCell(c + 1, 0, QString::fromUtf8(ReportFields()[tableFields[c]].caption));
    // The values stay where the read found them: the grid shows them from the store's bytes.
    report.grid.ShareBytes(table.Bytes());
    report.grid.ReserveText(qsizetype(includedCount) * 8);
  }
  if (blocks) {
    qsizetype labelBytes = 0;
    for (int j : blockFields)
      labelBytes += BlockLabels()[j].size();
    const qsizetype entryBytes = 32;  // a key and its decoration, about
    report.blockLines.Reserve(
        qsizetype(includedCount) * (blockFields.size() + 4),
        valueBytes * blockFields.size() + qsizetype(includedCount) * (labelBytes + entryBytes + 3));
  }
  // What each column and each block line shows, looked up once for all rows.
  std::vector<store::Field> columnFields;
  for (int j : tableFields)
    columnFields.push_back(StoreField(j));
  struct BlockLine {
    QByteArrayView label;
    store::Field field;
  };
  std::vector<BlockLine> blockLines;
  for (int j : blockFields)
    blockLines.push_back({BlockLabels()[j], StoreField(j)});
  int gridRow = 0;
  for (store::RecordRows rows(table); rows.Next();) {
    if (!included[size_t(rows.Row())])
      continue;
    ++gridRow;
    if (!tableFields.isEmpty()) {
      char number[16];
      const auto written = std::to_chars(number, number + sizeof number, gridRow);
      report.grid.SetCellBytes(0, gridRow, QByteArrayView(number, written.ptr - number));
      for (size_t c = 0; c < columnFields.size(); ++c)
        report.grid.SetCellShared(int(c) + 1, gridRow, rows.Value(columnFields[c]));
    }
    if (!blocks)
      continue;
    TextLines& lines = report.blockLines;
    lines.AppendLine(selection.entries[ticked[int(rows.Row())]]);
    AppendBlank(lines);
    for (const BlockLine& line : blockLines) {
      lines.AddBytes(line.label);
      lines.AddBytes(rows.Value(line.field));
      lines.EndLine();
    }
    AppendBlank(lines);
    AppendBlank(lines);
  }
  return report;
}

}  // namespace

Grid BuildTableView(const store::RecordStore& store, const ReportSelection& selection) {
  return Build(store, selection, false).grid;
}

BuiltReport BuildReport(const store::RecordStore& store, const ReportSelection& selection) {
  return Build(store, selection, true);
}

}  // namespace reports
