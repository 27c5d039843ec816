#include "store/searchfold.h"

#include <QVarLengthArray>
#include <array>
#include <cstring>

#include "store/cp1252.h"

namespace store {
namespace {

// Per byte, its spelled-out form: one or two bytes (second 0 when one).
struct Spelling {
  std::array<std::array<char, 2>, 256> bytes{};
};

constexpr Spelling MakeSpelling() {
  Spelling s{};
  for (int b = 0; b < 256; ++b) {
    int lower = b;
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
      lower = b + 0x20;
    s.bytes[b] = {static_cast<char>(lower), 0};
  }
  s.bytes[0x8A] = {char(0x9A), 0};  // Š
  s.bytes[0x8E] = {char(0x9E), 0};  // Ž
  s.bytes[0x9F] = {char(0xFF), 0};  // Ÿ
  s.bytes['\r'] = {' ', 0};
  s.bytes['\n'] = {' ', 0};
  for (int b : {0xC4, 0xE4, 0xC6, 0xE6})  // Ä ä Æ æ
    s.bytes[b] = {'a', 'e'};
  for (int b : {0xD6, 0xF6, 0x8C, 0x9C})  // Ö ö Œ œ
    s.bytes[b] = {'o', 'e'};
  for (int b : {0xDC, 0xFC})  // Ü ü
    s.bytes[b] = {'u', 'e'};
  s.bytes[0xDF] = {'s', 's'};  // ß
  return s;
}

constexpr Spelling kSpelling = MakeSpelling();

bool IsPhoneSeparator(char c) {
  return c == ' ' || c == '/' || c == '-' || c == '(' || c == ')';
}

bool AllDigits(QByteArrayView bytes) {
  for (char c : bytes) {
    if (c < '0' || c > '9')
      return false;
  }
  return !bytes.isEmpty();
}

// Most of a store is plain ASCII text. Eight such bytes are folded at once, by byte-wise
// arithmetic on one 64-bit word; bytes of 0x80 and above (umlauts) and control bytes take the
// table one by one.
constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHigh = 0x8080808080808080ULL;

// 0x80 in each byte of w that equals c, 0 in the others.
inline quint64 BytesEqual(quint64 w, unsigned char c) {
  const quint64 y = w ^ (kOnes * c);
  return ~(((y & ~kHigh) + ~kHigh) | y) & kHigh;
}

// True when all eight bytes lie between 0x20 and 0x7F: no umlaut and no control byte.
inline bool Plain(quint64 w) {
  // A byte b below 0x80 has b + 0x60 >= 0x80 exactly when b >= 0x20, and never carries over.
  return (w & kHigh) == 0 && ((w + kOnes * 0x60) & kHigh) == kHigh;
}

// Plain text with "A" to "Z" in lower case: 0x20 added to those bytes.
inline quint64 Lower(quint64 w) {
  const quint64 atLeastA = (w + kOnes * (0x80 - 'A')) & kHigh;
  const quint64 pastZ = (w + kOnes * (0x80 - 'Z' - 1)) & kHigh;
  return w | ((atLeastA & ~pastZ) >> 2);
}

quint64 Load8(const char* p) {
  quint64 w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

char* SpellBytes(const char* in, const char* end, char* out) {
  for (; in < end; ++in) {
    const auto& spelled = kSpelling.bytes[static_cast<unsigned char>(*in)];
    out[0] = spelled[0];
    out[1] = spelled[1];
    out += spelled[1] ? 2 : 1;
  }
  return out;
}

// Whether a text can hold the word's contracted form where its spelled-out text does not
// hold the word's spelled-out form.
bool ContractionFindsMore(const SearchWord& word) {
  if (word.contracted != word.spelledOut)
    return true;
  const QByteArrayView allButLast = QByteArrayView(word.contracted).chopped(1);
  return allButLast.contains('a') || allButLast.contains('o') || allButLast.contains('u');
}

}  // namespace

char* WriteSpelledOut(QByteArrayView bytes, char* out) {
  const char* in = bytes.data();
  const char* const end = in + bytes.size();
  for (; end - in >= 8; in += 8) {
    const quint64 w = Load8(in);
    if (Plain(w)) {
      const quint64 lower = Lower(w);
      std::memcpy(out, &lower, sizeof lower);
      out += 8;
    } else {
      out = SpellBytes(in, in + 8, out);
    }
  }
  return SpellBytes(in, end, out);
}

char* ContractSpelledOut(QByteArrayView spelledOut, char* out) {
  // In a spelled-out text every byte is folded already: what is left is to drop each "e"
  // that follows an "a", "o" or "u". Of two "e" after a vowel only the first goes ("aee" ->
  // "ae"), as the byte before the second is that first "e".
  const char* in = spelledOut.data();
  const char* const end = in + spelledOut.size();
  unsigned char before = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
  for (; end - in >= 8; in += 8) {
    const quint64 w = Load8(in);
    // Byte i of w << 8 is the byte before byte i; before the first, the last of the word before.
    const quint64 previous = (w << 8) | before;
    const quint64 cut =
        BytesEqual(w, 'e') &
        (BytesEqual(previous, 'a') | BytesEqual(previous, 'o') | BytesEqual(previous, 'u'));
    std::memcpy(out, &w, sizeof w);
    if (cut == 0) {
      out += 8;
    } else {
      for (int k = 0; k < 8; ++k) {
        *out = in[k];
        out += ((cut >> (8 * k + 7)) & 1) ^ 1;
      }
    }
    before = static_cast<unsigned char>(in[7]);
  }
#endif
  for (; in < end; ++in) {
    const bool vowel = before == 'a' || before == 'o' || before == 'u';
    if (!(*in == 'e' && vowel))
      *out++ = *in;
    before = static_cast<unsigned char>(*in);
  }
  return out;
}

char* WriteContracted(QByteArrayView bytes, char* out) {
  QVarLengthArray<char, 256> spelled(2 * bytes.size());
  const char* end = WriteSpelledOut(bytes, spelled.data());
  return ContractSpelledOut(QByteArrayView(spelled.data(), end - spelled.data()), out);
}

QByteArray SpelledOut(QByteArrayView bytes) {
  QByteArray out(2 * bytes.size(), Qt::Uninitialized);
  out.truncate(WriteSpelledOut(bytes, out.data()) - out.constData());
  return out;
}

QByteArray Contracted(QByteArrayView bytes) {
  QByteArray out(2 * bytes.size(), Qt::Uninitialized);
  out.truncate(WriteContracted(bytes, out.data()) - out.constData());
  return out;
}

char* WritePhoneDigits(QByteArrayView bytes, char* out) {
  qsizetype i = 0;
  const qsizetype n = bytes.size();
  while (i < n && IsPhoneSeparator(bytes[i]))
    ++i;
  if (bytes.sliced(i).startsWith("+49")) {
    // The country code of Germany stands for the trunk prefix "0"; "+49 (0)761" is written
    // for "0761" as often as "+49 761".
    *out++ = '0';
    i += 3;
    while (i < n && IsPhoneSeparator(bytes[i]) && bytes[i] != '(')
      ++i;
    if (bytes.sliced(i).startsWith("(0)"))
      i += 3;
  }
  for (; i < n; ++i) {
    if (!IsPhoneSeparator(bytes[i]))
      *out++ = kSpelling.bytes[static_cast<unsigned char>(bytes[i])][0];
  }
  return out;
}

QByteArray PhoneDigits(QByteArrayView bytes) {
  QByteArray out(bytes.size(), Qt::Uninitialized);
  out.truncate(WritePhoneDigits(bytes, out.data()) - out.constData());
  return out;
}

std::vector<QStringView> SplitWords(QStringView typed) {
  std::vector<QStringView> words;
  qsizetype i = 0;
  while (i < typed.size()) {
    while (i < typed.size() && typed[i].isSpace())
      ++i;
    const qsizetype start = i;
    while (i < typed.size() && !typed[i].isSpace())
      ++i;
    if (i > start)
      words.push_back(typed.sliced(start, i - start));
  }
  return words;
}

std::optional<std::vector<SearchWord>> SearchWords(QStringView typed, bool utf8Store) {
  if (!utf8Store && !FitsCp1252(typed))
    return std::nullopt;
  // No value holds DEL, which ends every field of the prepared records: a word holding it
  // would find the end of one field and the start of the next, and alone every record.
  if (typed.contains(QChar(0x7F)))
    return std::nullopt;
  std::vector<SearchWord> words;
  for (const QStringView typedWord : SplitWords(typed)) {
    const QByteArray bytes = ToCp1252(typedWord);
    SearchWord word{SpelledOut(bytes), Contracted(bytes), PhoneDigits(bytes)};
    if (!AllDigits(word.digits))
      word.digits.clear();
    if (!ContractionFindsMore(word))
      word.contracted.clear();
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace store
