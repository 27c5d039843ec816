#include "store/recordstore.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "store/cp1252.h"
#include "store/profilescan.h"

namespace store {
namespace {

using namespace profile;

quint32 FoldHash(const char* d, qsizetype size) {
  const unsigned char* fold = CaseFoldTable();
  quint32 h = 2166136261u;
  for (qsizetype i = 0; i < size; ++i) {
    h ^= fold[static_cast<unsigned char>(d[i])];
    h *= 16777619u;
  }
  return h;
}

// The store keys of the fifteen fields, in editor order.
const std::array<QByteArray, kFieldCount>& StoreKeys() {
  static const std::array<QByteArray, kFieldCount> keys = [] {
    std::array<QByteArray, kFieldCount> k;
    for (int i = 0; i < kFieldCount; ++i)
      k[i] = QByteArray(Fields()[i].storeKey);
    return k;
  }();
  return keys;
}

}  // namespace

struct RecordStore::Impl {
  QByteArray bytes;

  // Open-addressing table of the section headers: folded name -> first section of that name.
  // A slot holds the name's hash and the offset of the header's "[" plus one (0: empty), so
  // the table stays small (8 bytes a slot) and the lookup touches the file only where the
  // section is read anyway.
  mutable std::vector<quint64> index;
  mutable std::once_flag indexBuilt;
  mutable std::atomic<int> lookups{0};

  static quint64 Slot(quint32 hash, qsizetype open) {
    return (quint64(hash) << 32) | quint64(open + 1);
  }
  static qsizetype OpenOf(quint64 slot) { return qsizetype(slot & 0xFFFFFFFFu) - 1; }

  // The header whose "[" is at open: its name and where its body starts.
  SectionPos HeaderAt(qsizetype open) const {
    const char* d = bytes.constData();
    LineScanner line(d, bytes.size(), open);
    qsizetype b = open;
    qsizetype e = open;
    line.Next(&b, &e);
    SectionPos s;
    ParseHeader(d, open, e, &s.nameBegin, &s.nameEnd);
    s.headerBegin = open;
    s.open = open;
    s.bodyBegin = line.Pos();
    return s;
  }

  // Puts the header at open into the table unless a section of the same name is there.
  bool Insert(quint64 slot) const {
    const char* d = bytes.constData();
    const quint32 hash = quint32(slot >> 32);
    const size_t mask = index.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      if (index[i] == 0) {
        index[i] = slot;
        return true;
      }
      if (quint32(index[i] >> 32) != hash)
        continue;
      const SectionPos mine = HeaderAt(OpenOf(slot));
      const SectionPos other = HeaderAt(OpenOf(index[i]));
      if (EqualIgnoringCase(QByteArrayView(d + other.nameBegin, other.nameEnd - other.nameBegin),
                            QByteArrayView(d + mine.nameBegin, mine.nameEnd - mine.nameBegin))) {
        return false;  // only the first section of a name is ever searched
      }
    }
  }

  void BuildIndex() const {
    const char* d = bytes.constData();
    // Pass 1, sequential: hash and place of every header, in file order.
    std::vector<quint64> headers;
    headers.reserve(size_t(bytes.size() / 256) + 16);
    ForEachHeader(d, bytes.size(), 0, [&](const SectionPos& s) {
      headers.push_back(Slot(FoldHash(d + s.nameBegin, s.nameEnd - s.nameBegin), s.open));
      return true;
    });
    size_t capacity = 256;
    int bits = 8;
    while (capacity < headers.size() * 2) {
      capacity *= 2;
      ++bits;
    }
    index.assign(capacity, 0);
    // Pass 2: the headers grouped by the table region of their home slot (a stable counting
    // sort), so the inserts sweep the table once instead of missing the cache at every one.
    // File order stays within a group, so of two sections of one name the first is kept.
    const size_t mask = capacity - 1;
    const int shift = bits - 8;
    std::array<quint32, 257> starts{};
    for (quint64 slot : headers)
      ++starts[((quint32(slot >> 32) & mask) >> shift) + 1];
    for (size_t g = 1; g < starts.size(); ++g)
      starts[g] += starts[g - 1];
    std::vector<quint64> grouped(headers.size());
    for (quint64 slot : headers)
      grouped[starts[(quint32(slot >> 32) & mask) >> shift]++] = slot;
    for (quint64 slot : grouped)
      Insert(slot);
  }

  // Start of the body of the first section named `name`, or -1.
  qsizetype FindBody(QByteArrayView name) const {
    // A single lookup (showing one record) scans for the header directly; from the second on,
    // the whole file's headers are indexed once and every further lookup is a hash probe.
    // Offsets in the table are 32 bits: a store of 4 GB or more is always scanned.
    if (lookups.fetch_add(1, std::memory_order_relaxed) == 0 || bytes.size() >= 0xFFFFFFFFLL) {
      const SectionPos s = FindSection(bytes, name);
      return s.headerBegin < 0 ? -1 : s.bodyBegin;
    }
    std::call_once(indexBuilt, [this] { BuildIndex(); });
    const char* d = bytes.constData();
    const quint32 hash = FoldHash(name.data(), name.size());
    const size_t mask = index.size() - 1;
    for (size_t i = hash & mask; index[i] != 0; i = (i + 1) & mask) {
      if (quint32(index[i] >> 32) != hash)
        continue;
      const SectionPos s = HeaderAt(OpenOf(index[i]));
      if (EqualIgnoringCase(QByteArrayView(d + s.nameBegin, s.nameEnd - s.nameBegin), name)) {
        return s.bodyBegin;
      }
    }
    return -1;
  }
};

RecordStore::RecordStore() : RecordStore(QByteArray()) {}

RecordStore::RecordStore(QByteArray bytes) {
  auto impl = std::make_shared<Impl>();
  impl->bytes = std::move(bytes);
  impl_ = std::move(impl);
}

const QByteArray& RecordStore::Bytes() const {
  return impl_->bytes;
}

bool RecordStore::HasSection(const QString& key) const {
  return impl_->FindBody(CallerNameBuffer(key).View()) >= 0;
}

QString RecordStore::Value(const QString& key, QStringView storeKey,
                           const QString& defaultValue) const {
  const qsizetype body = impl_->FindBody(CallerNameBuffer(key).View());
  if (body < 0)
    return defaultValue;
  QByteArrayView raw;
  if (!FindKey(impl_->bytes, body, CallerName(storeKey), &raw))
    return defaultValue;
  return FromCp1252(CleanValue(raw.data(), 0, raw.size()));
}

RecordValues RecordStore::Record(const QString& key) const {
  RecordValues values;
  const auto raw = RawRecord(key);
  for (int field = 0; field < kFieldCount; ++field)
    values[field] = raw[field] ? FromCp1252(*raw[field]) : MissingValue();
  return values;
}

std::array<std::optional<QByteArrayView>, kFieldCount> RecordStore::RawRecord(
    const QString& key) const {
  std::array<std::optional<QByteArrayView>, kFieldCount> values;
  const qsizetype body = impl_->FindBody(CallerNameBuffer(key).View());
  if (body < 0)
    return values;

  // One pass over the section's lines; of two lines with the same key the first wins. The
  // keys normally stand in store order, so the next one in that order is tried first.
  const auto& keys = StoreKeys();
  const auto& order = StoreOrder();
  int remaining = kFieldCount;
  int next = 0;
  const QByteArray& bytes = impl_->bytes;
  const char* d = bytes.constData();
  const qsizetype size = bytes.size();
  // Each line is read once: blanks, a possible header, the key up to "=", the value up to the
  // line end (the same rules as ParseHeader and ParseKeyLine, in one pass).
  qsizetype p = body;
  while (remaining > 0 && p < size) {
    qsizetype q = p;
    while (q < size && IsBlank(d[q]))
      ++q;
    qsizetype k = q;
    while (k < size && d[k] != '=' && d[k] != '\n' && d[k] != '\r')
      ++k;
    qsizetype e = k;
    while (e < size && d[e] != '\n' && d[e] != '\r')
      ++e;
    p = e < size ? e + ((d[e] == '\r' && e + 1 < size && d[e + 1] == '\n') ? 2 : 1) : size;
    qsizetype nb, ne;
    if (q < size && d[q] == '[' && ParseHeader(d, q, e, &nb, &ne))
      break;
    if (k == e || d[q] == ';')
      continue;  // no "=": no key; ";" first: a comment
    qsizetype ke = k;
    while (ke > q && IsBlank(d[ke - 1]))
      --ke;
    const QByteArrayView lineKey(d + q, ke - q);
    int field = -1;
    if (next < kFieldCount && EqualIgnoringCase(lineKey, keys[order[next]])) {
      field = order[next++];
    } else {
      for (int i = 0; i < kFieldCount; ++i) {
        if (EqualIgnoringCase(lineKey, keys[i])) {
          field = i;
          break;
        }
      }
    }
    if (field < 0 || values[field])
      continue;
    --remaining;
    values[field] = CleanValue(d, k + 1, e);
  }
  return values;
}

RecordTable RecordStore::ReadRecords(const QStringList& keys, FieldMask fields) const {
  return RecordTable::Read(impl_->bytes, keys, fields);
}

}  // namespace store
