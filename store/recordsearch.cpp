#include "store/recordsearch.h"

#include <QDateTime>
#include <QDir>
#include <QVarLengthArray>
#include <algorithm>
#include <cstring>

#include "store/cp1252.h"
#include "store/fileio.h"
#include "store/inparallel.h"
#include "store/searchfold.h"
#include "store/sectionscan.h"
#include "store/sharedaccess.h"

namespace store {
namespace {

// Ends every field in the packed forms. DEL: no value holds it, no word typed holds it, and it
// folds to itself as part of plain ASCII text, so whole records fold eight bytes at a time.
constexpr char kSeparator = '\x7F';

// A store dated this much before this workstation's clock was written long ago.
constexpr qint64 kLongSettledSeconds = 600;

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

// Copies n bytes from in to out, sixteen at a time when that reads no further than inEnd; out
// has room for sixteen more bytes than n. Values are short, and a library call each would cost
// more than the copy.
inline char* CopyValue(char* out, const char* in, qsizetype n, const char* inEnd) {
  if (inEnd - in >= ((n + 15) & ~qsizetype(15))) {
    for (qsizetype k = 0; k < n; k += 16)
      std::memcpy(out + k, in + k, 16);
  } else {
    std::memcpy(out, in, size_t(n));
  }
  return out + n;
}

// The packed forms of one part while the scan fills them; each part's on cache lines of its
// own, as both cores write to theirs for every section.
struct alignas(64) PartFilling {
  PartFilling(qsizetype expectedBytes, qsizetype expectedRecords)
      : spelledOut(expectedBytes), digits(expectedBytes / 8) {
    for (auto* ends : {&spelledOutEnds, &digitsEnds})
      ends->reserve(size_t(expectedRecords));
  }
  Filling spelledOut, digits;
  std::vector<qint64> spelledOutEnds, digitsEnds;
  std::vector<char> joined;

  // A record's name and values joined, each followed by the separator, and then folded in
  // one go: values are short, and whole records fold eight bytes at a time.
  void Add(const SectionScan::Section& section) {
    std::array<QByteArrayView, kFieldCount> values;
    qsizetype joinedSize = section.name.size() + 1;
    for (int field = 0; field < kFieldCount; ++field) {
      values[size_t(field)] = section.Value(field).value_or(QByteArrayView());
      joinedSize += values[size_t(field)].size() + 1;
    }
    if (qsizetype(joined.size()) < joinedSize + 16)
      joined.resize(size_t(joinedSize + 16));
    // The name is searched too: a record is found by its key.
    char* j = CopyValue(joined.data(), section.name.data(), section.name.size(), section.end);
    *j++ = kSeparator;
    for (const QByteArrayView value : values) {
      if (!value.isEmpty()) {
        j = CopyValue(j, value.data(), value.size(), section.end);
        *j++ = kSeparator;
      }
    }
    const QByteArrayView record(joined.data(), j - joined.data());
    spelledOut.WrittenTo(WriteSpelledOut(record, spelledOut.Room(2 * record.size())));
    char* d = digits.Room(record.size());
    for (int field : kNumberFields) {
      const QByteArrayView value = values[size_t(field)];
      if (!value.isEmpty()) {
        d = WritePhoneDigits(value, d);
        *d++ = kSeparator;
      }
    }
    digits.WrittenTo(d);
    spelledOutEnds.push_back(spelledOut.Used());
    digitsEnds.push_back(digits.Used());
  }
};

}  // namespace

RecordSearch::RecordSearch(const RecordStore& records, const QStringList& keys)
    : prepared_(keys), keys_(keys), utf8Store_(records.IsUtf8()) {
  // The values are about two thirds of the store; each half of it packs half of them.
  const qsizetype expected = records.Bytes().size() / 3;
  // About half the sections lie in each part: a few more than half the keys, room for which
  // is kept from the start.
  const qsizetype perPart = keys.size() / 2 + keys.size() / 16 + 16;
  std::array<PartFilling, 2> filling{PartFilling(expected, perPart),
                                     PartFilling(expected, perPart)};
  const SectionScan scan = records.ScanSections(
      AllFields(),
      [&](const SectionScan::Section& section) { filling[section.part].Add(section); });
  parts_.resize(2);
  for (int p = 0; p < 2; ++p) {
    Part& part = parts_[size_t(p)];
    PartFilling& filled = filling[size_t(p)];
    part.firstSection = p == 0 ? 0 : scan.Sections(0);
    part.records = scan.Sections(p);
    part.spelledOut = {filled.spelledOut.Take(), std::move(filled.spelledOutEnds)};
    part.digits = {filled.digits.Take(), std::move(filled.digitsEnds)};
  }
  sectionOf_ = scan.SectionsOf(keys);
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
                        bool unmarkedOnly, std::vector<quint8>& marked) {
  if (needle.isEmpty())
    return;
  const char* const base = packed.bytes.constData();
  quint8* const mark = marked.data() + part.firstSection;
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

void RecordSearch::Contract(Part& part) {
  if (part.contracted.ends.size() == size_t(part.records))
    return;
  const Packed& spelled = part.spelledOut;
  Packed& contracted = part.contracted;
  contracted.bytes.resize(spelled.bytes.size());
  contracted.ends.resize(size_t(part.records));
  char* out = contracted.bytes.data();
  for (qint32 i = 0; i < part.records; ++i) {
    out = ContractSpelledOut(spelled.Of(i), out);
    contracted.ends[size_t(i)] = out - contracted.bytes.constData();
  }
  contracted.bytes.truncate(out - contracted.bytes.constData());
  contracted.bytes.squeeze();
}

void RecordSearch::FindInPart(Part& part, const std::vector<SearchWord>& words,
                              std::vector<quint8>& marked) {
  // The contracted form is cut from the spelled-out one when a word first needs it: no word of
  // one letter, the first key typed, does.
  if (std::any_of(words.begin(), words.end(),
                  [](const SearchWord& word) { return !word.contracted.isEmpty(); }))
    Contract(part);
  // The longest word rules out the most records: only it is looked for in all the packed
  // bytes; the records it occurs in are then tested for the other words one by one. A record
  // found spelled out is not looked at again in the other forms.
  const auto driver = std::max_element(
      words.begin(), words.end(),
      [](const auto& a, const auto& b) { return a.spelledOut.size() < b.spelledOut.size(); });
  Mark(part, part.spelledOut, driver->spelledOut, false, marked);
  Mark(part, part.contracted, driver->contracted, true, marked);
  if (!driver->digits.isEmpty())
    Mark(part, part.digits, driver->digits, true, marked);
  if (words.size() == 1)
    return;
  auto holds = [&](qint32 i, const SearchWord& word) {
    return Holds(part.spelledOut.Of(i), word.spelledOut) ||
           (!word.contracted.isEmpty() && Holds(part.contracted.Of(i), word.contracted)) ||
           (!word.digits.isEmpty() && Holds(part.digits.Of(i), word.digits));
  };
  quint8* const mark = marked.data() + part.firstSection;
  for (qint32 i = 0; i < part.records; ++i) {
    if (mark[i]) {
      mark[i] = std::all_of(words.begin(), words.end(),
                            [&](const SearchWord& word) { return holds(i, word); });
    }
  }
}

bool RecordSearch::KeyHolds(const QString& key, const std::vector<SearchWord>& words) {
  const QByteArray bytes = ToCp1252(key);
  const QByteArray spelledOut = SpelledOut(bytes);
  const QByteArray contracted = Contracted(bytes);
  return std::all_of(words.begin(), words.end(), [&](const SearchWord& word) {
    return Holds(spelledOut, word.spelledOut) ||
           (!word.contracted.isEmpty() && Holds(contracted, word.contracted));
  });
}

RecordSearch::Hits RecordSearch::Find(QStringView typed) {
  Hits hits;
  hits.listed = keys_;
  const auto words = SearchWords(typed, utf8Store_);
  if (!words || parts_.size() != 2)
    return hits;
  std::vector<quint8> marked(size_t(parts_[0].records + parts_[1].records), 0);
  if (!words->empty()) {
    const qsizetype bytes = parts_[0].spelledOut.bytes.size() + parts_[1].spelledOut.bytes.size();
    InParallel(
        bytes >= kParallelThreshold, [&] { FindInPart(parts_[0], *words, marked); },
        [&] { FindInPart(parts_[1], *words, marked); });
  }
  // The slots are in list order; each takes the mark of its section.
  hits.rows.reserve(rowOf_.size());
  for (qint32 slot = 0; slot < qint32(rowOf_.size()); ++slot) {
    const qint32 row = rowOf_[slot];
    if (row < 0)
      continue;
    const qint32 section = sectionOf_[slot];
    if (words->empty() ||
        (section >= 0 ? marked[size_t(section)] != 0 : KeyHolds(prepared_[slot], *words)))
      hits.rows.push_back(row);
  }
  return hits;
}

QStringList RecordSearch::Hits::Keys() const {
  QStringList keys;
  keys.reserve(qsizetype(rows.size()));
  for (const qint32 row : rows)
    keys.append(listed[row]);
  return keys;
}

qsizetype RecordSearch::MemoryBytes() const {
  qsizetype bytes = 0;
  for (const Part& part : parts_) {
    for (const Packed* packed : {&part.spelledOut, &part.contracted, &part.digits})
      bytes += packed->bytes.capacity() + qsizetype(packed->ends.capacity() * sizeof(qint64));
  }
  bytes += qsizetype((rowOf_.capacity() + sectionOf_.capacity()) * sizeof(qint32));
  // The key lists share their texts with the name view; only their arrays are the search's.
  bytes += (prepared_.size() + keys_.size()) * qsizetype(sizeof(QString));
  return bytes;
}

bool SearchCache::Stamp::operator==(const Stamp& other) const {
  return exists == other.exists && size == other.size && modified == other.modified &&
         changed == other.changed;
}

bool SearchCache::Stamp::WholeSeconds() const {
  return exists && modified.time().msec() == 0 && changed.time().msec() == 0;
}

SearchCache::SearchCache(QString dataDir, Opener open, std::chrono::milliseconds settle)
    : dataDir_(std::move(dataDir)), open_(std::move(open)), settle_(settle) {}

SearchCache::Stamp SearchCache::StoreStamp() const {
  return {FreshAttributes(QDir(dataDir_).filePath(QStringLiteral("adresse.qdx")))};
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
  checked.listed = hits.listed;
  for (const qint32 row : hits.rows) {
    const RecordValues values = records.Record(hits.listed[row]);
    const bool holds = std::all_of(words.begin(), words.end(), [&](QStringView word) {
      return std::any_of(values.begin(), values.end(), [&](const QString& value) {
        return value.contains(word, Qt::CaseInsensitive);
      });
    });
    if (holds)
      checked.rows.push_back(row);
  }
  return checked;
}

}  // namespace

RecordSearch::Hits SearchCache::Find(const QStringList& keys, QStringView typedAsIs,
                                     MessageSink& sink) {
  // Text pasted from a PDF or from a Mac spells "ü" as "u" and a combining diaeresis; the
  // store holds the one character.
  const QString composed = typedAsIs.toString().normalized(QString::NormalizationForm_C);
  const QStringView typed = composed;
  // The stamp is taken before the store is read: a store replaced in between is then read
  // once more at the next key, never kept as if it were the old one.
  const Stamp stamp = StoreStamp();
  const bool sameStamp = prepared_ && stamp == stamp_;
  if (!sameStamp)
    stampSeen_.start();
  // Dated to the second, the store may still be replaced by one of the same stamp: a write of
  // the same second that is on its way (a rename waits for the flush before it). One dated
  // long ago is final, even by the clock of a workstation some minutes off the file server's.
  const bool finalNow =
      !stamp.WholeSeconds() ||
      stamp.modified.secsTo(QDateTime::currentDateTimeUtc()) > kLongSettledSeconds ||
      (sameStamp && std::chrono::milliseconds(stampSeen_.elapsed()) >= settle_);
  if (!sameStamp || (finalNow && !final_) || !search_.FollowKeys(keys)) {
    search_ = RecordSearch(open_ ? open_(sink) : OpenRecordStore(dataDir_, sink), keys);
    stamp_ = stamp;
    prepared_ = true;
    final_ = finalNow;
  }
  RecordSearch::Hits hits = search_.Find(typed);
  if (search_.Utf8Store() && !hits.rows.empty()) {
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
