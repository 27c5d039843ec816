#include "store/recordstore.h"

#include <QHash>
#include <atomic>
#include <mutex>

#include "store/cp1252.h"
#include "store/profilescan.h"

namespace store {

using namespace profile;

struct RecordStore::Impl {
  QByteArray bytes;
  profile::Text text;  // the bytes after a byte-order mark
  // What bulk reads scan: the bytes, or for a UTF-8 file its text in Windows-1252, so that
  // the values handed out are always Windows-1252, as the export and the reports write them.
  QByteArray bulkBytes;

  // Folded section name -> start of the first section of that name's lines.
  mutable QHash<QByteArray, qsizetype> index;
  mutable std::once_flag indexBuilt;
  mutable std::atomic<int> lookups{0};

  // Start of the lines of the first section named `name`, or -1.
  qsizetype FindBody(const QString& key) const {
    const QByteArray name = EncodeName(key, text.utf8);
    // A single lookup (showing one record) scans for the header directly; from the second on,
    // the headers are indexed once and every further lookup is a hash lookup.
    if (lookups.fetch_add(1, std::memory_order_relaxed) == 0) {
      const SectionPos s = FindSection(text.data, text.size, name);
      return s.headerBegin < 0 ? -1 : s.bodyBegin;
    }
    std::call_once(indexBuilt, [this] {
      ForEachHeader(text.data, text.size, 0, text.size, [this](const SectionPos& s) {
        // Only the first section of a name is ever read.
        const QByteArray folded =
            FoldCase(QByteArrayView(text.data + s.nameBegin, s.nameEnd - s.nameBegin));
        if (!index.contains(folded))
          index.insert(folded, s.bodyBegin);
        return true;
      });
    });
    return index.value(FoldCase(name), -1);
  }
};

RecordStore::RecordStore() : RecordStore(QByteArray()) {}

RecordStore::RecordStore(QByteArray bytes) {
  auto impl = std::make_shared<Impl>();
  impl->bytes = std::move(bytes);
  impl->text = TextOf(impl->bytes);
  impl->bulkBytes =
      impl->text.utf8
          ? ToCp1252(QString::fromUtf8(QByteArrayView(impl->text.data, impl->text.size)))
          : impl->bytes;
  impl_ = std::move(impl);
}

const QByteArray& RecordStore::Bytes() const {
  return impl_->bytes;
}

bool RecordStore::IsUtf8() const {
  return impl_->text.utf8;
}

bool RecordStore::HasSection(const QString& key) const {
  return impl_->FindBody(key) >= 0;
}

QString RecordStore::Value(const QString& key, QStringView storeKey,
                           const QString& defaultValue) const {
  const Text& text = impl_->text;
  const qsizetype body = impl_->FindBody(key);
  QByteArrayView raw;
  if (body < 0 || !FindKey(text.data, text.size, body, EncodeName(storeKey, text.utf8), &raw))
    return defaultValue;
  return Decode(CleanValue(raw.data(), 0, raw.size()), text.utf8);
}

RecordValues RecordStore::Record(const QString& key, bool* hasSection) const {
  RecordValues values;
  const auto raw = RawRecord(key, hasSection);
  for (int field = 0; field < kFieldCount; ++field)
    values[field] = raw[field] ? Decode(*raw[field], impl_->text.utf8) : MissingValue();
  return values;
}

std::array<std::optional<QByteArrayView>, kFieldCount> RecordStore::RawRecord(
    const QString& key, bool* hasSection) const {
  std::array<std::optional<QByteArrayView>, kFieldCount> values;
  const qsizetype body = impl_->FindBody(key);
  if (hasSection)
    *hasSection = body >= 0;
  if (body < 0)
    return values;
  const Text& text = impl_->text;
  std::array<quint64, kFieldCount> spans;
  spans.fill(kMissing);
  ReadFields(text.data, text.size, body, FieldColumns::All(), spans.data());
  for (int field = 0; field < kFieldCount; ++field) {
    if (spans[field] != kMissing)
      values[field] = SpanView(text.data, spans[field]);
  }
  return values;
}

RecordTable RecordStore::ReadRecords(const QStringList& keys, FieldMask fields) const {
  return RecordTable::Read(impl_->bulkBytes, keys, fields);
}

SectionScan RecordStore::ScanSections(FieldMask fields, const SectionScan::Visit& visit) const {
  return SectionScan(impl_->bulkBytes, FieldColumns::Of(fields), visit);
}

}  // namespace store
