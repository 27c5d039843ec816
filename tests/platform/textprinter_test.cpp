#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include "platform/textprinter.h"
#include "store/usererror.h"
#include "tests/platform/reportengine_pdf.h"

namespace {

// Every character 10 units wide, lines 20 units apart.
platform::TextMetrics Fixed() {
  return platform::TextMetrics{20, [](QStringView text) { return 10.0 * text.size(); }};
}

TEST(PaginateText, longLineIsCutAfterLastFittingCharacterRegardlessOfWords) {
  const auto pages = platform::PaginateText({"abcd efghij", "kurz"}, Fixed(), QSizeF(40, 1000));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], (QStringList{"abcd", " efg", "hij", "kurz"}));
}

TEST(PaginateText, lineOfExactlyThePageWidth_staysWhole) {
  const auto pages = platform::PaginateText({"abcd"}, Fixed(), QSizeF(40, 1000));
  EXPECT_EQ(pages[0], QStringList{"abcd"});
}

TEST(PaginateText, pageBreaksWhenTheNextLineWouldNotFit_blankLinesPrintEmpty) {
  // Room for three lines of 20 in 70.
  const auto pages =
      platform::PaginateText({"1", "", "3", "4", "", "6", "7"}, Fixed(), QSizeF(100, 70));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0], (QStringList{"1", "", "3"}));
  EXPECT_EQ(pages[1], (QStringList{"4", "", "6"}));
  EXPECT_EQ(pages[2], QStringList{"7"});
}

TEST(PaginateText, cutPiecesCountForPageBreaks) {
  const auto pages = platform::PaginateText({"abcdefgh"}, Fixed(), QSizeF(30, 40));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0], (QStringList{"abc", "def"}));
  EXPECT_EQ(pages[1], QStringList{"gh"});
}

TEST(PaginateText, characterWiderThanThePage_stillMakesProgress) {
  const auto pages = platform::PaginateText({"xy"}, Fixed(), QSizeF(5, 1000));
  EXPECT_EQ(pages[0], (QStringList{"x", "y"}));
  EXPECT_TRUE(platform::PaginateText({}, Fixed(), QSizeF(5, 1000)).empty());
}

TEST(DisplayedLines, wrappedParagraphGivesOneLinePerScreenLine_emptyLastLineDropped) {
  QTextDocument document;
  document.setPlainText(QStringLiteral("Name: Mustermann\n \n") + QString(60, QChar('x')) +
                        QStringLiteral(" ") + QString(60, QChar('y')) + QStringLiteral("\n"));
  document.setTextWidth(-1);
  EXPECT_EQ(platform::DisplayedLines(document),
            (QStringList{"Name: Mustermann", " ", QString(60, 'x') + " " + QString(60, 'y')}));

  // A narrow view breaks the long paragraph where its layout breaks it.
  const QFontMetricsF metrics(document.defaultFont());
  document.setTextWidth(metrics.horizontalAdvance(QString(70, QChar('x'))));
  const QStringList lines = platform::DisplayedLines(document);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[2], QString(60, 'x') + " ");
  EXPECT_EQ(lines[3], QString(60, 'y'));
}

TEST(DisplayedLines, emptyDocument_hasNoLines) {
  QTextDocument document;
  EXPECT_TRUE(platform::DisplayedLines(document).isEmpty());
}

TEST(PrintTextLines, linesComeOutInOrderOnPdf_cutAndPaged) {
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("text.pdf"));
  QStringList lines;
  for (int i = 1; i <= 120; ++i)
    lines.append(QStringLiteral("Zeile %1").arg(i));
  lines.insert(5, QString());
  lines.insert(10, QString(400, QChar('w')));
  platform::PrintTextLines(lines, QFont(QStringLiteral("DejaVu Sans"), 12), Qt::black, printer);

  const QStringList pages = testsupport::PdfPages(printer.outputFileName());
  ASSERT_GE(pages.size(), 2);
  QStringList printed;
  for (const QString& page : pages)
    printed += testsupport::PageLines(page);
  // The over-long line is cut into several printed lines, nothing of it is lost.
  int firstW = -1;
  QString joinedW;
  for (int i = 0; i < printed.size(); ++i) {
    if (printed[i].startsWith('w')) {
      if (firstW < 0)
        firstW = i;
      joinedW += printed[i];
    }
  }
  EXPECT_EQ(joinedW, QString(400, QChar('w')));
  EXPECT_EQ(printed.at(firstW - 1), "Zeile 9");
  EXPECT_GT(printed.indexOf("Zeile 10"), firstW + 1);
  EXPECT_EQ(testsupport::PageLines(pages[0]).constFirst(), "Zeile 1");
  EXPECT_EQ(printed.constLast(), "Zeile 120");
  EXPECT_EQ(printed.filter(QStringLiteral("Zeile")).size(), 120);
}

TEST(PrintTextLines, emptyTextStillOpensAndClosesAJob) {
  QTemporaryDir dir;
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("empty.pdf"));
  platform::PrintTextLines({}, QFont(), Qt::black, printer);
  EXPECT_TRUE(QFile::exists(printer.outputFileName()));
  if (testsupport::HavePdfToText()) {
    EXPECT_EQ(testsupport::PdfPages(printer.outputFileName()).size(), 1);
  }
}

TEST(PrintTextLines, outputThatCannotBeCreated_isAUserErrorAndPrintsNothing) {
  QTemporaryDir dir;
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString path = dir.filePath("missing/dir/out.pdf");
  printer.setOutputFileName(path);
  try {
    platform::PrintTextLines({"a"}, QFont(), Qt::black, printer);
    FAIL() << "no error";
  } catch (const store::UserError& error) {
    EXPECT_EQ(error.message(), QStringLiteral("Datei %1 kann nicht erstellt werden").arg(path));
  }
  EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
