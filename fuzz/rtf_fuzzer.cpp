// The report text file on any bytes: Rich Text Format from another word processor, plain
// text, damaged or hostile files.
//
// Properties: nothing crashes, recurses without bound or reads past the input; the lines of
// a plain text file, written as Rich Text Format and read again, are the same lines.
#include <QFont>

#include "fuzz/fuzzcheck.h"
#include "reports/rtf.h"

using fuzzcheck::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  reports::ReadRtfLines(bytes);
  const QStringList lines = reports::ReadPlainTextLines(bytes);
  if (lines.size() > 200)
    return 0;
  const QByteArray rtf = reports::WriteRtf(lines, QFont(QStringLiteral("Arial"), 10));
  QStringList expected = lines;
  // A last line that is empty has no line end of its own in the view.
  while (!expected.isEmpty() && expected.last().isEmpty())
    expected.removeLast();
  QStringList read = reports::ReadRtfLines(rtf);
  while (!read.isEmpty() && read.last().isEmpty())
    read.removeLast();
  Require(read == expected, "plain lines survive writing and reading as Rich Text Format");
  return 0;
}
