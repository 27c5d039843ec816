#include "reports/codepage.h"

#include <QHash>
#include <array>

#include "store/cp1252.h"

namespace reports {
namespace {

// Both directions, built once from the store's conversion so that report files and data
// files agree on every byte.
struct CodePage {
  std::array<QChar, 256> toChar;
  std::array<int, 256> fromLatin;  // byte for code points below 256, -1 if none
  QHash<char16_t, uchar> fromOther;

  CodePage() {
    fromLatin.fill(-1);
    for (int b = 0; b < 256; ++b) {
      const char byte = char(b);
      const QString decoded = store::FromCp1252(QByteArrayView(&byte, 1));
      const QChar ch = decoded.size() == 1 ? decoded[0] : QChar(QChar::ReplacementCharacter);
      toChar[b] = ch;
      if (ch == QChar(QChar::ReplacementCharacter))
        continue;
      if (ch.unicode() < 256) {
        fromLatin[ch.unicode()] = b;
      } else {
        fromOther.insert(ch.unicode(), uchar(b));
      }
    }
  }
};

const CodePage& Table() {
  static const CodePage codePage;
  return codePage;
}

}  // namespace

QChar Cp1252ToChar(unsigned char byte) {
  return Table().toChar[byte];
}

int Cp1252Byte(QChar ch) {
  const CodePage& table = Table();
  if (ch.unicode() < 256)
    return table.fromLatin[ch.unicode()];
  const auto it = table.fromOther.constFind(ch.unicode());
  return it == table.fromOther.constEnd() ? -1 : int(*it);
}

}  // namespace reports
