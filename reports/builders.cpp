#include "reports/builders.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "reports/cp1252text.h"
#include "reports/reportfields.h"
#include "store/cp1252.h"
#include "store/inparallel.h"
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
  ticked.reserve(selection.entries.size());
  keys.reserve(selection.entries.size());
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

// A value's bytes, or "Error" when it is missing.
QByteArrayView ValueBytes(const std::optional<QByteArrayView>& raw) {
  return raw ? *raw : QByteArrayView("Error");
}

// The block labels as texts and as Windows-1252 bytes, converted once.
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

const std::array<QByteArray, kReportFieldCount>& BlockLabelBytes() {
  static const std::array<QByteArray, kReportFieldCount> labels = [] {
    std::array<QByteArray, kReportFieldCount> bytes;
    for (int j = 0; j < kReportFieldCount; ++j)
      bytes[j] = store::ToCp1252(BlockLabels()[j]);
    return bytes;
  }();
  return labels;
}

const QString& Blank() {
  static const QString blank = QStringLiteral(" ");
  return blank;
}

char* PutBytes(QByteArrayView bytes, char* out) {
  return CopyBytes(out, bytes.data(), bytes.size());
}

// Writes the table and/or the blocks of the included records, reading each value once.
class ReportWriter {
 public:
  ReportWriter(const store::RecordStore& store, const ReportSelection& selection,
               const QVector<int>& tableFields, const Included& included)
      : selection_(selection),
        tableFields_(tableFields),
        blockFields_(TickedBlockFields(selection.tickedFields)),
        included_(included),
        storeSize_(store.Bytes().size()) {
    for (int j = 0; j < kReportFieldCount; ++j)
      storeField_[j] = ReportFields()[j].field;
  }

  BuiltReport Write(bool table, bool blocks) const {
    BuiltReport report{table ? EmptyTable() : Grid::Reset(), {}};
    const bool writeTable = table && !tableFields_.isEmpty();
    if (writeTable)
      ReserveTable(report.grid);
    if (blocks)
      ReserveBlocks(report.blockLines);
    // The table and the blocks are written at once, each in a pass of its own over the
    // rows; their buffers were made above, before the second thread starts.
    const size_t rows = included_.rows.size();
    auto tablePass = [&] {
      if (!writeTable)
        return;
      RowReader reader(*this);
      for (size_t r = 0; r < rows; ++r)
        PutTableRow(report.grid, int(r) + 1, reader.Fetch(r));
    };
    auto blockPass = [&] {
      if (!blocks)
        return;
      RowReader reader(*this);
      for (size_t r = 0; r < rows; ++r)
        PutBlock(report.blockLines, r, reader.Fetch(r));
    };
    store::InParallel(writeTable && blocks && storeSize_ >= store::kParallelThreshold, tablePass,
                      blockPass);
    return report;
  }

 private:
  Grid EmptyTable() const {
    if (tableFields_.isEmpty())
      return Grid::Reset();
    const int records = int(included_.rows.size());
    Grid grid = Grid::Sized(1 + tableFields_.size(), 1 + std::max(1, records), 1, 1);
    for (int c = 0; c < tableFields_.size(); ++c)
      grid.SetCell(c + 1, 0, QString::fromUtf8(ReportFields()[tableFields_[c]].caption));
    return grid;
  }

  // The values take at most what the store holds; the buffers grow should keys repeat.
  // (They are copied, not shared with the store: saving reads the cells row by row, and
  // copies laid out in that order are read faster than the store's scattered bytes.)
  void ReserveTable(Grid& grid) const {
    grid.ReserveText(storeSize_ + 8 * qsizetype(included_.rows.size()));
  }

  void ReserveBlocks(TextLines& lines) const {
    qsizetype characters = storeSize_;
    for (int k : included_.entries)
      characters += selection_.entries[k].size() + 3;
    qsizetype labels = 0;
    for (int j : blockFields_)
      labels += BlockLabels()[j].size();
    characters += labels * qsizetype(included_.rows.size());
    lines.Reserve(qsizetype(included_.rows.size()) * (4 + blockFields_.size()), characters);
  }

  // The values of one row after the other, by store field.
  class RowReader {
   public:
    explicit RowReader(const ReportWriter& writer) : w_(writer) {}

    const store::RecordTable::RowValues& Fetch(size_t r) {
      const Included& included = w_.included_;
      included.table.RawRow(included.rows[r], &values_);
      // The records of a list lie all over the store's bytes, in an order the list does not
      // know, so each record's values would be waited for: a later row's place in the table
      // and a nearer row's bytes are asked for while this one is written.
      if (r + kPlaceAhead < included.rows.size())
        included.table.PrefetchPlace(included.rows[r + kPlaceAhead]);
      if (r + kValuesAhead < included.rows.size()) {
        included.table.PrefetchValues(included.rows[r + kValuesAhead]);
        // The entries' texts, too, lie all over the heap.
        __builtin_prefetch(
            w_.selection_.entries[included.entries[int(r + kValuesAhead)]].constData());
      }
      return values_;
    }

   private:
    static constexpr size_t kPlaceAhead = 16;
    static constexpr size_t kValuesAhead = 8;
    const ReportWriter& w_;
    store::RecordTable::RowValues values_{};
  };

  void PutTableRow(Grid& grid, int row, const store::RecordTable::RowValues& values) const {
    char digits[16];
    const auto number = std::to_chars(digits, digits + sizeof digits, row);
    PutBytes(QByteArrayView(digits, number.ptr - digits),
             grid.SetCellOfLength(0, row, number.ptr - digits));
    for (int c = 0; c < tableFields_.size(); ++c) {
      const QByteArrayView value = ValueBytes(values[storeField_[tableFields_[c]]]);
      PutBytes(value, grid.SetCellOfLength(c + 1, row, value.size()));
    }
  }

  void PutBlock(TextLines& lines, size_t r, const store::RecordTable::RowValues& values) const {
    lines.AppendLine(selection_.entries[included_.entries[int(r)]]);
    AppendBlank(lines);
    for (int j : blockFields_) {
      lines.AddBytes(BlockLabelBytes()[j]);
      lines.AddBytes(ValueBytes(values[storeField_[j]]));
      lines.EndLine();
    }
    AppendBlank(lines);
    AppendBlank(lines);
  }

  static void AppendBlank(TextLines& lines) {
    lines.AddBytes(" ");
    lines.EndLine();
  }

  const ReportSelection& selection_;
  const QVector<int> tableFields_;
  const QVector<int> blockFields_;
  const Included& included_;
  const qsizetype storeSize_;
  std::array<int, kReportFieldCount> storeField_{};  // report field -> store field
};

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
  const Included included = ReadIncluded(store, selection, MaskOf(fields));
  return ReportWriter(store, selection, fields, included).Write(true, false).grid;
}

TextLines BuildBlockText(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  const Included included = ReadIncluded(store, selection, MaskOf(fields));
  return ReportWriter(store, selection, fields, included).Write(false, true).blockLines;
}

QStringList BuildBlocks(const store::RecordStore& store, const ReportSelection& selection) {
  return BuildBlockText(store, selection).ToStringList();
}

BuiltReport BuildReport(const store::RecordStore& store, const ReportSelection& selection) {
  const QVector<int> fields = TickedFields(selection);
  const Included included = ReadIncluded(store, selection, MaskOf(fields));
  return ReportWriter(store, selection, fields, included).Write(true, true);
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
