#include "store/recordsearch.h"

#include <QDir>
#include <QFileInfo>
#include <QVarLengthArray>
#include <algorithm>
#include <cstring>

#include "store/cp1252.h"
#include "store/inparallel.h"
#include "store/recordtable.h"
#include "store/searchfold.h"
#include "store/sharedaccess.h"

namespace store {
namespace {

// Ends every field in the packed forms. DEL: no value holds it, no word typed holds it, and it
// folds to itself as part of plain ASCII text, so whole records fold eight bytes at a time.
constexpr char kSeparator = '\x7F';

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

QByteArrayView RecordSearch::Packed::Of(qint32 i) const {
  const qint64 begin = i == 0 ? 0 : ends[i - 1];
  return QByteArrayView(bytes.constData() + begin, ends[i] - begin);
}

namespace {

// A buffer filled front to back through a pointer; grown by doubling, cut to size at the end.
class Filling {
 public:
  explicit Filling(qsizetype expected) { bytes_.resize(qMax<qsizetype>(expected, 4096)); }
  // Room for n more bytes after what is written so far.
  char* Room(qsizetype n) {
    if (bytes_.size() - used_ < n)
      bytes_.resize(qMax(2 * bytes_.size(), used_ + n));
    return bytes_.data() + used_;
  }
  void WrittenTo(const char* end) { used_ = end - bytes_.constData(); }
  qsizetype Used() const { return used_; }
  QByteArray Take() {
    bytes_.truncate(used_);
    bytes_.squeeze();
    return std::move(bytes_);
  }

 private:
  QByteArray bytes_;
  qsizetype used_ = 0;
};

}  // namespace

RecordSearch::Part RecordSearch::Pack(const RecordTable& table, const QStringList& keys,
                                      qsizetype from, qsizetype to, qsizetype expectedBytes) {
  Part part;
  part.firstSlot = qint32(from);
  part.records = qint32(to - from);
  Filling spelledOut(expectedBytes), contracted(expectedBytes), digits(expectedBytes / 8);
  for (Packed* packed : {&part.spelledOut, &part.contracted, &part.digits})
    packed->ends.reserve(to - from);
  // A record's key and values joined, each followed by the separator, and then folded in one
  // go: values are short, and whole records fold eight bytes at a time. The rows are walked
  // with the table's look-ahead: their values lie all over the store.
  QVarLengthArray<char, 1024> joined;
  for (RecordRows rows(table, from, to); rows.Next();) {
    const qsizetype row = rows.Row();
    // The key is searched too: a listed record without a section is still found by name.
    const QString& key = keys[row];
    joined.resize(key.size());
    ToCp1252(key, joined.data());
    joined.append(kSeparator);
    for (int field = 0; field < kFieldCount; ++field) {
      const std::optional<QByteArrayView>& value = rows.Raw(field);
      if (value && !value->isEmpty()) {
        joined.append(value->data(), value->size());
        joined.append(kSeparator);
      }
    }
    qsizetype digitsSize = 0;
    for (int field : kNumberFields)
      digitsSize += rows.Raw(field) ? rows.Raw(field)->size() + 1 : 0;
    const QByteArrayView record(joined.data(), joined.size());
    char* s = WriteSpelledOut(record, spelledOut.Room(2 * record.size()));
    char* c = WriteContracted(record, contracted.Room(2 * record.size()));
    char* d = digits.Room(digitsSize);
    for (int field : kNumberFields) {
      const std::optional<QByteArrayView>& value = rows.Raw(field);
      if (!value || value->isEmpty())
        continue;
      d = WritePhoneDigits(*value, d);
      *d++ = kSeparator;
    }
    spelledOut.WrittenTo(s);
    contracted.WrittenTo(c);
    digits.WrittenTo(d);
    part.spelledOut.ends.push_back(spelledOut.Used());
    part.contracted.ends.push_back(contracted.Used());
    part.digits.ends.push_back(digits.Used());
  }
  part.spelledOut.bytes = spelledOut.Take();
  part.contracted.bytes = contracted.Take();
  part.digits.bytes = digits.Take();
  return part;
}

RecordSearch::RecordSearch(const RecordStore& records, const QStringList& keys)
    : prepared_(keys), keys_(keys), utf8Store_(records.IsUtf8()) {
  const RecordTable table = records.ReadRecords(keys, AllFields());
  // The values are about two thirds of the store; each half of the list packs half of them.
  const qsizetype expected = records.Bytes().size() / 3;
  const qsizetype half = keys.size() / 2;
  parts_.resize(2);
  InParallel(
      records.Bytes().size() >= kParallelThreshold,
      [&] { parts_[0] = Pack(table, keys, 0, half, expected); },
      [&] { parts_[1] = Pack(table, keys, half, keys.size(), expected); });
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

void RecordSearch::Mark(const Part& part, const Packed& packed, QByteArrayView needle,
                        bool unmarkedOnly, std::vector<quint8>& candidate) {
  if (needle.isEmpty())
    return;
  const char* const base = packed.bytes.constData();
  quint8* const mark = candidate.data() + part.firstSlot;
  qint32 i = 0;
  while (i < part.records) {
    // The next run of records to look at, searched as one piece of bytes.
    if (unmarkedOnly && mark[i]) {
      ++i;
      continue;
    }
    qint32 last = i;
    while (unmarkedOnly && last + 1 < part.records && !mark[last + 1])
      ++last;
    if (!unmarkedOnly)
      last = part.records - 1;
    const char* at = base + (i == 0 ? 0 : packed.ends[i - 1]);
    const char* const end = base + packed.ends[last];
    while (const char* hit = FindBytes(at, end, needle)) {
      while (packed.ends[i] <= hit - base)
        ++i;
      mark[i] = 1;
      at = base + packed.ends[i];  // one hit per record is enough
    }
    i = last + 1;
  }
}

void RecordSearch::FindInPart(const Part& part, const std::vector<SearchWord>& words,
                              std::vector<quint8>& candidate) const {
  // The longest word rules out the most records: only it is looked for in all the packed
  // bytes; the records it occurs in are then tested for the other words one by one. A record
  // found spelled out is not looked at again in the other forms.
  const auto driver = std::max_element(
      words.begin(), words.end(),
      [](const auto& a, const auto& b) { return a.spelledOut.size() < b.spelledOut.size(); });
  Mark(part, part.spelledOut, driver->spelledOut, false, candidate);
  Mark(part, part.contracted, driver->contracted, true, candidate);
  if (!driver->digits.isEmpty())
    Mark(part, part.digits, driver->digits, true, candidate);
  if (words.size() == 1)
    return;
  auto holds = [&](qint32 i, const SearchWord& word) {
    return Holds(part.spelledOut.Of(i), word.spelledOut) ||
           Holds(part.contracted.Of(i), word.contracted) ||
           (!word.digits.isEmpty() && Holds(part.digits.Of(i), word.digits));
  };
  quint8* const mark = candidate.data() + part.firstSlot;
  for (qint32 i = 0; i < part.records; ++i) {
    if (mark[i] && rowOf_[part.firstSlot + i] >= 0) {
      mark[i] = std::all_of(words.begin(), words.end(),
                            [&](const SearchWord& word) { return holds(i, word); });
    }
  }
}

RecordSearch::Hits RecordSearch::Find(QStringView typed) const {
  Hits hits;
  const auto words = SearchWords(typed, utf8Store_);
  if (!words || parts_.size() != 2)
    return hits;
  std::vector<quint8> candidate(prepared_.size(), words->empty() ? 1 : 0);
  if (!words->empty()) {
    const qsizetype bytes = parts_[0].spelledOut.bytes.size() + parts_[1].spelledOut.bytes.size();
    InParallel(
        bytes >= kParallelThreshold, [&] { FindInPart(parts_[0], *words, candidate); },
        [&] { FindInPart(parts_[1], *words, candidate); });
  }
  const auto found = std::count(candidate.begin(), candidate.end(), quint8(1));
  hits.rows.reserve(found);
  hits.keys.reserve(found);
  for (qint32 slot = 0; slot < qint32(candidate.size()); ++slot) {
    if (candidate[slot] && rowOf_[slot] >= 0) {
      hits.rows.push_back(rowOf_[slot]);
      hits.keys.append(keys_[rowOf_[slot]]);
    }
  }
  return hits;
}

qsizetype RecordSearch::MemoryBytes() const {
  qsizetype bytes = 0;
  for (const Part& part : parts_) {
    for (const Packed* packed : {&part.spelledOut, &part.contracted, &part.digits})
      bytes += packed->bytes.capacity() + qsizetype(packed->ends.capacity() * sizeof(qint64));
  }
  bytes += qsizetype(rowOf_.capacity() * sizeof(qint32));
  // The key lists share their texts with the name view; only their arrays are the search's.
  bytes += (prepared_.size() + keys_.size()) * qsizetype(sizeof(QString));
  return bytes;
}

bool SearchCache::Stamp::operator==(const Stamp& other) const {
  return exists == other.exists && size == other.size && modified == other.modified &&
         changed == other.changed;
}

SearchCache::SearchCache(QString dataDir, Opener open)
    : dataDir_(std::move(dataDir)), open_(std::move(open)) {}

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

namespace {

// The words typed that hold a character Windows-1252 has no byte for.
std::vector<QStringView> WordsBeyondCp1252(QStringView typed) {
  std::vector<QStringView> words = SplitWords(typed);
  words.erase(
      std::remove_if(words.begin(), words.end(), [](QStringView word) { return FitsCp1252(word); }),
      words.end());
  return words;
}

// Keeps the hits whose values hold each of words in their own text, letter case ignored: the
// prepared search saw such a character only as the "?" it is read as in Windows-1252, which
// every other such character, and a "?" itself, also is.
RecordSearch::Hits CheckedAgainstText(RecordSearch::Hits hits,
                                      const std::vector<QStringView>& words,
                                      const RecordStore& records) {
  RecordSearch::Hits checked;
  for (qsizetype i = 0; i < hits.keys.size(); ++i) {
    const RecordValues values = records.Record(hits.keys[i]);
    const bool holds = std::all_of(words.begin(), words.end(), [&](QStringView word) {
      return std::any_of(values.begin(), values.end(), [&](const QString& value) {
        return value.contains(word, Qt::CaseInsensitive);
      });
    });
    if (holds) {
      checked.keys.append(hits.keys[i]);
      checked.rows.push_back(hits.rows[size_t(i)]);
    }
  }
  return checked;
}

}  // namespace

RecordSearch::Hits SearchCache::Find(const QStringList& keys, QStringView typed,
                                     MessageSink& sink) {
  // The stamp is taken before the store is read: a store replaced in between is then read
  // once more at the next key, never kept as if it were the old one.
  const Stamp stamp = StoreStamp();
  if (!prepared_ || !(stamp == stamp_) || !search_.FollowKeys(keys)) {
    search_ = RecordSearch(open_ ? open_(sink) : OpenRecordStore(dataDir_, sink), keys);
    stamp_ = stamp;
    prepared_ = true;
  }
  RecordSearch::Hits hits = search_.Find(typed);
  if (search_.Utf8Store() && !hits.keys.isEmpty()) {
    // Rare: such characters are typed into a search of a store written in UTF-8. The store
    // is read once more for the text of the records found.
    const std::vector<QStringView> words = WordsBeyondCp1252(typed);
    if (!words.empty()) {
      hits = CheckedAgainstText(std::move(hits), words,
                                open_ ? open_(sink) : OpenRecordStore(dataDir_, sink));
    }
  }
  return hits;
}

}  // namespace store
