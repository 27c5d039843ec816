#include "store/listfile.h"

#include "store/cp1252.h"

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

QStringList DecodeListFile(QByteArrayView bytes) {
  QStringList lines;
  const char* data = bytes.data();
  const qsizetype size = bytes.size();
  qsizetype start = 0;
  while (start < size) {
    qsizetype end = start;
    while (end < size && data[end] != '\r' && data[end] != '\n')
      ++end;
    lines.append(FromCp1252(bytes.sliced(start, end - start)));
    if (end < size) {
      // "\r\n" is one line end; "\r" or "\n" alone is one too.
      end += (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? 2 : 1;
    }
    start = end;
  }
  return lines;
}

}  // namespace store
