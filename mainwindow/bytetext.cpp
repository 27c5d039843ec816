#include "mainwindow/bytetext.h"

#include "store/cp1252.h"

namespace mainwindow {

const std::array<char16_t, 256>& CharsOfCp1252() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> chars{};
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const QString text = store::FromCp1252(QByteArrayView(&byte, 1));
      chars[b] = text.size() == 1 ? text.at(0).unicode() : char16_t(0xFFFD);
    }
    return chars;
  }();
  return table;
}

}  // namespace mainwindow
