#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QStringView>
#include <array>
#include <cstring>

namespace reports {

// Windows-1252 conversion written straight into the report's buffers. Both directions use
// the store's conversion (store/cp1252.h), so report files and data files agree on every byte.

// The character of every byte.
const std::array<char16_t, 256>& Cp1252Characters();

// Writes the text of bytes at out, one character a byte; returns the end of what it wrote.
inline QChar* WidenCp1252(QByteArrayView bytes, QChar* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  // Eight bytes at a time while they are ASCII, which is their own character.
  for (; i + 8 <= n; i += 8) {
    quint64 eight;
    std::memcpy(&eight, in + i, 8);
    if (eight & 0x8080808080808080ULL)
      break;
    for (int k = 0; k < 8; ++k)
      out[i + k] = QChar(char16_t(in[i + k]));
  }
  const std::array<char16_t, 256>& table = Cp1252Characters();
  for (; i < n; ++i)
    out[i] = QChar(table[in[i]]);
  return out + n;
}

// Copies n bytes; short copies, the most common in a report (values, labels), without a
// library call.
inline char* CopyBytes(char* out, const char* in, qsizetype n) {
  if (n <= 16) {
    if (n >= 8) {
      quint64 head;
      quint64 tail;
      std::memcpy(&head, in, 8);
      std::memcpy(&tail, in + n - 8, 8);
      std::memcpy(out, &head, 8);
      std::memcpy(out + n - 8, &tail, 8);
    } else {
      for (qsizetype i = 0; i < n; ++i)
        out[i] = in[i];
    }
  } else {
    std::memcpy(out, in, size_t(n));
  }
  return out + n;
}

// The byte of ch, or -1 when Windows-1252 has none.
int Cp1252Byte(char16_t ch);

}  // namespace reports
