#include "store/recordtable.h"

#include <algorithm>

#include "store/cp1252.h"
#include "store/inparallel.h"
#include "store/profilescan.h"

namespace store {
namespace {

using namespace profile;

// A section header found by the scan: its name's hash and place, numbered in file order.
struct Header {
  quint64 hash;
  qsizetype nameBegin;
  qsizetype nameSize;
};

// The sections whose headers start in [begin, end) of the store's bytes, with the asked-for
// values of each (`columns` spans per section).
struct ScannedPart {
  std::vector<Header> headers;
  std::vector<quint64> spans;
};

void ScanPart(const QByteArray& bytes, qsizetype begin, qsizetype end, const FieldColumns& columns,
              ScannedPart* part) {
  const char* d = bytes.constData();
  ForEachHeader(d, bytes.size(), begin, end, [&](const SectionPos& s) {
    part->headers.push_back(
        {NameHash(d + s.nameBegin, s.nameEnd - s.nameBegin), s.nameBegin, s.nameEnd - s.nameBegin});
    const size_t at = part->spans.size();
    part->spans.resize(at + size_t(columns.count), kMissing);
    ReadFields(d, bytes.size(), s.bodyBegin, columns, part->spans.data() + at);
    return true;
  });
}

// Where the store's bytes are cut in two for two threads: at the first header line from the
// middle on, so each section lies wholly in one part; the end when there is none.
qsizetype SplitPoint(const QByteArray& bytes) {
  qsizetype split = bytes.size();
  ForEachHeader(bytes.constData(), bytes.size(), bytes.size() / 2, bytes.size(),
                [&](const SectionPos& s) {
                  split = s.headerBegin;
                  return false;
                });
  return split;
}

// The first section of each name, by hash: open addressing. A slot holds what a lookup
// compares, so a lookup touches one slot and the name's bytes in the store.
class SectionIndex {
 public:
  SectionIndex(const char* d, const std::array<const std::vector<Header>*, 2>& parts) : d_(d) {
    size_t count = parts[0]->size() + parts[1]->size();
    size_t capacity = 16;
    while (capacity < count * 2)
      capacity *= 2;
    slots_.assign(capacity, Slot());
    // In file order, so of two sections of one name the first is kept.
    qint32 section = 0;
    for (const auto* part : parts) {
      for (const Header& header : *part) {
        Slot& slot =
            slots_[Probe(header.hash, QByteArrayView(d_ + header.nameBegin, header.nameSize))];
        if (slot.section < 0)
          slot = {header.hash, header.nameBegin, header.nameSize, section};
        ++section;
      }
    }
  }

  // The first section named `name`, or -1.
  qint32 Find(quint64 hash, QByteArrayView name) const { return slots_[Probe(hash, name)].section; }

  // Lookups go to places all over the table and the store: a lookup some rows ahead asks for
  // its slot first, and a few rows later for the name the slot points to.
  void PrefetchSlot(quint64 hash) const { __builtin_prefetch(&slots_[size_t(hash) & Mask()]); }
  void PrefetchName(quint64 hash) const {
    const Slot& slot = slots_[size_t(hash) & Mask()];
    if (slot.section >= 0)
      __builtin_prefetch(d_ + slot.nameBegin);
  }

 private:
  struct Slot {
    quint64 hash = 0;
    qsizetype nameBegin = 0;
    qsizetype nameSize = 0;
    qint32 section = -1;  // -1: empty
  };

  size_t Mask() const { return slots_.size() - 1; }
  // The slot of the section of that name, or the empty slot where it would go.
  size_t Probe(quint64 hash, QByteArrayView name) const {
    for (size_t i = size_t(hash) & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = slots_[i];
      if (slot.section < 0 ||
          (slot.hash == hash &&
           EqualIgnoringCase(QByteArrayView(d_ + slot.nameBegin, slot.nameSize), name)))
        return i;
    }
  }

  const char* d_;
  std::vector<Slot> slots_;
};

}  // namespace

RecordTable RecordTable::Read(const QByteArray& bytes, const QStringList& keys, FieldMask fields) {
  RecordTable table;
  table.bytes_ = bytes;
  table.keys_ = keys;
  table.rows_ = keys.size();
  FieldColumns columns;
  columns.column.fill(-1);
  for (int field = 0; field < kFieldCount; ++field) {
    if (fields & FieldBit(field))
      columns.column[size_t(field)] = qint8(columns.count++);
  }
  table.column_ = columns.column;
  table.columns_ = columns.count;
  table.rowSection_.assign(size_t(keys.size()), -1);
  if (keys.isEmpty())
    return table;

  // Two threads, each with half of the file: its headers and values found in one sequential
  // pass (the few sections no key asks for cost less than a second pass would).
  const qsizetype size = bytes.size();
  const bool parallel = size >= kParallelThreshold;
  const qsizetype split = parallel ? SplitPoint(bytes) : size;
  std::array<ScannedPart, 2> parts;
  InParallel(
      parallel, [&] { ScanPart(bytes, 0, split, columns, &parts[0]); },
      [&] { ScanPart(bytes, split, size, columns, &parts[1]); });
  table.firstPartSections_ = qint32(parts[0].headers.size());
  table.sections_ = qint32(parts[0].headers.size() + parts[1].headers.size());
  table.spans_[0] = std::move(parts[0].spans);
  table.spans_[1] = std::move(parts[1].spans);

  const SectionIndex index(bytes.constData(), {&parts[0].headers, &parts[1].headers});
  auto findRows = [&](qsizetype from, qsizetype to) {
    // The names asked for, spaces at both ends ignored, in Windows-1252, and their hashes.
    std::vector<char> arena;
    std::vector<qsizetype> begin(size_t(to - from) + 1);
    std::vector<quint64> hashes(size_t(to - from));
    for (qsizetype row = from; row < to; ++row)
      arena.resize(arena.size() + size_t(keys[row].size()));
    qsizetype used = 0;
    for (qsizetype row = from; row < to; ++row) {
      // The keys' texts lie all over the heap: a text some rows ahead is asked for early.
      if (row + 8 < to)
        __builtin_prefetch(keys[row + 8].constData());
      QStringView key = keys[row];
      while (key.startsWith(QLatin1Char(' ')))
        key = key.mid(1);
      while (key.endsWith(QLatin1Char(' ')))
        key.chop(1);
      ToCp1252(key, arena.data() + used);
      begin[size_t(row - from)] = used;
      hashes[size_t(row - from)] = NameHash(arena.data() + used, key.size());
      used += key.size();
    }
    begin[size_t(to - from)] = used;
    constexpr qsizetype kAhead = 8;
    const qsizetype count = to - from;
    for (qsizetype i = 0; i < count; ++i) {
      if (i + 2 * kAhead < count)
        index.PrefetchSlot(hashes[size_t(i + 2 * kAhead)]);
      if (i + kAhead < count)
        index.PrefetchName(hashes[size_t(i + kAhead)]);
      const QByteArrayView name(arena.data() + begin[size_t(i)],
                                begin[size_t(i) + 1] - begin[size_t(i)]);
      table.rowSection_[size_t(from + i)] = index.Find(hashes[size_t(i)], name);
    }
  };
  const qsizetype half = keys.size() / 2;
  InParallel(
      parallel, [&] { findRows(0, half); }, [&] { findRows(half, keys.size()); });
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
  if (const quint64* spans = SpansOf(row))
    __builtin_prefetch(spans);
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
