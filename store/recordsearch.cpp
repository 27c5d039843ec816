#include "store/recordsearch.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "store/cp1252.h"
#include "store/inparallel.h"
#include "store/recordtable.h"
#include "store/searchfold.h"
#include "store/sharedaccess.h"

namespace store {
namespace {

// The fields whose digits a word of digits is also compared with.
constexpr int kNumberFields[] = {kTelefon1, kTelefon2, kFax, kHandy, kKurzwahl, kIRuf};

// Where needle first occurs in [from, to), or nullptr.
const char* FindBytes(const char* from, const char* to, QByteArrayView needle) {
  if (needle.isEmpty())
    return from;
  if (to - from < needle.size())
    return nullptr;
#ifdef __GLIBC__
  return static_cast<const char*>(memmem(from, size_t(to - from), needle.data(), needle.size()));
#else
  const char* hit = std::search(from, to, needle.begin(), needle.end());
  return hit == to ? nullptr : hit;
#endif
}

bool Holds(QByteArrayView text, QByteArrayView needle) {
  return FindBytes(text.data(), text.data() + text.size(), needle) != nullptr;
}

}  // namespace

QByteArrayView RecordSearch::Packed::Of(qint32 slot) const {
  const qint64 begin = slot == 0 ? 0 : ends[slot - 1];
  return QByteArrayView(bytes.constData() + begin, ends[slot] - begin);
}

void RecordSearch::Packed::Append(const Packed& other) {
  const qint64 shift = bytes.size();
  bytes.append(other.bytes);
  ends.reserve(ends.size() + other.ends.size());
  for (qint64 end : other.ends)
    ends.push_back(end + shift);
}

RecordSearch::Forms RecordSearch::Pack(const RecordTable& table, const QStringList& keys,
                                       qsizetype from, qsizetype to) {
  Forms forms;
  // About 60 bytes of values per record in each text form; grown as needed.
  forms.spelledOut.bytes.reserve((to - from) * 64);
  forms.contracted.bytes.reserve((to - from) * 64);
  for (Packed* packed : {&forms.spelledOut, &forms.contracted, &forms.digits})
    packed->ends.reserve(to - from);
  RecordTable::RowValues values;
  QByteArray key;
  for (qsizetype row = from; row < to; ++row) {
    table.RawRow(row, &values);
    // The key is searched too: a listed record without a section is still found by name.
    key = ToCp1252(keys[row]);
    AppendSpelledOut(key, &forms.spelledOut.bytes);
    forms.spelledOut.bytes.append('\n');
    AppendContracted(key, &forms.contracted.bytes);
    forms.contracted.bytes.append('\n');
    for (const auto& value : values) {
      if (!value || value->isEmpty())
        continue;
      AppendSpelledOut(*value, &forms.spelledOut.bytes);
      forms.spelledOut.bytes.append('\n');
      AppendContracted(*value, &forms.contracted.bytes);
      forms.contracted.bytes.append('\n');
    }
    for (int field : kNumberFields) {
      if (!values[field] || values[field]->isEmpty())
        continue;
      AppendPhoneDigits(*values[field], &forms.digits.bytes);
      forms.digits.bytes.append('\n');
    }
    for (Packed* packed : {&forms.spelledOut, &forms.contracted, &forms.digits})
      packed->ends.push_back(packed->bytes.size());
  }
  return forms;
}

RecordSearch::RecordSearch(const RecordStore& records, const QStringList& keys)
    : prepared_(keys), keys_(keys) {
  const RecordTable table = records.ReadRecords(keys, AllFields());
  // The two halves of a large list are packed on two cores, then joined.
  const qsizetype half = keys.size() / 2;
  Forms second;
  InParallel(
      records.Bytes().size() >= kParallelThreshold, [&] { forms_ = Pack(table, keys, 0, half); },
      [&] { second = Pack(table, keys, half, keys.size()); });
  forms_.spelledOut.Append(second.spelledOut);
  forms_.contracted.Append(second.contracted);
  forms_.digits.Append(second.digits);
  for (Packed* packed : {&forms_.spelledOut, &forms_.contracted, &forms_.digits})
    packed->bytes.squeeze();
  rowOf_.resize(keys.size());
  for (qint32 slot = 0; slot < qint32(rowOf_.size()); ++slot)
    rowOf_[slot] = slot;
}

bool RecordSearch::FollowKeys(const QStringList& keys) {
  if (keys.constData() == keys_.constData() && keys.size() == keys_.size())
    return true;
  // Both lists are in list order, so the new one is walked once beside the prepared one.
  std::vector<qint32> rowOf(prepared_.size(), -1);
  qint32 slot = 0;
  for (qint32 row = 0; row < qint32(keys.size()); ++row) {
    while (slot < qint32(prepared_.size()) && prepared_[slot] != keys[row])
      ++slot;
    if (slot == qint32(prepared_.size()))
      return false;
    rowOf[slot++] = row;
  }
  rowOf_ = std::move(rowOf);
  keys_ = keys;
  return true;
}

RecordSearch::Hits RecordSearch::Find(QStringView typed) const {
  Hits hits;
  const auto words = SearchWords(typed);
  if (!words)
    return hits;
  const qint32 slots = qint32(prepared_.size());
  std::vector<quint8> candidate(slots, words->empty() ? 1 : 0);
  if (!words->empty()) {
    // The longest word rules out the most records: only it is looked for in all the packed
    // bytes; the records it occurs in are then tested for the other words one by one.
    const auto driver = std::max_element(
        words->begin(), words->end(),
        [](const auto& a, const auto& b) { return a.spelledOut.size() < b.spelledOut.size(); });
    auto mark = [&](const Packed& packed, QByteArrayView needle) {
      if (needle.isEmpty())
        return;
      const char* const base = packed.bytes.constData();
      const char* const end = base + packed.bytes.size();
      const char* at = base;
      qint32 slot = 0;
      while (const char* hit = FindBytes(at, end, needle)) {
        while (packed.ends[slot] <= hit - base)
          ++slot;
        candidate[slot] = 1;
        at = base + packed.ends[slot];  // one hit per record is enough
      }
    };
    mark(forms_.spelledOut, driver->spelledOut);
    mark(forms_.contracted, driver->contracted);
    if (!driver->digits.isEmpty())
      mark(forms_.digits, driver->digits);
  }
  auto holds = [&](qint32 slot, const SearchWord& word) {
    return Holds(forms_.spelledOut.Of(slot), word.spelledOut) ||
           Holds(forms_.contracted.Of(slot), word.contracted) ||
           (!word.digits.isEmpty() && Holds(forms_.digits.Of(slot), word.digits));
  };
  for (qint32 slot = 0; slot < slots; ++slot) {
    if (!candidate[slot] || rowOf_[slot] < 0)
      continue;
    const bool all = std::all_of(words->begin(), words->end(),
                                 [&](const SearchWord& word) { return holds(slot, word); });
    if (all) {
      hits.rows.push_back(rowOf_[slot]);
      hits.keys.append(keys_[rowOf_[slot]]);
    }
  }
  return hits;
}

qsizetype RecordSearch::MemoryBytes() const {
  qsizetype bytes = 0;
  for (const Packed* packed : {&forms_.spelledOut, &forms_.contracted, &forms_.digits})
    bytes += packed->bytes.capacity() + qsizetype(packed->ends.capacity() * sizeof(qint64));
  bytes += qsizetype(rowOf_.capacity() * sizeof(qint32));
  // The key lists share their texts with the name view; only their arrays are the search's.
  bytes += (prepared_.size() + keys_.size()) * qsizetype(sizeof(QString));
  return bytes;
}

bool SearchCache::Stamp::operator==(const Stamp& other) const {
  return exists == other.exists && size == other.size && modified == other.modified &&
         changed == other.changed;
}

SearchCache::SearchCache(QString dataDir) : dataDir_(std::move(dataDir)) {}

SearchCache::Stamp SearchCache::StoreStamp() const {
  const QFileInfo info(QDir(dataDir_).filePath(QStringLiteral("adresse.qdx")));
  Stamp stamp;
  stamp.exists = info.exists();
  if (stamp.exists) {
    stamp.size = info.size();
    stamp.modified = info.lastModified();
    stamp.changed = info.metadataChangeTime();
  }
  return stamp;
}

RecordSearch::Hits SearchCache::Find(const QStringList& keys, QStringView typed,
                                     MessageSink& sink) {
  // The stamp is taken before the store is read: a store replaced in between is then read
  // once more at the next key, never kept as if it were the old one.
  const Stamp stamp = StoreStamp();
  if (!prepared_ || !(stamp == stamp_) || !search_.FollowKeys(keys)) {
    search_ = RecordSearch(OpenRecordStore(dataDir_, sink), keys);
    stamp_ = stamp;
    prepared_ = true;
  }
  return search_.Find(typed);
}

}  // namespace store
