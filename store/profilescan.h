#pragma once

// The one reader of profile (INI) text: every reader of the record store, the profile file
// service and the grid companion find sections and read key lines through these functions.
// They read a file as the platform's profile service reads it:
// - a section header is a line whose first non-blank character is "["; its name ends at the
//   last "]" of the line, without blanks at both ends;
// - a key line holds "=" and is no comment; the first line of a key in a section wins, and so
//   does the first section of a name; names match without regard to letter case;
// - a value drops blanks and tabs at both ends and one pair of enclosing quotes, ends at a NUL
//   byte and is cut to 1023 bytes;
// - a file that starts with a UTF-8 byte-order mark is UTF-8 text from the next byte on, and
//   its first line is read like any other; any other file is Windows-1252.
// Nothing here allocates but the functions that return texts.

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstring>

#include "store/cp1252.h"
#include "store/fieldtable.h"

namespace store::profile {

// Values come back cut to this many bytes, as through the platform's 1024-byte buffer.
constexpr qsizetype kMaxValueLength = 1023;

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The text of a profile file: the bytes after a UTF-8 byte-order mark, if any.
struct Text {
  const char* data = nullptr;
  qsizetype size = 0;
  bool utf8 = false;
  qsizetype offset = 0;  // where data starts in the file's bytes
};
Text TextOf(QByteArrayView file);

// Names and values in the text's encoding, and back. Encoded names have the blanks and tabs at
// both ends dropped, as the service ignores them in a caller's names.
QByteArray Encode(QStringView text, bool utf8);
QString Decode(QByteArrayView bytes, bool utf8);
QByteArray EncodeName(QStringView name, bool utf8);
// A caller's name as the service reads it: blanks and tabs at both ends dropped, as a header's
// name loses them (a key that an editor left with a tab at its end still names its record).
inline QStringView TrimmedName(QStringView name) {
  auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
  while (!name.isEmpty() && blank(name.front()))
    name = name.mid(1);
  while (!name.isEmpty() && blank(name.back()))
    name.chop(1);
  return name;
}

// The first "\r" or "\n" at or after p, or size. With nul, also sets *nul when a NUL byte may
// lie before it: a line as this program writes it holds none, and its value then needs no
// search for one.
qsizetype FindLineEnd(const char* d, qsizetype p, qsizetype size, bool* nul = nullptr);

// Where the line after the line end at e starts.
inline qsizetype NextLine(const char* d, qsizetype e, qsizetype size) {
  if (e >= size)
    return size;
  return e + ((d[e] == '\r' && e + 1 < size && d[e + 1] == '\n') ? 2 : 1);
}

// Walks the lines of a text whose lines end in "\r\n", "\n" or "\r".
class LineScanner {
 public:
  LineScanner(const char* data, qsizetype size, qsizetype pos = 0)
      : data_(data), size_(size), pos_(pos) {}

  // The next line's content [*begin, *end), without its line end. False at the end of text.
  bool Next(qsizetype* begin, qsizetype* end) {
    if (pos_ >= size_)
      return false;
    *begin = pos_;
    *end = FindLineEnd(data_, pos_, size_);
    pos_ = NextLine(data_, *end, size_);
    return true;
  }
  // Where the line after the last one returned starts.
  qsizetype Pos() const { return pos_; }

 private:
  const char* data_;
  qsizetype size_;
  qsizetype pos_;
};

// The name of the section header in the line [begin, end), if the line is one.
bool ParseHeader(const char* d, qsizetype begin, qsizetype end, qsizetype* nameBegin,
                 qsizetype* nameEnd);

// The key of the key line [begin, end), without blanks at both ends, and where its raw value
// starts (after the first "="). False for a line without "=" and for a comment (";" first).
bool ParseKeyLine(const char* d, qsizetype begin, qsizetype end, qsizetype* keyBegin,
                  qsizetype* keyEnd, qsizetype* valueBegin);

// The value a raw value [begin, end) reads as.
QByteArrayView CleanValue(const char* d, qsizetype begin, qsizetype end);

// Whether a value must be written inside a pair of double quotes to read back as itself: one
// with a blank or tab at an end, or one that is itself enclosed in a pair of quotes ("Chef"),
// would lose them on reading. The reader drops the added pair, and so does the platform's.
inline bool NeedsQuotes(QStringView value) {
  if (value.isEmpty())
    return false;
  const QChar first = value.front();
  const QChar last = value.back();
  auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
  return blank(first) || blank(last) ||
         (value.size() >= 2 && first == last &&
          (first == QLatin1Char('"') || first == QLatin1Char('\'')));
}

struct SectionPos {
  qsizetype headerBegin = -1;  // start of the header line; -1: not found
  qsizetype nameBegin = 0, nameEnd = 0;
  qsizetype headerLineEnd = 0;  // end of the header line's content
  qsizetype bodyBegin = 0;      // start of the line after the header
};

// The header whose line holds the "[" at open, if it is one ("[" first on its line).
SectionPos HeaderAt(const char* d, qsizetype size, qsizetype open);

// Calls visit(SectionPos) for every section header that starts in [from, to), in file order,
// until visit returns false. Headers are found by looking for "[" only, so lines of values
// cost next to nothing.
template <typename Visit>
void ForEachHeader(const char* d, qsizetype size, qsizetype from, qsizetype to, Visit visit) {
  qsizetype pos = from;
  while (pos < to) {
    const void* hit = std::memchr(d + pos, '[', size_t(to - pos));
    if (!hit)
      return;
    const SectionPos s = HeaderAt(d, size, static_cast<const char*>(hit) - d);
    if (s.headerBegin < 0) {
      pos = static_cast<const char*>(hit) - d + 1;
      continue;
    }
    if (!visit(s))
      return;
    pos = s.bodyBegin;
  }
}

// The first section named `name` (encoded as the text), from `from` on.
SectionPos FindSection(const char* d, qsizetype size, QByteArrayView name, qsizetype from = 0);

// Where a section's lines end: the start of the next header line, or the end of the text.
qsizetype SectionEnd(const char* d, qsizetype size, qsizetype bodyBegin);

// The raw value of the first line of key `name` in the section whose lines start at
// bodyBegin. False when the section has no such key.
bool FindKey(const char* d, qsizetype size, qsizetype bodyBegin, QByteArrayView name,
             QByteArrayView* value);

// The section names of a file in file order, as spelled there (duplicates once, the first).
// In a UTF-8 file a name whose bytes are no UTF-8 is left out: no caller could ask for it.
QStringList SectionNames(QByteArrayView file);

// The section names of a file, letter case folded (FoldCase): what a name compares equal to.
QSet<QByteArray> FoldedSectionNames(QByteArrayView file);

// A hash of a name that ignores letter case: names equal but for letter case hash alike.
quint64 NameHash(const char* d, qsizetype size);

// The fields of a record. A value's place in the text is offset << kLengthBits | length;
// kMissing when the section has no such key (or the field was not asked for).
constexpr quint64 kMissing = ~quint64(0);
constexpr int kLengthBits = 10;
static_assert(kMaxValueLength < (1 << kLengthBits), "a value's length fits its bits");
inline QByteArrayView SpanView(const char* d, quint64 span) {
  return QByteArrayView(d + (span >> kLengthBits),
                        qsizetype(span & ((quint64(1) << kLengthBits) - 1)));
}

// Which fields a read asks for: column[field] is where its value goes, -1 when not asked.
struct FieldColumns {
  std::array<qint8, kFieldCount> column{};
  int count = 0;
  static FieldColumns All();
  // The fields whose bits are set (bit i: field i), in field order.
  static FieldColumns Of(quint32 fields);
};

// Reads the values of the store keys of the record whose section lines start at body into
// values[column] (kMissing where a key is absent). Lines as this program writes them (the next
// key in store order, "=", the value) are recognised at one glance; any other line is parsed
// with ParseKeyLine. Stops at the next header, or once every field asked for is found, and
// returns where it stopped.
qsizetype ReadFields(const char* d, qsizetype size, qsizetype body, const FieldColumns& columns,
                     quint64* values);

}  // namespace store::profile
