#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// The data files, the CSV export and the report files are Windows-1252 text.
QString FromCp1252(QByteArrayView bytes);
QByteArray ToCp1252(QStringView text);

// True when every character of text has a Windows-1252 byte. Otherwise false, and
// *firstBad (if given) is the index of the first character that has none.
bool FitsCp1252(QStringView text, qsizetype* firstBad = nullptr);

}  // namespace store
