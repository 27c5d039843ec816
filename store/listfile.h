#pragma once

#include <QByteArray>
#include <QStringList>

#include "store/fieldtable.h"

namespace store {

// The longest record key: a name and a first name of the longest value the record store gives
// back, and the comma between them (2047 characters).
constexpr qsizetype kMaxKeyLength = kMaxFieldLength + 1 + kMaxFieldLength;

// A list line longer than any record key is no record key (a damaged file, or one that is
// not a list at all): readers pass it over, changes keep it in the file as it stands.
inline bool IsKeyLength(qsizetype bytes) {
  return bytes <= kMaxKeyLength;
}

// List files (names.qdx, secure.qdx): one key per line, CR LF after every line, Windows-1252.
QByteArray EncodeListFile(const QStringList& keys);
// Reads lines ended by CR LF, LF or CR; a last line without line end counts too. Lines longer
// than kMaxKeyLength are left out without being decoded.
QStringList DecodeListFile(QByteArrayView bytes);

}  // namespace store
