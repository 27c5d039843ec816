#include "reports/builders.h"

#include <array>
#include <charconv>

#include "reports/cp1252text.h"
#include "reports/reportfields.h"
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

store::Field IrufField() {
  return ReportFields()[14].field;
}

// The records of a build, read from the store in one pass: the included entries and, row by
// row, their values of the fields asked for.
struct Included {
  QVector<int> entries;
  store::RecordTable table;
  std::vector<qsizetype> rows;  // the table row of each included entry
};

Included ReadIncluded(const store::RecordStore& store, const ReportSelection& selection,
                      store::FieldMask fields) {
  Included included;
  QVector<int> ticked;
  QStringList keys;
  for (int k = 0; k < selection.entries.size(); ++k) {
    if (!Ticked(selection.tickedRecords, k))
      continue;
    ticked.append(k);
    keys.append(store::StripEntrySuffix(selection.entries[k]));
  }
  if (selection.internalOnly)
    fields |= store::FieldBit(IrufField());
  included.table = store.ReadRecords(keys, fields);
  included.entries.reserve(ticked.size());
  included.rows.reserve(size_t(ticked.size()));
  for (qsizetype row = 0; row < ticked.size(); ++row) {
    // A missing key reads "Error", which counts as a number.
    if (selection.internalOnly) {
      const std::optional<QByteArrayView> iruf = included.table.Raw(row, IrufField());
      if (iruf && iruf->isEmpty())
        continue;
    }
    included.entries.append(ticked[row]);
    included.rows.push_back(row);
  }
  return included;
}

store::FieldMask MaskOf(const QVector<int>& reportFields) {
  store::FieldMask mask = 0;
  for (int j : reportFields)
    mask |= store::FieldBit(ReportFields()[j].field);
  return mask;
}

const QString& ErrorText() {
  static const QString text = store::MissingValue();
  return text;
}

qsizetype TextLength(const std::optional<QByteArrayView>& raw) {
  return raw ? raw->size() : ErrorText().size();
}

// Writes a value at out: its text, or "Error" when it is missing.
QChar* PutValue(const std::optional<QByteArrayView>& raw, QChar* out) {
  if (raw)
    return WidenCp1252(*raw, out);
  return std::copy(ErrorText().begin(), ErrorText().end(), out);
}

// The table for the ticked fields and included records, filled from the records read.
Grid FillTable(const QVector<int>& fields, const Included& included) {
  if (fields.isEmpty())
    return Grid::Reset();
  const int records = included.entries.size();
  Grid grid = Grid::Sized(1 + fields.size(), 1 + std::max(1, records), 1, 1);
  qsizetype characters = 0;
  for (size_t r = 0; r < included.rows.size(); ++r) {
    characters += 7;
    for (int j : fields)
      characters += TextLength(included.table.Raw(included.rows[r], ReportFields()[j].field));
  }
  grid.ReserveText(characters + 16 * fields.size());
  for (int c = 0; c < fields.size(); ++c)
    grid.SetCell(c + 1, 0, QString::fromUtf8(ReportFields()[fields[c]].caption));
  for (int r = 0; r < records; ++r) {
    const int row = r + 1;
    char digits[16];
    const auto number = std::to_chars(digits, digits + sizeof digits, row);
    WidenCp1252(QByteArrayView(digits, number.ptr - digits),
                grid.SetCellOfLength(0, row, number.ptr - digits));
    for (int c = 0; c < fields.size(); ++c) {
      const std::optional<QByteArrayView> raw =
          included.table.Raw(included.rows[r], ReportFields()[fields[c]].field);
      PutValue(raw, grid.SetCellOfLength(c + 1, row, TextLength(raw)));
    }
  }
  return grid;
}

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

const QString& Blank() {
  static const QString blank = QStringLiteral(" ");
  return blank;
}

// The blocks of the included records, one after another.
TextLines FillBlocks(const ReportSelection& selection, const Included& included) {
  const QVector<int> fields = TickedBlockFields(selection.tickedFields);
  TextLines lines;
  qsizetype characters = 0;
  for (size_t r = 0; r < included.rows.size(); ++r) {
    characters += selection.entries[included.entries[r]].size() + 3;
    for (int j : fields) {
      characters += BlockLabels()[j].size() +
                    TextLength(included.table.Raw(included.rows[r], ReportFields()[j].field));
    }
  }
  lines.Reserve(qsizetype(included.rows.size()) * (4 + fields.size()), characters);
  for (size_t r = 0; r < included.rows.size(); ++r) {
    lines.AppendLine(selection.entries[included.entries[r]]);
    lines.AppendLine(Blank());
    for (int j : fields) {
      lines.Add(BlockLabels()[j]);
      const std::optional<QByteArrayView> raw =
          included.table.Raw(included.rows[r], ReportFields()[j].field);
      PutValue(raw, lines.Grow(TextLength(raw)));
      lines.EndLine();
    }
    lines.AppendLine(Blank());
    lines.AppendLine(Blank());
  }
  return lines;
}

void AppendBlock(QStringList& lines, const store::RecordValues& values, const QString& entry,
                 const QVector<bool>& tickedFields) {
  lines.append(entry);
  lines.append(Blank());
  for (int j : TickedBlockFields(tickedFields))
    lines.append(BlockLabels()[j] + values[ReportFields()[j].field]);
  lines.append(Blank());
  lines.append(Blank());
}

}  // namespace

QVector<int> IncludedEntries(const store::RecordStore& store, const ReportSelection& selection) {
  return ReadIncluded(store, selection, 0).entries;
}

Grid BuildTableView(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  if (fields.isEmpty())
    return Grid::Reset();
  return FillTable(fields, ReadIncluded(store, selection, MaskOf(fields)));
}

TextLines BuildBlockText(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  return FillBlocks(selection, ReadIncluded(store, selection, MaskOf(fields)));
}

QStringList BuildBlocks(const store::RecordStore& store, const ReportSelection& selection) {
  return BuildBlockText(store, selection).ToStringList();
}

BuiltReport BuildReport(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  const Included included = ReadIncluded(store, selection, MaskOf(fields));
  return {FillTable(fields, included), FillBlocks(selection, included)};
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

}  // namespace reports
