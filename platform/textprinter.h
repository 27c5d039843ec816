#pragma once

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

class QFontMetricsF;
class QPrinter;
class QTextDocument;

// Plain-text print output: lines of text go one below the other onto the printer's pages, in
// one font, from the top-left corner of the printable area.
namespace platform {

// How wide a piece of text is and how far apart two printed lines are, in the units of the
// page size passed along with it.
struct TextMetrics {
  qreal lineHeight = 0;
  std::function<qreal(QStringView)> width;

  static TextMetrics From(const QFontMetricsF& metrics);
};

// Splits lines into pages of printed lines. A line wider than the printable width is cut after
// the last character that still fits and goes on in the next printed line, with no regard to
// words; a new page begins when the next line would not fit; an empty line prints as an empty
// line. No lines give no page.
std::vector<QStringList> PaginateText(const QStringList& lines, const TextMetrics& metrics,
                                      const QSizeF& printableSize);

// Prints the lines on the printer in the font and colour: opening starts a print job, closing
// ends it; no lines still give a (blank) job. A failure ends the job at once and is thrown as
// store::UserError with "I/O-Fehler %d" for an output error or the printer's own message;
// the remaining lines are not printed.
void PrintTextLines(const QStringList& lines, const QFont& font, const QColor& color,
                    QPrinter& printer);

// The lines a text view shows: each paragraph broken where the document's layout wraps it, each
// piece a line of its own; an empty last line does not count. Lays the document out first.
QStringList DisplayedLines(QTextDocument& document);

}  // namespace platform
