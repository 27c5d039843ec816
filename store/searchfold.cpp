#include "store/searchfold.h"

#include <array>

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

}  // namespace

char* WriteSpelledOut(QByteArrayView bytes, char* out) {
  for (char c : bytes) {
    const auto& spelled = kSpelling.bytes[static_cast<unsigned char>(c)];
    out[0] = spelled[0];
    out[1] = spelled[1];
    out += spelled[1] ? 2 : 1;
  }
  return out;
}

char* WriteContracted(QByteArrayView bytes, char* out) {
  bool vowel = false;  // the last byte written is an "a", "o" or "u" that takes up an "e"
  for (char c : bytes) {
    const auto& spelled = kSpelling.bytes[static_cast<unsigned char>(c)];
    if (spelled[1]) {
      // ä, ö, ü, æ, œ are their vowel; ß stays "ss".
      *out++ = spelled[0];
      if (spelled[0] == 's')
        *out++ = 's';
      vowel = false;
      continue;
    }
    const char s = spelled[0];
    if (s == 'e' && vowel) {
      vowel = false;  // "ae", "oe", "ue" -> its vowel
      continue;
    }
    *out++ = s;
    vowel = s == 'a' || s == 'o' || s == 'u';
  }
  return out;
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

std::optional<std::vector<SearchWord>> SearchWords(QStringView typed) {
  if (!FitsCp1252(typed))
    return std::nullopt;
  std::vector<SearchWord> words;
  qsizetype i = 0;
  while (i < typed.size()) {
    while (i < typed.size() && typed[i].isSpace())
      ++i;
    const qsizetype start = i;
    while (i < typed.size() && !typed[i].isSpace())
      ++i;
    if (i == start)
      break;
    const QByteArray bytes = ToCp1252(typed.sliced(start, i - start));
    SearchWord word{SpelledOut(bytes), Contracted(bytes), PhoneDigits(bytes)};
    if (!AllDigits(word.digits))
      word.digits.clear();
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace store
