#include "store/cp1252.h"

#include <QStringDecoder>

namespace store {
namespace {

// Byte -> character, filled once from Qt's Windows-1252 codec. The five bytes the code page
// leaves undefined map to the control characters of the same number, so every byte survives
// a round trip.
struct Tables {
  std::array<char16_t, 256> toUnicode{};
  // Characters 0x0100 and above that have a byte (the euro sign, typographic quotes, ...).
  std::array<std::pair<char16_t, unsigned char>, 32> high{};
  int highCount = 0;

  Tables() {
    QStringDecoder decoder("windows-1252");
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const QString decoded =
          decoder.isValid() ? decoder.decode(QByteArrayView(&byte, 1)) : QString();
      char16_t c = static_cast<char16_t>(b);
      if (decoded.size() == 1 && decoded.at(0).unicode() != 0xFFFD)
        c = decoded.at(0).unicode();
      toUnicode[b] = c;
      if (c >= 0x100 && highCount < static_cast<int>(high.size())) {
        high[highCount++] = {c, static_cast<unsigned char>(b)};
      }
    }
  }

  int ByteOf(char16_t c) const {
    if (c < 0x80)
      return c;
    if (c < 0x100)
      return toUnicode[c] == c ? c : -1;
    for (int i = 0; i < highCount; ++i) {
      if (high[i].first == c)
        return high[i].second;
    }
    return -1;
  }
};

const Tables& T() {
  static const Tables tables;
  return tables;
}

}  // namespace

QString FromCp1252(QByteArrayView bytes) {
  // Windows-1252 is Latin-1 but for 0x80 to 0x9F: convert fast, then mend those few.
  QString text = QString::fromLatin1(bytes);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (in[i] - 0x80u < 0x20u) {
      const Tables& t = T();
      QChar* out = text.data();  // detaches once, only for the rare text that needs it
      for (; i < bytes.size(); ++i) {
        if (in[i] - 0x80u < 0x20u)
          out[i] = QChar(t.toUnicode[in[i]]);
      }
    }
  }
  return text;
}

void ToCp1252(QStringView text, char* out) {
  const QChar* in = text.data();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = in[i].unicode();
    // Latin-1 characters but the C1 controls have the byte of their own number.
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      out[i] = static_cast<char>(c);
    } else {
      const int b = T().ByteOf(c);
      out[i] = b < 0 ? '?' : static_cast<char>(b);
    }
  }
}

QByteArray ToCp1252(QStringView text) {
  QByteArray bytes(text.size(), Qt::Uninitialized);
  ToCp1252(text, bytes.data());
  return bytes;
}

bool FitsCp1252(QStringView text, qsizetype* firstBad) {
  const Tables& t = T();
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (t.ByteOf(text[i].unicode()) < 0) {
      if (firstBad)
        *firstBad = i;
      return false;
    }
  }
  return true;
}

QByteArray FoldCase(QByteArrayView bytes) {
  QByteArray out(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    out[i] = static_cast<char>(FoldByte(static_cast<unsigned char>(bytes[i])));
  }
  return out;
}

bool SameKeyIgnoringCase(QStringView a, QStringView b) {
  return a.size() == b.size() && EqualIgnoringCase(ToCp1252(a), ToCp1252(b));
}

}  // namespace store
