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

}  // namespace mainwindow
