#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

#include "store/fieldtable.h"

namespace store {

class RecordStore;

// Which of the fifteen fields a bulk read fetches (bit i = field i of the field table).
using FieldMask = quint32;
constexpr FieldMask AllFields() {
  return (FieldMask(1) << kFieldCount) - 1;
}
constexpr FieldMask FieldBit(int field) {
  return FieldMask(1) << field;
}

// The values of many records (row i: the i-th key asked for), found in one pass over the
// store. Made by RecordStore::ReadRecords; the values it hands out are Windows-1252 bytes
// that the table shares with the store, so they stay valid as long as the table lives.
class RecordTable {
 public:
  RecordTable() = default;

  qsizetype Size() const;  // the number of keys asked for
  // True when the row-th key has a section.
  bool HasSection(qsizetype row) const;
  // The field's value as stored, cleaned as RecordStore::Value cleans it, or std::nullopt
  // when the section or the key is missing or the field was not asked for.
  std::optional<QByteArrayView> Raw(qsizetype row, int field) const;
  // The same as text; MissingValue() ("Error") when missing.
  QString Text(qsizetype row, int field) const;
  // The row's values of all fields at once, each as Raw(row, field) gives it.
  using RowValues = std::array<std::optional<QByteArrayView>, kFieldCount>;
  void RawRow(qsizetype row, RowValues* values) const;
  // The bytes every value found is a view of (a caller may keep them to keep the values).
  const QByteArray& Bytes() const { return bytes_; }

 private:
  friend class RecordStore;
  friend class RecordRows;

  // Finds the values of keys in the profile text bytes in one pass (RecordStore::ReadRecords).
  static RecordTable Read(const QByteArray& bytes, const QStringList& keys, FieldMask fields);
  // The row's values in spans_, or nullptr when the row has no section or nothing was asked.
  const quint64* SpansOf(qsizetype row) const;
  // Ask the memory for a row's place in spans_, and for its values, before they are read.
  void PrefetchPlace(qsizetype row) const;
  void PrefetchValues(qsizetype row) const;
  // Ask for the text of a row's key: a walk's caller mostly shows it beside the values.
  void PrefetchKey(qsizetype row) const;

  QByteArray bytes_;  // the store's bytes, shared with the store (no copy)
  QStringList keys_;  // the keys asked for, shared with the caller
  qsizetype rows_ = 0;
  int columns_ = 0;                          // the number of fields asked for
  std::array<qint8, kFieldCount> column_{};  // field -> column, -1 when not asked for
  // Per row, which section's values (in spans_) it has; -1: no section. Rows whose keys name
  // the same section share its values.
  std::vector<qint32> rowSection_;
  // columns_ values per section of the file, in file order, as the scanner gives them. The
  // file is read in two parts at once: the sections of the first part, then the second's.
  std::array<std::vector<quint64>, 2> spans_;
  qint32 firstPartSections_ = 0;
  qint32 sections_ = 0;
};

// Walks the rows of a table in list order:
//   for (store::RecordRows rows(table); rows.Next();) use(rows.Value(store::kName));
// The records of a list lie all over the store, so it asks for later rows' values while the
// caller works on this one.
class RecordRows {
 public:
  explicit RecordRows(const RecordTable& table) : RecordRows(table, 0, table.Size()) {}
  // Only rows [from, to): a part of the list, for one thread each.
  RecordRows(const RecordTable& table, qsizetype from, qsizetype to)
      : table_(table), row_(from - 1), end_(qBound(qsizetype(0), to, table.Size())) {}

  // Steps to the next row; false after the last.
  bool Next();
  qsizetype Row() const { return row_; }
  bool HasSection() const { return table_.HasSection(row_); }
  // The field's value as stored (Windows-1252), std::nullopt when missing.
  const std::optional<QByteArrayView>& Raw(int field) const { return values_[size_t(field)]; }
  // The same, "Error" when missing.
  QByteArrayView Value(int field) const;

 private:
  const RecordTable& table_;
  qsizetype row_ = -1;
  qsizetype end_ = 0;
  RecordTable::RowValues values_{};
};

}  // namespace store
