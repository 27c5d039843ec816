#pragma once

// Byte-level scanning of profile (INI) text, shared by ProfileText and RecordStore. Works on
// Windows-1252 bytes directly; nothing here allocates.

#include <QByteArray>
#include <QStringView>
#include <QtAlgorithms>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "store/cp1252.h"

namespace store::profile {

// Values come back cut to this many characters, as through the platform's 1024-byte buffer.
constexpr qsizetype kMaxValueLength = 1023;

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The first "\r" or "\n" at or after p, or size. Lines are short, so sixteen bytes are
// tested at a time without a library call.
inline qsizetype FindLineEnd(const char* d, qsizetype p, qsizetype size) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; p + 16 <= size; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (hits)
      return p + qCountTrailingZeroBits(quint32(hits));
  }
#endif
  while (p < size && d[p] != '\n' && d[p] != '\r')
    ++p;
  return p;
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
    const char* d = data_;
    qsizetype i = FindLineEnd(d, pos_, size_);
    *begin = pos_;
    *end = i;
    if (i < size_)
      i += (d[i] == '\r' && i + 1 < size_ && d[i + 1] == '\n') ? 2 : 1;
    pos_ = i;
    return true;
  }
  // Where the line after the last one returned starts.
  qsizetype Pos() const { return pos_; }

 private:
  const char* data_;
  qsizetype size_;
  qsizetype pos_;
};

// A section header is a line whose first non-blank character is "[" and that has a "]";
// the name is what stands between them without blanks at both ends. Text after "]" is ignored.
inline bool ParseHeader(const char* d, qsizetype begin, qsizetype end, qsizetype* nameBegin,
                        qsizetype* nameEnd) {
  while (begin < end && IsBlank(d[begin]))
    ++begin;
  if (begin >= end || d[begin] != '[')
    return false;
  const void* close = std::memchr(d + begin + 1, ']', end - begin - 1);
  if (!close)
    return false;
  qsizetype b = begin + 1;
  qsizetype e = static_cast<const char*>(close) - d;
  while (b < e && IsBlank(d[b]))
    ++b;
  while (e > b && IsBlank(d[e - 1]))
    --e;
  *nameBegin = b;
  *nameEnd = e;
  return true;
}

// A key line holds "=" and is no comment (first non-blank character ";"). The key is what
// stands before the first "=" without blanks at both ends; the raw value is the rest.
inline bool ParseKeyLine(const char* d, qsizetype begin, qsizetype end, qsizetype* keyBegin,
                         qsizetype* keyEnd, qsizetype* valueBegin) {
  qsizetype b = begin;
  while (b < end && IsBlank(d[b]))
    ++b;
  if (b >= end || d[b] == ';')
    return false;
  const void* eq = std::memchr(d + b, '=', end - b);
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

// A value as read: blanks and tabs at both ends dropped, then one pair of matching enclosing
// quotation marks (single or double), then cut to kMaxValueLength.
inline QByteArrayView CleanValue(const char* d, qsizetype begin, qsizetype end) {
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

// A caller's name without the spaces at both ends (tabs stay: only spaces are ignored there).
inline QStringView TrimSpaces(QStringView name) {
  qsizetype b = 0;
  qsizetype e = name.size();
  while (b < e && name[b] == QLatin1Char(' '))
    ++b;
  while (e > b && name[e - 1] == QLatin1Char(' '))
    --e;
  return name.mid(b, e - b);
}

// A caller's section or key name: blanks (spaces only) at both ends ignored, Windows-1252.
QByteArray CallerName(QStringView name);

// The same, kept on the stack for names of usual length (record keys are looked up by the
// hundred thousand).
class CallerNameBuffer {
 public:
  explicit CallerNameBuffer(QStringView name) {
    const QStringView trimmed = TrimSpaces(name);
    size_ = trimmed.size();
    if (size_ > qsizetype(sizeof(local_)))
      heap_.resize(size_);
    ToCp1252(trimmed, Data());
  }
  QByteArrayView View() const { return QByteArrayView(Data(), size_); }

 private:
  char* Data() { return heap_.isEmpty() ? local_ : heap_.data(); }
  const char* Data() const { return heap_.isEmpty() ? local_ : heap_.constData(); }
  char local_[128];
  QByteArray heap_;
  qsizetype size_ = 0;
};

// True when the "[" at pos starts its line (only blanks before it on that line).
inline bool AtLineStart(const char* d, qsizetype pos) {
  while (pos > 0 && IsBlank(d[pos - 1]))
    --pos;
  return pos == 0 || d[pos - 1] == '\n' || d[pos - 1] == '\r';
}

struct SectionPos {
  qsizetype headerBegin = -1;  // start of the header line; -1: not found
  qsizetype open = 0;          // the "[" of the header
  qsizetype nameBegin = 0, nameEnd = 0;
  qsizetype headerLineEnd = 0;  // end of the header line's content
  qsizetype bodyBegin = 0;      // start of the line after the header
};

// Calls visit(SectionPos) for every section header from `from` on, in file order, until visit
// returns false. Finds headers by looking for "[" only, so lines of values cost next to nothing.
template <typename Visit>
void ForEachHeader(const char* d, qsizetype size, qsizetype from, Visit visit) {
  qsizetype pos = from;
  while (pos < size) {
    const void* hit = std::memchr(d + pos, '[', size - pos);
    if (!hit)
      return;
    const qsizetype open = static_cast<const char*>(hit) - d;
    pos = open + 1;
    if (!AtLineStart(d, open))
      continue;
    LineScanner line(d, size, open);
    qsizetype b = open;
    qsizetype e = open + 1;
    line.Next(&b, &e);
    SectionPos s;
    if (!ParseHeader(d, open, e, &s.nameBegin, &s.nameEnd))
      continue;
    s.headerBegin = open;
    s.open = open;
    while (s.headerBegin > 0 && IsBlank(d[s.headerBegin - 1]))
      --s.headerBegin;
    s.headerLineEnd = e;
    s.bodyBegin = line.Pos();
    if (!visit(s))
      return;
    pos = s.bodyBegin;
  }
}

// The first section whose name equals foldedName ignoring letter case.
SectionPos FindSection(QByteArrayView bytes, QByteArrayView name, qsizetype from = 0);

// Where a section's lines end: the start of the next header line, or the end of the text.
qsizetype SectionEnd(QByteArrayView bytes, qsizetype bodyBegin);

// The raw value of the first line of key `name` in the section body starting at bodyBegin.
// False when the section has no such key.
bool FindKey(QByteArrayView bytes, qsizetype bodyBegin, QByteArrayView name, QByteArrayView* value);

}  // namespace store::profile
