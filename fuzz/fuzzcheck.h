#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

// What every target needs: a failed property stops the run with a readable message, and the
// names and values a target writes come from the input too.
namespace fuzzcheck {

inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

// Text of up to maxLength Windows-1252 characters, any byte allowed.
inline QByteArray Bytes(FuzzedDataProvider& in, size_t maxLength) {
  const std::string s = in.ConsumeRandomLengthString(maxLength);
  return QByteArray(s.data(), qsizetype(s.size()));
}

// A name or value that a profile file holds unchanged: no line end, no "[", "]", "=", ";" or
// quote, no blank at either end, not empty.
inline bool Plain(const QString& text) {
  if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
    return false;
  for (QChar c : text) {
    if (c < QChar(0x20) || QStringLiteral("[]=;\"'").contains(c) || c == QChar(0x7F))
      return false;
  }
  return true;
}

}  // namespace fuzzcheck
