#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// The data files, the CSV export and the report files are Windows-1252 text.
QString FromCp1252(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold become "?" (the windows refuse them before saving).
QByteArray ToCp1252(QStringView text);

// True when every character of text has a Windows-1252 byte. Otherwise false, and
// *firstBad (if given) is the index of the first character that has none.
bool FitsCp1252(QStringView text, qsizetype* firstBad = nullptr);

// Letter-case folding on Windows-1252 bytes, as the profile service matches section and key
// names: a-z, à-þ (not ÷), š, œ, ž and ÿ fold to their capitals; every other byte to itself.
const unsigned char* CaseFoldTable();  // 256 entries
inline unsigned char FoldByte(unsigned char byte) {
  return CaseFoldTable()[byte];
}
QByteArray FoldCase(QByteArrayView bytes);
// True when a and b are the same bytes ignoring letter case (as FoldCase).
bool EqualIgnoringCase(QByteArrayView a, QByteArrayView b);
// The same comparison for texts, done on their Windows-1252 bytes: record keys that this
// calls equal address the same section of the record store.
bool SameKeyIgnoringCase(QStringView a, QStringView b);

}  // namespace store
