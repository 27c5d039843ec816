#include "platform/textprinter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

#include "store/usererror.h"

namespace platform {
namespace {

// Error numbers of the old runtime's text-file output, which users and support still know.
constexpr int kDiskWriteError = 101;
constexpr int kFileNotOpenForOutput = 105;

QString IoError(int code) {
  return QStringLiteral("I/O-Fehler %1").arg(code);
}

// Length of the longest start of text that fits into maxWidth; at least one character (two for
// a surrogate pair) so that a single character wider than the page still makes progress.
qsizetype FittingLength(QStringView text, const TextMetrics& metrics, qreal maxWidth) {
  qsizetype low = 0;  // fits
  qsizetype high = text.size();
  while (low < high) {
    const qsizetype mid = (low + high + 1) / 2;
    if (metrics.width(text.left(mid)) <= maxWidth) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  if (low == 0)
    low = 1;
  // Never split a surrogate pair.
  if (low < text.size() && text[low - 1].isHighSurrogate() && text[low].isLowSurrogate()) {
    low = low > 1 ? low - 1 : low + 1;
  }
  return low;
}

}  // namespace

TextMetrics TextMetrics::From(const QFontMetricsF& metrics) {
  return TextMetrics{metrics.lineSpacing(), [metrics](QStringView text) {
                       return metrics.horizontalAdvance(text.toString());
                     }};
}

std::vector<QStringList> PaginateText(const QStringList& lines, const TextMetrics& metrics,
                                      const QSizeF& printableSize) {
  std::vector<QStringList> pages;
  qreal y = 0;
  auto put = [&](const QString& printed) {
    if (pages.empty() || (y + metrics.lineHeight > printableSize.height() && y > 0)) {
      pages.emplace_back();
      y = 0;
    }
    pages.back().append(printed);
    y += metrics.lineHeight;
  };
  for (const QString& line : lines) {
    QStringView rest(line);
    if (rest.isEmpty()) {
      put(QString());
      continue;
    }
    while (!rest.isEmpty()) {
      const qsizetype length = metrics.width(rest) <= printableSize.width()
                                   ? rest.size()
                                   : FittingLength(rest, metrics, printableSize.width());
      put(rest.left(length).toString());
      rest = rest.mid(length);
    }
  }
  return pages;
}

void PrintTextLines(const QStringList& lines, const QFont& font, const QColor& color,
                    QPrinter& printer) {
  if (!printer.isValid())
    throw store::UserError(QStringLiteral("Ausgewählter Drucker ist ungültig"));
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
      throw store::UserError(
          QStringLiteral("Datei %1 kann nicht erstellt werden").arg(printer.outputFileName()));
    }
    throw store::UserError(IoError(kFileNotOpenForOutput));
  }
  painter.setFont(font);
  painter.setPen(color);
  // Measure on the printer itself, so cuts and page breaks match what comes out.
  const QFontMetricsF metrics(painter.font(), &printer);
  const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
  const std::vector<QStringList> pages =
      PaginateText(lines, TextMetrics::From(metrics), area.size());

  auto fail = [&](int code) {
    painter.end();
    printer.abort();
    throw store::UserError(IoError(code));
  };
  for (size_t p = 0; p < pages.size(); ++p) {
    if (p > 0 && !printer.newPage())
      fail(kDiskWriteError);
    qreal y = 0;
    for (const QString& line : pages[p]) {
      painter.drawText(QPointF(0, y + metrics.ascent()), line);
      if (printer.printerState() == QPrinter::Error)
        fail(kDiskWriteError);
      y += metrics.lineSpacing();
    }
  }
  if (!painter.end() || printer.printerState() == QPrinter::Error) {
    throw store::UserError(IoError(kDiskWriteError));
  }
}

QStringList DisplayedLines(QTextDocument& document) {
  QStringList lines;
  // Asking for the last block's place lays out the whole document; a view lays out lazily.
  document.documentLayout()->blockBoundingRect(document.lastBlock());
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) {
      lines.append(text);
      continue;
    }
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      QString piece = text.mid(line.textStart(), line.textLength());
      piece.replace(QChar::LineSeparator, QString());
      lines.append(piece);
    }
  }
  if (!lines.isEmpty() && lines.constLast().isEmpty())
    lines.removeLast();
  return lines;
}

}  // namespace platform
