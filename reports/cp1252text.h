#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QStringView>
#include <array>

namespace reports {

// Windows-1252 conversion written straight into the report's buffers. Both directions use
// the store's conversion (store/cp1252.h), so report files and data files agree on every byte.

// The character of every byte.
const std::array<char16_t, 256>& Cp1252Characters();

// Writes the text of bytes at out, one character a byte; returns the end of what it wrote.
inline QChar* WidenCp1252(QByteArrayView bytes, QChar* out) {
  const std::array<char16_t, 256>& table = Cp1252Characters();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n; ++i)
    out[i] = QChar(table[in[i]]);
  return out + n;
}

// The byte of ch, or -1 when Windows-1252 has none.
int Cp1252Byte(char16_t ch);

}  // namespace reports
