#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

#include "store/fieldtable.h"
#include "store/recordtable.h"
#include "store/sectionscan.h"

namespace store {

// A read-only snapshot of the record store, read from disk once. One command opens one
// snapshot and serves every field read from it. The first lookup scans for its section; from
// the second on, the sections are found through an index of the headers built once.
class RecordStore {
 public:
  RecordStore();  // an empty store: every read gives the default
  explicit RecordStore(QByteArray bytes);

  // The value of storeKey in the section named key; defaultValue when either is missing.
  QString Value(const QString& key, QStringView storeKey,
                const QString& defaultValue = MissingValue()) const;
  // All fifteen values of a record, in editor order, each "Error" when missing. hasSection,
  // when given, tells whether the store holds a section for key at all: a second lookup in
  // the same snapshot would index every header.
  RecordValues Record(const QString& key, bool* hasSection = nullptr) const;
  // The same values as they stand in the file's text (blanks, quotes and length dealt with as
  // by Value), without turning them into text; std::nullopt where a key is missing. The views
  // point into Bytes() and live as long as this store.
  std::array<std::optional<QByteArrayView>, kFieldCount> RawRecord(
      const QString& key, bool* hasSection = nullptr) const;
  bool HasSection(const QString& key) const;
  // The asked-for fields of many records at once (row i: keys[i]), with the same lookup rules
  // as Record: section names ignore letter case, the first section of a name and the first
  // line of a key win. Its values are Windows-1252 also when the file is UTF-8.
  RecordTable ReadRecords(const QStringList& keys, FieldMask fields) const;
  // Every section with the asked-for fields' values, in file order, on two threads at once,
  // for a bulk reader that takes the values as they come (sectionscan.h tells how); the scan
  // then tells which section each key names. The same values as ReadRecords.
  SectionScan ScanSections(FieldMask fields, const SectionScan::Visit& visit) const;

  const QByteArray& Bytes() const;
  // True for a file that starts with a UTF-8 byte-order mark: its values may hold characters
  // that the Windows-1252 values of ReadRecords have none for.
  bool IsUtf8() const;

 private:
  struct Impl;
  std::shared_ptr<const Impl> impl_;
};

}  // namespace store
