#include "store/profilescan.h"

#include <QSet>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace store::profile {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

quint64 Load8(const char* p) {
  quint64 word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// A line as this program writes it starts with a store key and "=": compared at once as two
// eight-byte words, so every store key with its "=" must fit in sixteen bytes.
constexpr bool StoreKeysFitSixteenBytes() {
  for (const FieldDef& field : kFieldTable) {
    qsizetype size = 0;
    while (field.storeKey[size] != '\0')
      ++size;
    if (size + 1 > 16)
      return false;
  }
  return true;
}
static_assert(StoreKeysFitSixteenBytes(), "a store key with its \"=\" fits in sixteen bytes");

struct StoreKey {
  const char* text;
  qsizetype size;
  std::array<quint64, 2> word{};
  std::array<quint64, 2> mask{};
};

// The store keys by field, each with its "=" as two words and masks.
const std::array<StoreKey, kFieldCount>& StoreKeys() {
  static const std::array<StoreKey, kFieldCount> keys = [] {
    std::array<StoreKey, kFieldCount> k{};
    for (int i = 0; i < kFieldCount; ++i) {
      const char* text = kFieldTable[size_t(i)].storeKey;
      k[i].text = text;
      k[i].size = qsizetype(std::strlen(text));
      char word[16] = {};
      char mask[16] = {};
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

// True when the line at p starts with key and "=", exactly as this program writes them.
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

// The field's place in the store order.
int StorePosition(int field) {
  static const std::array<int, kFieldCount> position = [] {
    std::array<int, kFieldCount> p{};
    for (int i = 0; i < kFieldCount; ++i)
      p[size_t(StoreOrder()[size_t(i)])] = i;
    return p;
  }();
  return position[size_t(field)];
}

// True when the header at open could name `name`: after "[" and blanks come the name's bytes
// (ignoring letter case), blanks and "]". Most headers differ in their first letters.
bool HeaderStartsWith(const char* d, qsizetype size, qsizetype open, QByteArrayView name) {
  qsizetype q = open + 1;
  while (q < size && IsBlank(d[q]))
    ++q;
  if (size - q < name.size())
    return false;
  const auto* x = reinterpret_cast<const unsigned char*>(d + q);
  const auto* y = reinterpret_cast<const unsigned char*>(name.data());
  for (qsizetype k = 0; k < name.size(); ++k) {
    if (x[k] != y[k] && FoldByte(x[k]) != FoldByte(y[k]))
      return false;
  }
  q += name.size();
  while (q < size && IsBlank(d[q]))
    ++q;
  return q < size && d[q] == ']';
}

}  // namespace

Text TextOf(QByteArrayView file) {
  Text text{file.data(), file.size(), false, 0};
  if (file.startsWith(QByteArrayView(kUtf8Bom, 3))) {
    text.data += 3;
    text.size -= 3;
    text.utf8 = true;
    text.offset = 3;
  }
  return text;
}

QByteArray Encode(QStringView text, bool utf8) {
  return utf8 ? text.toUtf8() : ToCp1252(text);
}

QString Decode(QByteArrayView bytes, bool utf8) {
  return utf8 ? QString::fromUtf8(bytes) : FromCp1252(bytes);
}

QByteArray EncodeName(QStringView name, bool utf8) {
  return Encode(TrimmedName(name), utf8);
}

qsizetype FindLineEnd(const char* d, qsizetype p, qsizetype size, bool* nul) {
#if defined(__SSE2__)
  // Lines are short, so sixteen bytes are tested at a time without a library call.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; p + 16 <= size; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p));
    __m128i stops = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
    if (nul)
      stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, zero));
    const int hits = _mm_movemask_epi8(stops);
    if (hits) {
      const qsizetype at = p + qCountTrailingZeroBits(quint32(hits));
      if (d[at] != '\0')
        return at;
      break;  // a NUL byte first: the line is walked on byte by byte
    }
  }
#endif
  // Here a NUL byte was seen, or the bytes are not tested for one.
  if (nul)
    *nul = true;
  while (p < size && d[p] != '\n' && d[p] != '\r')
    ++p;
  return p;
}

bool ParseHeader(const char* d, qsizetype begin, qsizetype end, qsizetype* nameBegin,
                 qsizetype* nameEnd) {
  while (begin < end && IsBlank(d[begin]))
    ++begin;
  if (begin >= end || d[begin] != '[')
    return false;
  // The name ends at the last "]": a name may hold "]" itself ("Schmidt [Vertr.],Hans").
  qsizetype close = end - 1;
  while (close > begin && d[close] != ']')
    --close;
  if (close == begin)
    return false;
  qsizetype b = begin + 1;
  qsizetype e = close;
  while (b < e && IsBlank(d[b]))
    ++b;
  while (e > b && IsBlank(d[e - 1]))
    --e;
  *nameBegin = b;
  *nameEnd = e;
  return true;
}

bool ParseKeyLine(const char* d, qsizetype begin, qsizetype end, qsizetype* keyBegin,
                  qsizetype* keyEnd, qsizetype* valueBegin) {
  qsizetype b = begin;
  while (b < end && IsBlank(d[b]))
    ++b;
  if (b >= end || d[b] == ';')
    return false;
  const void* eq = std::memchr(d + b, '=', size_t(end - b));
  if (!eq)
    return false;
  qsizetype e = static_cast<const char*>(eq) - d;
  *valueBegin = e + 1;
  while (e > b && IsBlank(d[e - 1]))
    --e;
  *keyBegin = b;
  *keyEnd = e;
  return true;
}

namespace {

// The value [begin, end) reads as, for a value without a NUL byte.
QByteArrayView CleanValueWithoutNul(const char* d, qsizetype begin, qsizetype end) {
  while (begin < end && IsBlank(d[begin]))
    ++begin;
  while (end > begin && IsBlank(d[end - 1]))
    --end;
  if (end - begin >= 2 && (d[begin] == '"' || d[begin] == '\'') && d[end - 1] == d[begin]) {
    ++begin;
    --end;
  }
  if (end - begin > kMaxValueLength)
    end = begin + kMaxValueLength;
  return QByteArrayView(d + begin, end - begin);
}

}  // namespace

QByteArrayView CleanValue(const char* d, qsizetype begin, qsizetype end) {
  const QByteArrayView value = CleanValueWithoutNul(d, begin, end);
  // The service hands values out as C strings: a NUL byte ends one.
  if (const void* nul = std::memchr(value.data(), 0, size_t(value.size())))
    return value.first(static_cast<const char*>(nul) - value.data());
  return value;
}

SectionPos HeaderAt(const char* d, qsizetype size, qsizetype open) {
  SectionPos s;
  qsizetype lineBegin = open;
  while (lineBegin > 0 && IsBlank(d[lineBegin - 1]))
    --lineBegin;
  if (lineBegin > 0 && d[lineBegin - 1] != '\n' && d[lineBegin - 1] != '\r')
    return s;  // "[" inside a line
  const qsizetype e = FindLineEnd(d, open, size);
  if (!ParseHeader(d, open, e, &s.nameBegin, &s.nameEnd))
    return s;
  s.headerBegin = lineBegin;
  s.headerLineEnd = e;
  s.bodyBegin = NextLine(d, e, size);
  return s;
}

SectionPos FindSection(const char* d, qsizetype size, QByteArrayView name, qsizetype from) {
  // A name with blanks at its ends, or with a "]", is checked by the full header parse only.
  const bool plain =
      !name.isEmpty() && !IsBlank(name.front()) && !IsBlank(name.back()) && !name.contains(']');
  qsizetype pos = from;
  while (pos < size) {
    const void* hit = std::memchr(d + pos, '[', size_t(size - pos));
    if (!hit)
      break;
    const qsizetype open = static_cast<const char*>(hit) - d;
    pos = open + 1;
    if (plain && !HeaderStartsWith(d, size, open, name))
      continue;
    const SectionPos s = HeaderAt(d, size, open);
    if (s.headerBegin >= 0 &&
        EqualIgnoringCase(QByteArrayView(d + s.nameBegin, s.nameEnd - s.nameBegin), name)) {
      return s;
    }
  }
  return SectionPos();
}

qsizetype SectionEnd(const char* d, qsizetype size, qsizetype bodyBegin) {
  qsizetype end = size;
  ForEachHeader(d, size, bodyBegin, size, [&](const SectionPos& s) {
    end = s.headerBegin;
    return false;
  });
  return end;
}

bool FindKey(const char* d, qsizetype size, qsizetype bodyBegin, QByteArrayView name,
             QByteArrayView* value) {
  LineScanner lines(d, size, bodyBegin);
  qsizetype b, e, kb, ke, vb, nb, ne;
  while (lines.Next(&b, &e)) {
    if (ParseHeader(d, b, e, &nb, &ne))
      return false;
    if (ParseKeyLine(d, b, e, &kb, &ke, &vb) &&
        EqualIgnoringCase(QByteArrayView(d + kb, ke - kb), name)) {
      *value = QByteArrayView(d + vb, e - vb);
      return true;
    }
  }
  return false;
}

QStringList SectionNames(QByteArrayView file) {
  const Text text = TextOf(file);
  QStringList names;
  QSet<QByteArray> seen;
  ForEachHeader(text.data, text.size, 0, text.size, [&](const SectionPos& s) {
    const QByteArrayView name(text.data + s.nameBegin, s.nameEnd - s.nameBegin);
    const QByteArray folded = FoldCase(name);
    const QString decoded = Decode(name, text.utf8);
    // Bytes that are no UTF-8 in a UTF-8 file name no section anyone could ask for.
    if (text.utf8 && decoded.toUtf8() != name)
      return true;
    if (!seen.contains(folded)) {
      seen.insert(folded);
      names.append(decoded);
    }
    return true;
  });
  return names;
}

QSet<QByteArray> FoldedSectionNames(QByteArrayView file) {
  const Text text = TextOf(file);
  QSet<QByteArray> names;
  ForEachHeader(text.data, text.size, 0, text.size, [&](const SectionPos& s) {
    names.insert(FoldCase(QByteArrayView(text.data + s.nameBegin, s.nameEnd - s.nameBegin)));
    return true;
  });
  return names;
}

quint64 NameHash(const char* d, qsizetype size) {
  const unsigned char* fold = CaseFoldTable();
  const auto* in = reinterpret_cast<const unsigned char*>(d);
  quint64 h = quint64(size) * 0x9E3779B97F4A7C15ULL;
  // Eight folded bytes make one word, and one multiplication mixes it in.
  for (qsizetype i = 0; i < size; i += 8) {
    quint64 word = 0;
    const qsizetype n = std::min<qsizetype>(8, size - i);
    for (qsizetype k = 0; k < n; ++k)
      word |= quint64(fold[in[i + k]]) << (8 * k);
    h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
    h ^= h >> 32;
  }
  return h;
}

FieldColumns FieldColumns::All() {
  return Of((quint32(1) << kFieldCount) - 1);
}

FieldColumns FieldColumns::Of(quint32 fields) {
  FieldColumns columns;
  columns.column.fill(-1);
  for (int field = 0; field < kFieldCount; ++field) {
    if (fields & (quint32(1) << field))
      columns.column[size_t(field)] = qint8(columns.count++);
  }
  return columns;
}

qsizetype ReadFields(const char* d, qsizetype size, qsizetype body, const FieldColumns& columns,
                     quint64* values) {
  const auto& keys = StoreKeys();
  const auto& order = StoreOrder();
  quint32 found = 0;  // fields seen, asked for or not: the first line of a key wins
  int remaining = columns.count;
  int next = 0;  // keys normally stand in store order: the next one is tried first
  auto take = [&](int field, qsizetype valueBegin, qsizetype end, bool nul) {
    if (found & (1u << field))
      return;
    found |= 1u << field;
    const int column = columns.column[size_t(field)];
    if (column < 0)
      return;
    const QByteArrayView value =
        nul ? CleanValue(d, valueBegin, end) : CleanValueWithoutNul(d, valueBegin, end);
    values[column] = (quint64(value.data() - d) << kLengthBits) | quint64(value.size());
    --remaining;
  };
  qsizetype p = body;
  while (remaining > 0 && p < size) {
    if (next < kFieldCount && StartsWithKey(d, p, size, keys[size_t(order[size_t(next)])])) {
      const int field = order[size_t(next++)];
      const qsizetype valueBegin = p + keys[size_t(field)].size + 1;
      bool nul = false;
      const qsizetype e = FindLineEnd(d, valueBegin, size, &nul);
      take(field, valueBegin, e, nul);
      p = NextLine(d, e, size);
      continue;
    }
    const qsizetype e = FindLineEnd(d, p, size);
    qsizetype nb, ne, kb, ke, vb;
    if (ParseHeader(d, p, e, &nb, &ne))
      return p;
    if (ParseKeyLine(d, p, e, &kb, &ke, &vb)) {
      const int field = FieldOfKey(QByteArrayView(d + kb, ke - kb));
      if (field >= 0) {
        next = StorePosition(field) + 1;
        take(field, vb, e, true);
      }
    }
    p = NextLine(d, e, size);
  }
  return p;
}

}  // namespace store::profile
