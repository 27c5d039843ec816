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

// The values of many records, found in one sequential pass over the store's bytes.
// Made by RecordStore::ReadRecords; the views it hands out point into the store's bytes,
// which the table shares, so they stay valid as long as the table or the store lives.
class RecordTable {
 public:
  RecordTable() = default;

  qsizetype Size() const;  // the number of keys asked for
  // True when the row-th key has a section.
  bool HasSection(qsizetype row) const;
  // The field's value as it stands in the store (Windows-1252 bytes, cleaned exactly as
  // RecordStore::Value/RawRecord clean them), or std::nullopt when the section or the key is
  // missing or the field was not asked for. The view lives as long as the RecordStore.
  std::optional<QByteArrayView> Raw(qsizetype row, int field) const;
  // The same as text; MissingValue() ("Error") when missing.
  QString Text(qsizetype row, int field) const;
  // The row's values of all fields at once, each as Raw(row, field) gives it.
  using RowValues = std::array<std::optional<QByteArrayView>, kFieldCount>;
  void RawRow(qsizetype row, RowValues* values) const;

  // The sections found, in file order, for a caller that goes through them in that order
  // (reading the store front to back) rather than row by row: SectionOf(row) is the section
  // a row's values come from (-1: none), RawSection the values of a section, as RawRow gives
  // them for its rows.
  qint32 SectionCount() const;
  qint32 SectionOf(qsizetype row) const;
  void RawSection(qint32 section, RowValues* values) const;

  // Hints for a caller that walks many rows: the records lie all over the store's bytes, so
  // it asks for a row's place in the table some rows ahead (PrefetchPlace), then for that
  // row's bytes a few rows ahead (PrefetchValues). Neither changes any result.
  void PrefetchPlace(qsizetype row) const;
  void PrefetchValues(qsizetype row) const;

 private:
  friend class RecordStore;

  // Finds the values of keys in the profile text bytes in one pass (RecordStore::ReadRecords).
  static RecordTable Read(const QByteArray& bytes, const QStringList& keys, FieldMask fields);
  // The row's values in spans_, or nullptr when the row has no section or nothing was asked.
  const quint64* SpansOf(qsizetype row) const;
  const quint64* SpansOfSection(qint32 section) const;

  QByteArray bytes_;  // the store's bytes, shared with the store (no copy)
  qsizetype rows_ = 0;
  int columns_ = 0;                          // the number of fields asked for
  std::array<qint8, kFieldCount> column_{};  // field -> column, -1 when not asked for
  // Per row, which section's values (in spans_) it has; -1: no section. Rows whose keys name
  // the same section share its values.
  std::vector<qint32> rowSection_;
  // columns_ values per section of the file, in file order; each value's place in the store's
  // bytes as offset << 10 | length (values are at most 1023 bytes long), all ones when the
  // key is missing. The file is read in two parts at once: the sections of the first part,
  // then those of the second.
  std::array<std::vector<quint64>, 2> spans_;
  qint32 firstPartSections_ = 0;
  qint32 sections_ = 0;
};

}  // namespace store
