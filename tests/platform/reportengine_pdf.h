#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace testsupport {

// True when poppler's pdftotext is installed.
inline bool HavePdfToText() {
  return !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

// The text of each page of a PDF file, as pdftotext reads it (layout kept).
inline QStringList PdfPages(const QString& path) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), path, QStringLiteral("-")});
  process.waitForFinished(60000);
  QString text = QString::fromUtf8(process.readAllStandardOutput());
  // pdftotext ends every page with a form feed.
  QStringList pages = text.split(QChar('\f'));
  if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
    pages.removeLast();
  return pages;
}

// The non-blank lines of one page, trimmed.
inline QStringList PageLines(const QString& page) {
  QStringList lines;
  for (const QString& line : page.split(QChar('\n'))) {
    if (!line.trimmed().isEmpty())
      lines.append(line.trimmed());
  }
  return lines;
}

}  // namespace testsupport
