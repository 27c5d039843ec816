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
      EXPECT_LE(page.PosOf(text).x() + metrics.horizontalAdvance(line), width + 0.5) << line.toStdString();
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

}  // namespace
