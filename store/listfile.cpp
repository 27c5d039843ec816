#include "store/listfile.h"

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

QStringList DecodeListFile(QByteArrayView bytes) {
  QStringList lines;
  // The line ends are found sixteen bytes at a time: a damaged file of one line of many
  // megabytes is passed over as fast as it is read.
  profile::LineScanner scanner(bytes.data(), bytes.size());
  qsizetype begin = 0;
  qsizetype end = 0;
  while (scanner.Next(&begin, &end)) {
    if (IsKeyLength(end - begin))
      lines.append(FromCp1252(bytes.sliced(begin, end - begin)));
  }
  return lines;
}

}  // namespace store
