#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>

namespace mainwindow {

// The character of every Windows-1252 byte, taken once from the store's own conversion, for
// loops that look at values byte by byte without turning each into a text first.
const std::array<char16_t, 256>& CharsOfCp1252();

// Writes the characters of bytes to out, which has room for bytes.size() characters.
inline QChar* WriteCp1252(QByteArrayView bytes, QChar* out) {
  const std::array<char16_t, 256>& chars = CharsOfCp1252();
  for (const char byte : bytes)
    *out++ = QChar(chars[static_cast<unsigned char>(byte)]);
  return out;
}

// True when text from position `from` on starts with the characters of bytes.
inline bool HasCp1252At(const QString& text, qsizetype from, QByteArrayView bytes) {
  if (from + bytes.size() > text.size())
    return false;
  const std::array<char16_t, 256>& chars = CharsOfCp1252();
  const QChar* at = text.constData() + from;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (at[i].unicode() != chars[static_cast<unsigned char>(bytes[i])])
      return false;
  }
  return true;
}

}  // namespace mainwindow
