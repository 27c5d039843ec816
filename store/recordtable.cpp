#include "store/recordtable.h"

#include <algorithm>
#include <cstring>

#include "store/cp1252.h"
#include "store/inparallel.h"
#include "store/profilescan.h"

namespace store {
namespace {

using namespace profile;

// A value's place in spans_: offset << kLengthBits | length; kMissing when the key is missing.
constexpr quint64 kMissing = ~quint64(0);
constexpr int kLengthBits = 10;
static_assert(kMaxValueLength < (1 << kLengthBits));

// The store's bytes a value's place in spans_ names.
QByteArrayView SpanView(const char* d, quint64 span) {
  return QByteArrayView(d + (span >> kLengthBits),
                        qsizetype(span & ((quint64(1) << kLengthBits) - 1)));
}

quint64 Load8(const char* p) {
  quint64 word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Where the line after the line end at e starts.
qsizetype NextLine(const char* d, qsizetype e, qsizetype size) {
  if (e >= size)
    return size;
  return e + ((d[e] == '\r' && e + 1 < size && d[e + 1] == '\n') ? 2 : 1);
}

// Bulk reads touch names in an order unrelated to where they lie in memory; asking for them
// this many steps ahead hides most of the wait.
constexpr int kAhead = 32;
inline void Prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  Q_UNUSED(p);
#endif
}

// A hash of folded name bytes, eight at a time. Its top bits choose the bucket.
quint64 NameHash(const char* folded, qsizetype size) {
  quint64 h = quint64(size) * 0x9E3779B97F4A7C15ULL;
  qsizetype i = 0;
  for (; i + 8 <= size; i += 8) {
    h = (h ^ Load8(folded + i)) * 0xFF51AFD7ED558CCDULL;
    h ^= h >> 32;
  }
  if (i < size) {
    quint64 tail = 0;
    std::memcpy(&tail, folded + i, size_t(size - i));
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ULL;
  }
  return h ^ (h >> 29);
}

// A name asked for and a section header's name, both folded, each in an arena. Both lists are
// grouped by hash, so they meet without a probe per header into a large table: at 100 000 keys such
// probes missed the cache at every header.
struct KeyName {
  quint64 hash;
  quint32 row;
  quint32 size;
  const char* name;  // in the arena of names asked for
};
struct HeaderName {
  quint64 hash;
  quint32 index;  // in file order
  quint32 size;
  const char* name;  // in the arena of header names
};

// Orders items by the top `bits` bits of their hash, keeping the order within a bucket
// (one counting pass, one scatter): the items of first, then of second, go to *grouped,
// which holds as many. Returns in *starts where each bucket starts (one more at the end).
// The caller makes every buffer: memory a second thread takes for itself is given back to
// the system at once, and taken afresh costs page faults at every call.
template <typename Item>
void GroupByBucket(const std::vector<Item>& first, const std::vector<Item>& second, int bits,
                   std::vector<Item>* grouped, std::vector<quint32>* starts,
                   std::vector<quint32>* fill) {
  const int shift = 64 - bits;
  starts->assign((size_t(1) << bits) + 1, 0);
  for (const std::vector<Item>* items : {&first, &second}) {
    for (const Item& item : *items)
      ++(*starts)[size_t(item.hash >> shift) + 1];
  }
  for (size_t i = 1; i < starts->size(); ++i)
    (*starts)[i] += (*starts)[i - 1];
  fill->assign(starts->begin(), starts->end() - 1);
  for (const std::vector<Item>* items : {&first, &second}) {
    for (const Item& item : *items)
      (*grouped)[(*fill)[size_t(item.hash >> shift)]++] = item;
  }
}

// The store keys of the fifteen fields, in editor order, as bytes; and each key with its "="
// as two words and masks, to be matched against the start of a line at one go.
struct StoreKey {
  const char* text;
  qsizetype size;
  std::array<quint64, 2> word{};
  std::array<quint64, 2> mask{};
};
const std::array<StoreKey, kFieldCount>& StoreKeys() {
  static const std::array<StoreKey, kFieldCount> keys = [] {
    std::array<StoreKey, kFieldCount> k{};
    for (int i = 0; i < kFieldCount; ++i) {
      const char* text = Fields()[i].storeKey;
      k[i].text = text;
      k[i].size = qsizetype(std::strlen(text));
      char word[16] = {};
      char mask[16] = {};
      Q_ASSERT(k[i].size + 1 <= 16);
      std::memcpy(word, text, size_t(k[i].size));
      word[k[i].size] = '=';
      std::memset(mask, 0xFF, size_t(k[i].size + 1));
      for (int w = 0; w < 2; ++w) {
        k[i].word[w] = Load8(word + 8 * w);
        k[i].mask[w] = Load8(mask + 8 * w);
      }
    }
    return k;
  }();
  return keys;
}

// True when the line at p starts with key and "=" (exactly as written by this program).
bool StartsWithKey(const char* d, qsizetype p, qsizetype size, const StoreKey& key) {
  if (p + 16 <= size) {
    return (((Load8(d + p) ^ key.word[0]) & key.mask[0]) |
            ((Load8(d + p + 8) ^ key.word[1]) & key.mask[1])) == 0;
  }
  return p + key.size < size && d[p + key.size] == '=' &&
         std::memcmp(d + p, key.text, size_t(key.size)) == 0;
}

// The field whose store key lineKey is, ignoring letter case; -1 for none.
int FieldOfKey(QByteArrayView lineKey) {
  const auto& keys = StoreKeys();
  for (int i = 0; i < kFieldCount; ++i) {
    if (EqualIgnoringCase(lineKey, QByteArrayView(keys[i].text, keys[i].size)))
      return i;
  }
  return -1;
}

// Reads the asked-for values of one section whose lines start at body into values (one per
// column, kMissing where absent): blanks, comments, lines without "=" and later lines of a
// key are passed over, as by RecordStore::RawRecord. Returns where the scan for the next
// header goes on.
class SectionReader {
 public:
  SectionReader(const QByteArray& bytes, const std::array<qint8, kFieldCount>& column, int columns)
      : d_(bytes.constData()), size_(bytes.size()), column_(column), columns_(columns) {}

  qsizetype Read(qsizetype body, quint64* values) const {
    const auto& keys = StoreKeys();
    const auto& order = StoreOrder();
    quint32 found = 0;  // fields seen, asked for or not: the first line of a key wins
    int remaining = columns_;
    int next = 0;  // keys are normally in store order: the next one is tried first
    const char* d = d_;
    qsizetype p = body;
    while (remaining > 0 && p < size_) {
#if defined(__SSE2__)
      // The line as this program writes it, with room to look 32 bytes ahead: its key and
      // its line end are found in the same 32 bytes, without a loop (nearly every line).
      if (next < kFieldCount && p + 32 <= size_) {
        const int field = order[next];
        const FastKey& key = fastKeys_[next];
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p + 16));
        const quint32 same = quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(head, key.bytes)));
        const quint32 ends = LineEndBits(head) | (LineEndBits(tail) << 16);
        if ((same & key.bits) == key.bits && ends != 0) {
          const qsizetype v = p + key.size + 1;
          const qsizetype e = p + qCountTrailingZeroBits(ends);
          ++next;
          if (!(found & (1u << field))) {
            found |= 1u << field;
            if (column_[field] >= 0) {
              // Nothing to clean off a value that neither starts nor ends with a blank or
              // a quote (values are shorter than 32 bytes here, so none is cut). An empty
              // value's neighbours are "=" and the line end.
              values[column_[field]] = kEdge[uchar(d[v])] | kEdge[uchar(d[e - 1])]
                                           ? Span(v, e)
                                           : (quint64(v) << kLengthBits) | quint64(e - v);
              --remaining;
            }
          }
          p = NextLine(d, e, size_);
          continue;
        }
      }
#endif
      // Usual line: the next key in store order, then "=", nothing around.
      if (next < kFieldCount) {
        const int field = order[next];
        const StoreKey& key = keys[field];
        if (StartsWithKey(d, p, size_, key)) {
          const qsizetype e = FindLineEnd(d, p + key.size + 1, size_);
          ++next;
          if (!(found & (1u << field))) {
            found |= 1u << field;
            if (column_[field] >= 0) {
              values[column_[field]] = Span(p + key.size + 1, e);
              --remaining;
            }
          }
          p = NextLine(d, e, size_);
          continue;
        }
      }
      // Any other line: blanks, a possible header, the key up to "=", the value to the end.
      qsizetype q = p;
      while (q < size_ && IsBlank(d[q]))
        ++q;
      const qsizetype e = FindLineEnd(d, q, size_);
      qsizetype nb, ne;
      if (q < e && d[q] == '[' && ParseHeader(d, q, e, &nb, &ne))
        return q;  // the next section
      p = NextLine(d, e, size_);
      if (q == e || d[q] == ';')
        continue;  // empty line or comment
      const void* eq = std::memchr(d + q, '=', size_t(e - q));
      if (!eq)
        continue;  // no "=": no key
      const qsizetype k = static_cast<const char*>(eq) - d;
      qsizetype ke = k;
      while (ke > q && IsBlank(d[ke - 1]))
        --ke;
      const int field = FieldOfKey(QByteArrayView(d + q, ke - q));
      if (field < 0)
        continue;
      for (int i = 0; i < kFieldCount; ++i) {
        if (order[i] == field)
          next = i + 1;
      }
      if (found & (1u << field))
        continue;
      found |= 1u << field;
      if (column_[field] >= 0) {
        values[column_[field]] = Span(k + 1, e);
        --remaining;
      }
    }
    return p;
  }

 private:
#if defined(__SSE2__)
  // The next key in store order with its "=", as bytes to compare the start of a line with.
  struct FastKey {
    __m128i bytes;
    quint32 bits;  // one per byte of the key and its "="
    qsizetype size;
  };
  static const std::array<FastKey, kFieldCount>& FastKeys() {
    static const std::array<FastKey, kFieldCount> fast = [] {
      std::array<FastKey, kFieldCount> k{};
      for (int i = 0; i < kFieldCount; ++i) {
        const StoreKey& key = StoreKeys()[StoreOrder()[i]];
        char bytes[16] = {};
        std::memcpy(bytes, key.text, size_t(key.size));
        bytes[key.size] = '=';
        k[i].bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        k[i].bits = (1u << (key.size + 1)) - 1;
        k[i].size = key.size;
      }
      return k;
    }();
    return fast;
  }
  static quint32 LineEndBits(__m128i v) {
    return quint32(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')))));
  }
  // Bytes a value cannot start or end with and stay as it is: blanks and quotes.
  static constexpr std::array<quint8, 256> kEdge = [] {
    std::array<quint8, 256> edge{};
    edge[uchar(' ')] = edge[uchar('\t')] = edge[uchar('"')] = edge[uchar('\'')] = 1;
    return edge;
  }();
  const std::array<FastKey, kFieldCount>& fastKeys_ = FastKeys();
#endif

  quint64 Span(qsizetype begin, qsizetype end) const {
    const QByteArrayView v = CleanValue(d_, begin, end);
    return (quint64(v.data() - d_) << kLengthBits) | quint64(v.size());
  }

  const char* d_;
  qsizetype size_;
  const std::array<qint8, kFieldCount>& column_;
  int columns_;
};

}  // namespace

namespace {

// The names asked for, blanks at both ends ignored (as of any caller's name), as Windows-1252,
// folded and hashed: the rows [from, to) of keys, each name at its place in one arena that
// the caller sized for all of them (one byte per character at most).
void ConvertKeys(const QStringList& keys, qsizetype from, qsizetype to, char* out,
                 std::vector<KeyName>* wanted) {
  for (qsizetype row = from; row < to; ++row) {
    // The keys' characters lie all over the heap: fetch a few keys ahead.
    if (row + kAhead < to)
      Prefetch(keys[row + kAhead].constData());
    const QStringView key = TrimSpaces(keys[row]);
    const qsizetype length = key.size();
    // Converted and folded in one pass; Latin-1 characters but the C1 controls have the byte
    // of their own number, the others are converted one by one.
    const QChar* in = key.data();
    for (qsizetype i = 0; i < length; ++i) {
      const char16_t c = in[i].unicode();
      char byte = char(c);
      if (!(c < 0x80 || (c >= 0xA0 && c < 0x100)))
        ToCp1252(QStringView(in + i, 1), &byte);
      out[i] = char(FoldByte(static_cast<unsigned char>(byte)));
    }
    (*wanted)[size_t(row)] = {NameHash(out, length), quint32(row), quint32(length), out};
    out += length;
  }
}

// The sections whose headers start in [begin, end) of the store's bytes: their names (folded,
// hashed, numbered from 0 in file order) and the asked-for values of each (`columns` spans
// per section). A section's lines are read until the next header, which may lie beyond end,
// or until every field asked for is found.
struct alignas(64) ScannedPart {
  // The room is taken before the threads start: memory a thread takes for itself comes from
  // a heap of its own, which gives it back to the system at once and costs page faults the
  // next time. Each part has cache lines of its own, as both threads keep changing their
  // vectors' ends.
  ScannedPart(qsizetype bytes, int columns) {
    headers.reserve(size_t(bytes / 256) + 16);
    spans.reserve((size_t(bytes / 256) + 16) * size_t(columns));
    // Compared with the names asked for later, out of file order, the names are read from
    // here and not from all over the file. The part's bytes are room enough for all of them,
    // so the arena never moves; pages that stay unused cost nothing.
    arena.reserve(size_t(bytes));
  }
  std::vector<HeaderName> headers;
  std::vector<char> arena;  // the headers' names, folded, one after the other
  std::vector<quint64> spans;
};

void ScanPart(const QByteArray& bytes, qsizetype begin, qsizetype end, const SectionReader& reader,
              int columns, ScannedPart* part) {
  const char* d = bytes.constData();
  const qsizetype size = bytes.size();
  for (qsizetype pos = begin; pos < end;) {
    const void* hit = std::memchr(d + pos, '[', size_t(end - pos));
    if (!hit)
      break;
    const qsizetype open = static_cast<const char*>(hit) - d;
    pos = open + 1;
    if (!AtLineStart(d, open))
      continue;
    const qsizetype e = FindLineEnd(d, open, size);
    qsizetype nb, ne;
    if (!ParseHeader(d, open, e, &nb, &ne))
      continue;
    const size_t start = part->arena.size();
    part->arena.resize(start + size_t(ne - nb));
    char* folded = part->arena.data() + start;
    for (qsizetype i = nb; i < ne; ++i)
      folded[i - nb] = char(FoldByte(static_cast<unsigned char>(d[i])));
    part->headers.push_back(
        {NameHash(folded, ne - nb), quint32(part->headers.size()), quint32(ne - nb), folded});
    const size_t at = part->spans.size();
    part->spans.resize(at + size_t(columns), kMissing);
    pos = reader.Read(NextLine(d, e, size), part->spans.data() + at);
  }
}

// Where the store's bytes are cut in two for two threads: at the first header line from the
// middle on, so each section lies wholly in one part; the end when there is none.
qsizetype SplitPoint(const QByteArray& bytes) {
  qsizetype split = bytes.size();
  ForEachHeader(bytes.constData(), bytes.size(), bytes.size() / 2, [&](const SectionPos& s) {
    split = s.open;
    return false;
  });
  return split;
}

}  // namespace

RecordTable RecordTable::Read(const QByteArray& bytes, const QStringList& keys, FieldMask fields) {
  RecordTable table;
  table.bytes_ = bytes;
  table.rows_ = keys.size();
  table.column_.fill(-1);
  for (int field = 0; field < kFieldCount; ++field) {
    if (fields & FieldBit(field))
      table.column_[field] = qint8(table.columns_++);
  }
  table.rowSection_.assign(size_t(keys.size()), -1);
  if (keys.isEmpty())
    return table;

  // Two threads, each with half of the names asked for and half of the file: the names are
  // converted, then the part's headers and values found in one sequential pass (the few
  // sections no key asks for cost less than a second pass would).
  const qsizetype size = bytes.size();
  const bool parallel = size >= kParallelThreshold;
  const qsizetype split = parallel ? SplitPoint(bytes) : size;
  const qsizetype half = keys.size() / 2;
  qsizetype firstHalfChars = 0;
  qsizetype allChars = 0;
  for (qsizetype row = 0; row < keys.size(); ++row) {
    allChars += keys[row].size();
    if (row + 1 == half)
      firstHalfChars = allChars;
  }
  std::vector<char> keyArena(size_t(allChars) + 1);
  std::vector<KeyName> wanted(size_t(keys.size()));
  const SectionReader reader(bytes, table.column_, table.columns_);
  std::array<ScannedPart, 2> parts{ScannedPart(split, table.columns_),
                                   ScannedPart(size - split, table.columns_)};
  InParallel(
      parallel,
      [&] {
        ConvertKeys(keys, 0, half, keyArena.data(), &wanted);
        ScanPart(bytes, 0, split, reader, table.columns_, &parts[0]);
      },
      [&] {
        ConvertKeys(keys, half, keys.size(), keyArena.data() + firstHalfChars, &wanted);
        ScanPart(bytes, split, size, reader, table.columns_, &parts[1]);
      });
  table.firstPartSections_ = qint32(parts[0].headers.size());
  table.sections_ = qint32(parts[0].headers.size() + parts[1].headers.size());
  for (HeaderName& header : parts[1].headers)
    header.index += quint32(table.firstPartSections_);

  // Names and headers meet bucket by bucket; within a bucket the headers stand in file
  // order, so of several sections of one name the first is found.
  int bits = 1;
  const size_t headerCount = parts[0].headers.size() + parts[1].headers.size();
  while (bits < 24 && (size_t(1) << bits) < std::max(wanted.size(), headerCount) / 2)
    ++bits;
  // Both groupings' buffers are made here (see GroupByBucket).
  std::vector<KeyName> wantedByBucket(wanted.size());
  std::vector<HeaderName> headers(headerCount);
  std::vector<quint32> keyStarts, headerStarts, keyFill, headerFill;
  for (std::vector<quint32>* counts : {&keyStarts, &headerStarts, &keyFill, &headerFill})
    counts->reserve((size_t(1) << bits) + 1);
  InParallel(
      parallel, [&] { GroupByBucket(wanted, {}, bits, &wantedByBucket, &keyStarts, &keyFill); },
      [&] {
        GroupByBucket(parts[0].headers, parts[1].headers, bits, &headers, &headerStarts,
                      &headerFill);
      });
  const size_t buckets = keyStarts.size() - 1;
  auto join = [&](size_t from, size_t to) {
    for (size_t bucket = from; bucket < to; ++bucket) {
      // The names compared lie all over the arenas: fetch a few buckets ahead.
      if (bucket + kAhead < to) {
        for (quint32 k = keyStarts[bucket + kAhead]; k < keyStarts[bucket + kAhead + 1]; ++k)
          Prefetch(wantedByBucket[k].name);
        for (quint32 h = headerStarts[bucket + kAhead]; h < headerStarts[bucket + kAhead + 1]; ++h)
          Prefetch(headers[h].name);
      }
      for (quint32 k = keyStarts[bucket]; k < keyStarts[bucket + 1]; ++k) {
        const KeyName& key = wantedByBucket[k];
        for (quint32 h = headerStarts[bucket]; h < headerStarts[bucket + 1]; ++h) {
          const HeaderName& header = headers[h];
          if (header.hash == key.hash && header.size == key.size &&
              std::memcmp(header.name, key.name, key.size) == 0) {
            table.rowSection_[key.row] = qint32(header.index);
            break;
          }
        }
      }
    }
  };
  // Each name is in one bucket, so the two halves of the buckets write different rows.
  InParallel(
      parallel, [&] { join(0, buckets / 2); }, [&] { join(buckets / 2, buckets); });
  table.spans_[0] = std::move(parts[0].spans);
  table.spans_[1] = std::move(parts[1].spans);
  return table;
}

qsizetype RecordTable::Size() const {
  return rows_;
}

bool RecordTable::HasSection(qsizetype row) const {
  return row >= 0 && row < rows_ && rowSection_[size_t(row)] >= 0;
}

std::optional<QByteArrayView> RecordTable::Raw(qsizetype row, int field) const {
  if (field < 0 || field >= kFieldCount || column_[field] < 0)
    return std::nullopt;
  const quint64* spans = SpansOf(row);
  if (!spans || spans[column_[field]] == kMissing)
    return std::nullopt;
  return SpanView(bytes_.constData(), spans[column_[field]]);
}

void RecordTable::RawRow(qsizetype row, RowValues* values) const {
  RawSection(SectionOf(row), values);
}

qint32 RecordTable::SectionCount() const {
  return sections_;
}

qint32 RecordTable::SectionOf(qsizetype row) const {
  return row >= 0 && row < rows_ ? rowSection_[size_t(row)] : -1;
}

void RecordTable::RawSection(qint32 section, RowValues* values) const {
  values->fill(std::nullopt);
  const quint64* spans = SpansOfSection(section);
  if (!spans)
    return;
  const char* d = bytes_.constData();
  for (int field = 0; field < kFieldCount; ++field) {
    const int column = column_[field];
    if (column >= 0 && spans[column] != kMissing)
      (*values)[field] = SpanView(d, spans[column]);
  }
}

const quint64* RecordTable::SpansOf(qsizetype row) const {
  return SpansOfSection(SectionOf(row));
}

const quint64* RecordTable::SpansOfSection(qint32 section) const {
  if (section < 0 || section >= sections_ || columns_ == 0)
    return nullptr;
  const bool second = section >= firstPartSections_;
  return spans_[second].data() +
         size_t(section - (second ? firstPartSections_ : 0)) * size_t(columns_);
}

void RecordTable::PrefetchPlace(qsizetype row) const {
  const quint64* spans = SpansOf(row);
  if (!spans)
    return;
  Prefetch(spans);
  Prefetch(spans + columns_ - 1);
}

void RecordTable::PrefetchValues(qsizetype row) const {
  const quint64* spans = SpansOf(row);
  if (!spans)
    return;
  // The values lie between the first and the last one found, in a few lines of the section.
  quint64 first = kMissing;
  quint64 last = 0;
  for (int c = 0; c < columns_; ++c) {
    if (spans[c] == kMissing)
      continue;
    first = std::min(first, spans[c] >> kLengthBits);
    last = std::max(last, spans[c] >> kLengthBits);
  }
  if (first == kMissing)
    return;
  const char* d = bytes_.constData();
  // At most a few hundred bytes: a record is no longer, and a hint needs no more.
  last = std::min(last, first + 512);
  for (quint64 at = first; at <= last + 63; at += 64)
    Prefetch(d + std::min<quint64>(at, quint64(bytes_.size()) - 1));
}

QString RecordTable::Text(qsizetype row, int field) const {
  const std::optional<QByteArrayView> raw = Raw(row, field);
  return raw ? FromCp1252(*raw) : MissingValue();
}

}  // namespace store
