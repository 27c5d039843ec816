#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace store {

// The data files, the CSV export and the report files are Windows-1252 text.
QString FromCp1252(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold become "?" (the windows refuse them before saving).
QByteArray ToCp1252(QStringView text);
// The same into out, which has room for text.size() bytes.
void ToCp1252(QStringView text, char* out);

// True when every character of text has a Windows-1252 byte. Otherwise false, and
// *firstBad (if given) is the index of the first character that has none.
bool FitsCp1252(QStringView text, qsizetype* firstBad = nullptr);

// Letter-case folding on Windows-1252 bytes, as the profile service matches section and key
// names: a-z, à-þ (not ÷), š, œ, ž and ÿ fold to their capitals; every other byte to itself.
namespace detail {
constexpr std::array<unsigned char, 256> MakeCaseFold() {
  std::array<unsigned char, 256> fold{};
  for (int b = 0; b < 256; ++b) {
    const bool lower = (b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7);
    fold[b] = static_cast<unsigned char>(lower ? b - 0x20 : b);
  }
  fold[0x9A] = 0x8A;  // š
  fold[0x9C] = 0x8C;  // œ
  fold[0x9E] = 0x8E;  // ž
  fold[0xFF] = 0x9F;  // ÿ
  return fold;
}
inline constexpr std::array<unsigned char, 256> kCaseFold = MakeCaseFold();
}  // namespace detail

inline const unsigned char* CaseFoldTable() {
  return detail::kCaseFold.data();
}
inline unsigned char FoldByte(unsigned char byte) {
  return detail::kCaseFold[byte];
}
QByteArray FoldCase(QByteArrayView bytes);

// True when a and b are the same bytes ignoring letter case (as FoldCase).
inline bool EqualIgnoringCase(QByteArrayView a, QByteArrayView b) {
  if (a.size() != b.size())
    return false;
  const auto* x = reinterpret_cast<const unsigned char*>(a.data());
  const auto* y = reinterpret_cast<const unsigned char*>(b.data());
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (x[i] != y[i] && detail::kCaseFold[x[i]] != detail::kCaseFold[y[i]])
      return false;
  }
  return true;
}

// The same comparison for texts, done on their Windows-1252 bytes: record keys that this
// calls equal address the same section of the record store.
bool SameKeyIgnoringCase(QStringView a, QStringView b);

}  // namespace store
