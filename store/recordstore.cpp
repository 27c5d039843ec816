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

  struct Slot {
    qsizetype nameBegin = -1;  // -1: empty slot
    qsizetype bodyBegin = 0;
    int nameLength = 0;
    quint32 hash = 0;
  };
  // Open-addressing table of the section headers: folded name -> first section of that name.
  mutable std::vector<Slot> index;
  mutable std::once_flag indexBuilt;
  mutable std::atomic<int> lookups{0};

  void BuildIndex() const {
    std::vector<Slot> headers;
    const char* d = bytes.constData();
    ForEachHeader(d, bytes.size(), 0, [&](const SectionPos& s) {
      const int length = static_cast<int>(s.nameEnd - s.nameBegin);
      headers.push_back({s.nameBegin, s.bodyBegin, length, FoldHash(d + s.nameBegin, length)});
      return true;
    });
    size_t capacity = 16;
    while (capacity < headers.size() * 2)
      capacity *= 2;
    index.assign(capacity, Slot());
    const size_t mask = capacity - 1;
    for (const Slot& h : headers) {
      size_t i = h.hash & mask;
      bool duplicate = false;
      while (index[i].nameBegin >= 0) {
        const Slot& o = index[i];
        if (o.hash == h.hash && o.nameLength == h.nameLength &&
            EqualIgnoringCase(QByteArrayView(d + o.nameBegin, o.nameLength),
                              QByteArrayView(d + h.nameBegin, h.nameLength))) {
          duplicate = true;  // only the first section of a name is ever searched
          break;
        }
        i = (i + 1) & mask;
      }
      if (!duplicate)
        index[i] = h;
    }
  }

  // Start of the body of the first section named `name`, or -1.
  qsizetype FindBody(QByteArrayView name) const {
    // A single lookup (showing one record) scans for the header directly; from the second on,
    // the whole file's headers are indexed once and every further lookup is a hash probe.
    if (lookups.fetch_add(1, std::memory_order_relaxed) == 0) {
      const SectionPos s = FindSection(bytes, name);
      return s.headerBegin < 0 ? -1 : s.bodyBegin;
    }
    std::call_once(indexBuilt, [this] { BuildIndex(); });
    const char* d = bytes.constData();
    const quint32 hash = FoldHash(name.data(), name.size());
    const size_t mask = index.size() - 1;
    for (size_t i = hash & mask; index[i].nameBegin >= 0; i = (i + 1) & mask) {
      const Slot& s = index[i];
      if (s.hash == hash && s.nameLength == name.size() &&
          EqualIgnoringCase(QByteArrayView(d + s.nameBegin, s.nameLength), name)) {
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
  return impl_->FindBody(CallerName(key)) >= 0;
}

QString RecordStore::Value(const QString& key, QStringView storeKey,
                           const QString& defaultValue) const {
  const qsizetype body = impl_->FindBody(CallerName(key));
  if (body < 0)
    return defaultValue;
  QByteArrayView raw;
  if (!FindKey(impl_->bytes, body, CallerName(storeKey), &raw))
    return defaultValue;
  return FromCp1252(CleanValue(raw.data(), 0, raw.size()));
}

RecordValues RecordStore::Record(const QString& key) const {
  RecordValues values;
  values.fill(MissingValue());
  const qsizetype body = impl_->FindBody(CallerName(key));
  if (body < 0)
    return values;

  // One pass over the section's lines; of two lines with the same key the first wins.
  const auto& keys = StoreKeys();
  bool found[kFieldCount] = {};
  int remaining = kFieldCount;
  const QByteArray& bytes = impl_->bytes;
  const char* d = bytes.constData();
  LineScanner lines(d, bytes.size(), body);
  qsizetype b, e, kb, ke, vb, nb, ne;
  while (remaining > 0 && lines.Next(&b, &e)) {
    if (ParseHeader(d, b, e, &nb, &ne))
      break;
    if (!ParseKeyLine(d, b, e, &kb, &ke, &vb))
      continue;
    const QByteArrayView lineKey(d + kb, ke - kb);
    for (int i = 0; i < kFieldCount; ++i) {
      if (!found[i] && EqualIgnoringCase(lineKey, keys[i])) {
        found[i] = true;
        --remaining;
        values[i] = FromCp1252(CleanValue(d, vb, e));
        break;
      }
    }
  }
  return values;
}

}  // namespace store
