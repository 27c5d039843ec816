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

// Whether a list line can be a record key: not too long, and holding more than blanks and
// control characters. Editors leave empty lines and lines of blanks (at the end of a file
// mostly); read as keys, they would show as records that read "Error" in every field.
inline bool IsKeyLine(QByteArrayView line) {
  if (!IsKeyLength(line.size()))
    return false;
  for (char c : line) {
    if (static_cast<unsigned char>(c) > ' ')
      return true;
  }
  return false;
}

// The text of a list file in the form the lists are kept in: a file that an editor saved as
// UTF-8 or UTF-16 with a byte-order mark is turned into Windows-1252 (characters that code page
// lacks become "?"; no record key holds one), and a DOS end-of-file mark (Ctrl+Z) at its very end
// is dropped. Any other file comes back as it is.
QByteArray ListFileText(QByteArray bytes);

// Whether a file begins with the byte-order mark of UTF-16 (an editor's "Unicode").
bool HasUtf16ByteOrderMark(QByteArrayView bytes);

// List files (names.qdx, secure.qdx): one key per line, CR LF after every line, Windows-1252.
QByteArray EncodeListFile(const QStringList& keys);
// Reads lines ended by CR LF, LF or CR; a last line without line end counts too. Lines that
// are no keys (IsKeyLine) are left out, long ones without being decoded. The text is taken as
// ListFileText gives it.
QStringList DecodeListFile(QByteArrayView bytes);

}  // namespace store
