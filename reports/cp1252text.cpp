#include "reports/cp1252text.h"

#include "store/cp1252.h"

namespace reports {

const std::array<char16_t, 256>& Cp1252Characters() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> characters{};
    char bytes[256];
    for (int b = 0; b < 256; ++b)
      bytes[b] = char(b);
    const QString text = store::FromCp1252(QByteArrayView(bytes, 256));
    for (int b = 0; b < 256; ++b)
      characters[b] = b < text.size() ? text[b].unicode() : char16_t(b);
    return characters;
  }();
  return table;
}

int Cp1252Byte(char16_t ch) {
  if (ch < 0x80)
    return ch;
  // The store writes "?" for a character without a byte; "?" itself is below 0x80.
  char byte = 0;
  store::ToCp1252(QStringView(&ch, 1), &byte);
  return byte == '?' ? -1 : uchar(byte);
}

}  // namespace reports
