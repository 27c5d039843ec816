#include "store/recordtable.h"

#include <algorithm>
#include <cstdint>

#include "store/profilescan.h"
#include "store/sectionscan.h"

namespace store {

using namespace profile;

RecordTable RecordTable::Read(const QByteArray& bytes, const QStringList& keys, FieldMask fields) {
  RecordTable table;
  table.bytes_ = bytes;
  table.keys_ = keys;
  table.rows_ = keys.size();
  const FieldColumns columns = FieldColumns::Of(fields);
  table.column_ = columns.column;
  table.columns_ = columns.count;
  if (keys.isEmpty())
    return table;
  // Every section's values are kept, also of the few no key asks for: that costs less than a
  // second pass would.
  // Each part's values go to a vector of its own cache line: both cores append for every
  // section.
  struct alignas(64) PartSpans {
    std::vector<quint64> spans;
  };
  std::array<PartSpans, 2> parts;
  const SectionScan scan(bytes, columns, [&](const SectionScan::Section& section) {
    std::vector<quint64>& kept = parts[size_t(section.part)].spans;
    kept.insert(kept.end(), section.spans, section.spans + columns.count);
  });
  table.spans_[0] = std::move(parts[0].spans);
  table.spans_[1] = std::move(parts[1].spans);
  table.firstPartSections_ = scan.Sections(0);
  table.sections_ = scan.Sections();
  table.rowSection_ = scan.SectionsOf(keys);
  return table;
}

qsizetype RecordTable::Size() const {
  return rows_;
}

bool RecordTable::HasSection(qsizetype row) const {
  return row >= 0 && row < rows_ && rowSection_[size_t(row)] >= 0;
}

std::optional<QByteArrayView> RecordTable::Raw(qsizetype row, int field) const {
  if (field < 0 || field >= kFieldCount || column_[size_t(field)] < 0)
    return std::nullopt;
  const quint64* spans = SpansOf(row);
  if (!spans || spans[column_[size_t(field)]] == kMissing)
    return std::nullopt;
  return SpanView(bytes_.constData(), spans[column_[size_t(field)]]);
}

QString RecordTable::Text(qsizetype row, int field) const {
  const std::optional<QByteArrayView> raw = Raw(row, field);
  return raw ? FromCp1252(*raw) : MissingValue();
}

void RecordTable::RawRow(qsizetype row, RowValues* values) const {
  values->fill(std::nullopt);
  const quint64* spans = SpansOf(row);
  if (!spans)
    return;
  for (int field = 0; field < kFieldCount; ++field) {
    const int column = column_[size_t(field)];
    if (column >= 0 && spans[column] != kMissing)
      (*values)[size_t(field)] = SpanView(bytes_.constData(), spans[column]);
  }
}

const quint64* RecordTable::SpansOf(qsizetype row) const {
  const qint32 section = HasSection(row) ? rowSection_[size_t(row)] : -1;
  if (section < 0 || columns_ == 0)
    return nullptr;
  const bool second = section >= firstPartSections_;
  return spans_[second].data() +
         size_t(section - (second ? firstPartSections_ : 0)) * size_t(columns_);
}

void RecordTable::PrefetchPlace(qsizetype row) const {
  // A row's places (eight bytes a field) reach over up to three cache lines: each is asked for.
  if (const quint64* spans = SpansOf(row)) {
    const auto last = reinterpret_cast<std::uintptr_t>(spans + columns_ - 1);
    for (auto line = reinterpret_cast<std::uintptr_t>(spans) & ~std::uintptr_t(63); line <= last;
         line += 64)
      __builtin_prefetch(reinterpret_cast<const void*>(line));
  }
}

void RecordTable::PrefetchValues(qsizetype row) const {
  const quint64* spans = SpansOf(row);
  if (!spans)
    return;
  // The values lie in a few lines of the section, from the first one found on.
  quint64 first = kMissing;
  for (int c = 0; c < columns_; ++c)
    first = std::min(first, spans[c] == kMissing ? kMissing : spans[c] >> kLengthBits);
  if (first == kMissing)
    return;
  const char* d = bytes_.constData();
  const quint64 last = std::min<quint64>(first + 256, quint64(bytes_.size()) - 1);
  for (quint64 at = first; at <= last; at += 64)
    __builtin_prefetch(d + at);
}

void RecordTable::PrefetchKey(qsizetype row) const {
  __builtin_prefetch(keys_[row].constData());
}

bool RecordRows::Next() {
  // Rows this far ahead are asked for while this one is worked on: about the time the memory
  // takes to deliver them.
  // A row's place in the table is asked for first, its values once the place has arrived.
  constexpr qsizetype kAhead = 8;
  if (row_ + 1 >= end_)
    return false;
  ++row_;
  if (row_ + 2 * kAhead < end_)
    table_.PrefetchPlace(row_ + 2 * kAhead);
  if (row_ + kAhead < end_) {
    table_.PrefetchValues(row_ + kAhead);
    table_.PrefetchKey(row_ + kAhead);
  }
  table_.RawRow(row_, &values_);
  return true;
}

QByteArrayView RecordRows::Value(int field) const {
  return values_[size_t(field)].value_or(QByteArrayView("Error"));
}

}  // namespace store
