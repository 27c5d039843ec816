#include "store/sectionscan.h"

#include <new>

#include "store/cp1252.h"
#include "store/inparallel.h"

namespace store {
namespace {

using namespace profile;

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
// compares, so a lookup touches one slot and the name's bytes.
class SectionIndex {
 public:
  // names: the names of both parts, the second's after the first's.
  SectionIndex(std::array<const std::vector<char>*, 2> names, qsizetype count) : names_(names) {
    size_t capacity = 16;
    while (capacity < size_t(count) * 2)
      capacity *= 2;
    slots_.assign(capacity, Slot());
  }

  // Sections are added in file order, so of two sections of one name the first is kept.
  void Add(quint64 hash, quint32 nameBegin, quint32 nameSize, qint32 section) {
    Slot& slot = slots_[Probe(hash, NameAt(nameBegin, nameSize))];
    if (slot.section < 0)
      slot = {Tag(hash), section, nameBegin, nameSize};
  }

  // The first section named `name`, or -1.
  qint32 Find(quint64 hash, QByteArrayView name) const { return slots_[Probe(hash, name)].section; }

  // Lookups go to places all over the table and the names: a lookup some rows ahead asks for
  // its slot first, and a few rows later for the name the slot points to.
  void PrefetchSlot(quint64 hash) const { __builtin_prefetch(&slots_[size_t(hash) & Mask()]); }
  void PrefetchName(quint64 hash) const {
    const Slot& slot = slots_[size_t(hash) & Mask()];
    if (slot.section >= 0)
      __builtin_prefetch(NameAt(slot.nameBegin, slot.nameSize).data());
  }

 private:
  struct Slot {
    quint32 tag = 0;      // the hash's high half; its low bits place the slot
    qint32 section = -1;  // -1: empty
    quint32 nameBegin = 0;
    quint32 nameSize = 0;
  };

  static quint32 Tag(quint64 hash) { return quint32(hash >> 32); }
  QByteArrayView NameAt(quint32 begin, quint32 size) const {
    const std::vector<char>& first = *names_[0];
    if (begin >= first.size())
      return QByteArrayView(names_[1]->data() + (begin - first.size()), size);
    return QByteArrayView(first.data() + begin, size);
  }
  size_t Mask() const { return slots_.size() - 1; }
  // The slot of the section of that name, or the empty slot where it would go.
  size_t Probe(quint64 hash, QByteArrayView name) const {
    for (size_t i = size_t(hash) & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = slots_[i];
      if (slot.section < 0 ||
          (slot.tag == Tag(hash) && EqualIgnoringCase(NameAt(slot.nameBegin, slot.nameSize), name)))
        return i;
    }
  }

  std::array<const std::vector<char>*, 2> names_;
  std::vector<Slot> slots_;
};

}  // namespace

SectionScan::SectionScan(const QByteArray& bytes, const FieldColumns& columns, const Visit& visit)
    : bytes_(bytes) {
  // Two threads, each with half of the file: its headers and values found in one sequential
  // pass.
  const qsizetype size = bytes.size();
  parallel_ = size >= kParallelThreshold;
  const qsizetype split = parallel_ ? SplitPoint(bytes) : size;
  auto scanPart = [&](int part, qsizetype begin, qsizetype end) {
    const char* d = bytes.constData();
    // Filled here and handed over at the end: the two parts' vectors side by side would share
    // a cache line that both cores write for every section.
    std::vector<Header> headers;
    std::vector<char> names;
    names.reserve(size_t(end - begin) / 16);
    std::array<quint64, kFieldCount> spans;
    ForEachHeader(d, size, begin, end, [&](const SectionPos& s) {
      const QByteArrayView name(d + s.nameBegin, s.nameEnd - s.nameBegin);
      headers.push_back(
          {NameHash(name.data(), name.size()), quint32(names.size()), quint32(name.size())});
      names.insert(names.end(), name.begin(), name.end());
      spans.fill(kMissing);
      ReadFields(d, size, s.bodyBegin, columns, spans.data());
      visit(Section{part, name, d, d + size, spans.data()});
      return true;
    });
    headers_[size_t(part)] = std::move(headers);
    names_[size_t(part)] = std::move(names);
  };
  InParallel(
      parallel_, [&] { scanPart(0, 0, split); }, [&] { scanPart(1, split, size); });
}

std::vector<qint32> SectionScan::SectionsOf(const QStringList& keys) const {
  std::vector<qint32> sections(size_t(keys.size()), -1);
  if (keys.isEmpty())
    return sections;
  // Places among the names are kept in 32 bits: names of more bytes than that are more than
  // memory holds beside their store anyway.
  if (names_[0].size() + names_[1].size() > 0xFFFFFFFFu)
    throw std::bad_alloc();
  SectionIndex index({&names_[0], &names_[1]}, Sections());
  qint32 section = 0;
  for (size_t part = 0; part < 2; ++part) {
    const auto partBegin = quint32(part == 0 ? 0 : names_[0].size());
    for (const Header& header : headers_[part])
      index.Add(header.hash, partBegin + header.nameBegin, header.nameSize, section++);
  }
  auto findRows = [&](qsizetype from, qsizetype to) {
    // The names asked for as the service reads them (TrimmedName, as EncodeName does), in
    // Windows-1252, and their hashes.
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
      const QStringView key = profile::TrimmedName(keys[row]);
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
      sections[size_t(from + i)] = index.Find(hashes[size_t(i)], name);
    }
  };
  const qsizetype half = keys.size() / 2;
  InParallel(
      parallel_, [&] { findRows(0, half); }, [&] { findRows(half, keys.size()); });
  return sections;
}

}  // namespace store
