#pragma once

#include <QChar>

namespace reports {

// Windows-1252 one character at a time, for the writers and readers of report files that
// convert text while they scan it.
QChar Cp1252ToChar(unsigned char byte);
// The byte of ch, or -1 when Windows-1252 has none.
int Cp1252Byte(QChar ch);

}  // namespace reports
