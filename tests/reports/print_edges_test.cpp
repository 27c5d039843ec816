// The printed table at its edges: values too long for the paper, unusual characters, PDF output.
#include <gtest/gtest.h>
#include <QFontMetricsF>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "platform/reportengine.h"
#include "reports/grid.h"
#include "reports/tablelayout.h"
#include "reports/tquickreport11.h"
#include "tests/platform/reportengine_pdf.h"

namespace {

// A value of the longest length a field holds, made of numbered words.
QString LongValue() {
  QString value;
  for (int i = 0; value.size() < 1023; ++i)
    value += QStringLiteral("Wort%1 ").arg(i);
  value.truncate(1023);
  return value;
}

QStringList TextsOfLabel(const platform::ReportPage& page, const QString& label) {
  QStringList texts;
  for (const platform::PlacedText& text : page.texts) {
    if (page.SourceOf(text)->name == label)
      texts.append(text.text);
  }
  return texts;
}

QString WithoutSpace(QString text) {
  return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// Two records; the first has a company far too long for one line of the paper.
reports::Grid TableWithLongCompany() {
  reports::Grid grid = reports::Grid::Sized(3, 3, 1, 1);
  grid.SetCell(1, 0, QStringLiteral("Name"));
  grid.SetCell(2, 0, QStringLiteral("Firma"));
  grid.SetCell(1, 1, QStringLiteral("M\u00fcller \u20ac \u0152uvre"));
  grid.SetCell(2, 1, LongValue());
  grid.SetCell(1, 2, QStringLiteral("Zweite"));
  grid.SetCell(2, 2, QStringLiteral("Ende"));
  return grid;
}

TEST(TablePrintEdges, valueLongerThanThePaperIsWrappedAtTheRightEdge_andTheRowGrows) {
  const reports::Grid grid = TableWithLongCompany();
  const reports::GridTableSource table(grid, QFont(QStringLiteral("Arial"), 10));
  TQuickReport11 report;
  report.PrepareTable(table, true);
  const std::vector<platform::ReportPage> pages = report.LayOut();
  ASSERT_EQ(pages.size(), 1u);
  const platform::ReportPage& page = pages[0];

  // Measured as the layout measures: at 96 dpi.
  QImage device(1, 1, QImage::Format_ARGB32);
  device.setDotsPerMeterX(qRound(96 / 0.0254));
  device.setDotsPerMeterY(qRound(96 / 0.0254));
  const QFontMetricsF metrics(table.Font(), &device);
  const qreal width = report.Report().page.PrintableSizePx().width();
  qreal longTop = -1, secondRowTop = -1;
  for (const platform::PlacedText& text : page.texts) {
    for (const QString& line : text.text.split('\n'))
      EXPECT_LE(page.PosOf(text).x() + metrics.horizontalAdvance(line), width + 0.5)
          << line.toStdString();
    if (text.text.startsWith(QStringLiteral("Wort0 ")))
      longTop = text.top;
    if (text.text == QStringLiteral("Zweite"))
      secondRowTop = text.top;
  }
  ASSERT_GE(longTop, 0);
  // The next row starts below every line of the long value, and the dashed line under the long
  // row runs between them.
  const QString wrapped = TextsOfLabel(page, "QRLabel17").value(0);
  const int lineCount = int(wrapped.count('\n')) + 1;
  EXPECT_GE(lineCount, 6);
  EXPECT_GE(secondRowTop, longTop + lineCount * metrics.lineSpacing());
  EXPECT_EQ(WithoutSpace(wrapped), WithoutSpace(LongValue()));

  // Written into a PDF, every word of the value is on the paper once, before the next row.
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  QTemporaryDir dir;
  QPrinter pdf(QPrinter::HighResolution);
  pdf.setOutputFormat(QPrinter::PdfFormat);
  pdf.setOutputFileName(dir.filePath(QStringLiteral("table.pdf")));
  platform::ApplyPageSettings(report.Report().page, pdf);
  ASSERT_TRUE(platform::PrintReport(report.Report(), pdf));
  const QStringList printed = testsupport::PdfPages(pdf.outputFileName());
  ASSERT_EQ(printed.size(), 1);
  const QString text = WithoutSpace(printed[0]);
  EXPECT_TRUE(text.startsWith(QStringLiteral("NameFirmaM\u00fcller\u20ac\u0152uvre") +
                              WithoutSpace(LongValue()) + QStringLiteral("ZweiteEnde")))
      << printed[0].toStdString();
}

// Tops of the texts a label printed on a page, in order.
QList<qreal> TopsOfLabel(const platform::ReportPage& page, const QString& label) {
  QList<qreal> tops;
  for (const platform::PlacedText& text : page.texts) {
    if (page.SourceOf(text)->name == label)
      tops.append(text.top);
  }
  return tops;
}

TEST(TablePrintEdges,
     largeFontChosenForTheTable_rowsAndHeaderMakeRoomForIt_smallFontKeepsTheDesign) {
  reports::Grid grid = reports::Grid::Sized(3, 41, 1, 1);
  grid.SetCell(1, 0, QStringLiteral("Name"));
  grid.SetCell(2, 0, QStringLiteral("Vorname"));
  for (int r = 1; r <= 40; ++r) {
    grid.SetCell(1, r, QStringLiteral("Müller%1").arg(r));
    grid.SetCell(2, r, QStringLiteral("Émile"));
  }
  QImage device(1, 1, QImage::Format_ARGB32);
  device.setDotsPerMeterX(qRound(96 / 0.0254));
  device.setDotsPerMeterY(qRound(96 / 0.0254));
  TQuickReport11 report;

  const reports::GridTableSource large(grid, QFont(QStringLiteral("Arial"), 28));
  report.PrepareTable(large, true);
  std::vector<platform::ReportPage> pages = report.LayOut();
  const qreal lineHeight = QFontMetricsF(large.Font(), &device).lineSpacing();
  ASSERT_GT(lineHeight, 27);
  int rows = 0;
  for (const platform::ReportPage& page : pages) {
    const QList<qreal> header = TopsOfLabel(page, "QRLabel1");
    const QList<qreal> tops = TopsOfLabel(page, "QRLabel16");
    ASSERT_EQ(header.size(), 1);
    ASSERT_FALSE(tops.isEmpty());
    rows += tops.size();
    // The header's text ends above the solid line under it, each row's text above the dashed
    // line under that row, and the next row starts below it.
    ASSERT_EQ(page.lines.size(), size_t(tops.size() + 1));
    EXPECT_LE(header[0] + lineHeight, page.lines[0].line.y1());
    EXPECT_LE(page.lines[0].line.y1(), tops[0]);
    for (int i = 0; i < tops.size(); ++i) {
      EXPECT_LE(tops[i] + lineHeight, page.lines[i + 1].line.y1()) << i;
      if (i + 1 < tops.size()) {
        EXPECT_LE(page.lines[i + 1].line.y1(), tops[i + 1]) << i;
      }
    }
    // Nothing reaches into the page footer.
    EXPECT_LE(tops.constLast() + lineHeight,
              report.Report().page.PrintableSizePx().height() - 40 + 0.5);
  }
  EXPECT_EQ(rows, 40);

  // A small font prints in the bands of the design: one row every 27 pixels.
  const reports::GridTableSource small(grid, QFont(QStringLiteral("Arial"), 4));
  report.PrepareTable(small, true);
  pages = report.LayOut();
  const QList<qreal> tops = TopsOfLabel(pages.at(0), "QRLabel16");
  ASSERT_GE(tops.size(), 2);
  EXPECT_EQ(tops[0], 40 + 5);
  EXPECT_EQ(tops[1] - tops[0], 27);
}

TEST(TablePrintEdges, valueTallerThanAPageInTheNarrowLastColumn_goesOnOnTheNextPage) {
  reports::Grid grid = reports::Grid::Sized(16, 3, 1, 1);
  for (int c = 1; c <= 15; ++c) {
    grid.SetCell(c, 0, QStringLiteral("F%1").arg(c));
    grid.SetCell(c, 1, QStringLiteral("a%1").arg(c));
    grid.SetCell(c, 2, QStringLiteral("b%1").arg(c));
  }
  grid.SetCell(15, 1, LongValue());
  const reports::GridTableSource table(grid, QFont(QStringLiteral("Arial"), 10));
  TQuickReport11 report;
  report.PrepareTable(table, true);
  const std::vector<platform::ReportPage> pages = report.LayOut();
  ASSERT_GE(pages.size(), 2u);

  QImage device(1, 1, QImage::Format_ARGB32);
  device.setDotsPerMeterX(qRound(96 / 0.0254));
  device.setDotsPerMeterY(qRound(96 / 0.0254));
  const qreal lineHeight = QFontMetricsF(table.Font(), &device).lineSpacing();
  const qreal footerTop = report.Report().page.PrintableSizePx().height() - 40;
  QString pieces;
  for (const platform::ReportPage& page : pages) {
    for (const platform::PlacedText& text : page.texts) {
      if (page.SourceOf(text)->name != QStringLiteral("QRSysData1")) {
        EXPECT_LE(text.top + (text.text.count('\n') + 1) * lineHeight, footerTop + 0.5);
      }
    }
    for (const QString& piece : TextsOfLabel(page, "QRLabel30"))
      pieces += piece;
    EXPECT_EQ(TextsOfLabel(page, "QRLabel1"), QStringList{"F1"});  // header on every page
  }
  EXPECT_EQ(WithoutSpace(pieces), WithoutSpace(LongValue() + "b15"));
  // The other cells of the long row print once, the next row after the long value ends.
  EXPECT_EQ(TextsOfLabel(pages[0], "QRLabel16"), QStringList{"a1"});
  EXPECT_EQ(TextsOfLabel(pages.back(), "QRLabel16"), QStringList{"b1"});
  // One dashed line under each row, not at the page break inside the long one.
  size_t lines = 0;
  for (const platform::ReportPage& page : pages)
    lines += page.lines.size() - 1;
  EXPECT_EQ(lines, 2u);
}

}  // namespace
