#include "store/listfile.h"

#include <QStringDecoder>

#include "store/cp1252.h"
#include "store/profilescan.h"

namespace store {

QByteArray EncodeListFile(const QStringList& keys) {
  QByteArray bytes;
  qsizetype size = 0;
  for (const QString& key : keys)
    size += key.size() + 2;
  bytes.reserve(size);
  for (const QString& key : keys) {
    bytes += ToCp1252(key);
    bytes += "\r\n";
  }
  return bytes;
}

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeBom[] = "\xFF\xFE";
constexpr char kUtf16BeBom[] = "\xFE\xFF";

// True for a file that ListFileText would change.
bool NeedsListText(QByteArrayView bytes) {
  return bytes.endsWith('\x1A') || bytes.startsWith(QByteArrayView(kUtf8Bom, 3)) ||
         HasUtf16ByteOrderMark(bytes);
}

}  // namespace

bool HasUtf16ByteOrderMark(QByteArrayView bytes) {
  return bytes.startsWith(QByteArrayView(kUtf16LeBom, 2)) ||
         bytes.startsWith(QByteArrayView(kUtf16BeBom, 2));
}

QByteArray ListFileText(QByteArray bytes) {
  if (!NeedsListText(bytes))
    return bytes;
  if (HasUtf16ByteOrderMark(bytes)) {
    // Read whole: its bytes cut into lines at every CR and LF byte would give keys with a NUL
    // between every two letters, and a change would write them back half in each form.
    QStringDecoder decoder(bytes.startsWith(kUtf16LeBom) ? QStringDecoder::Utf16LE
                                                         : QStringDecoder::Utf16BE);
    QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
    if (text.endsWith(QChar(0x1A)))
      text.chop(1);
    return ToCp1252(text);
  }
  if (bytes.endsWith('\x1A'))
    bytes.chop(1);
  if (bytes.startsWith(QByteArrayView(kUtf8Bom, 3)))
    return ToCp1252(QString::fromUtf8(QByteArrayView(bytes).sliced(3)));
  return bytes;
}

QStringList DecodeListFile(QByteArrayView file) {
  QByteArray converted;
  QByteArrayView bytes = file;
  if (NeedsListText(file)) {
    converted = ListFileText(file.toByteArray());
    bytes = converted;
  }
  QStringList lines;
  // The line ends are found sixteen bytes at a time: a damaged file of one line of many
  // megabytes is passed over as fast as it is read.
  profile::LineScanner scanner(bytes.data(), bytes.size());
  qsizetype begin = 0;
  qsizetype end = 0;
  while (scanner.Next(&begin, &end)) {
    if (IsKeyLine(bytes.sliced(begin, end - begin)))
      lines.append(FromCp1252(bytes.sliced(begin, end - begin)));
  }
  return lines;
}

}  // namespace store
