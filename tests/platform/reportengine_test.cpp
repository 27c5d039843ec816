#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/reportengine.h"
#include "tests/platform/reportengine_pdf.h"
#include "tests/support/scripteddialogs.h"

namespace {

using platform::BandKind;
using platform::PlacedText;
using platform::ReportPage;

// A report of numbered rows: header "Kopf", one row band showing "Zeile <n>", footer with the
// page number. Counts the rows it hands out and records the engine's questions.
struct RowReport {
  explicit RowReport(int rows) : rows(rows) {
    header = &report.AddBand("Header", BandKind::ColumnHeader, 40);
    header->frame.drawBottom = true;
    header->AddLabel("Title", "Kopf").top = 16;
    detail = &report.AddBand("Detail", BandKind::SubDetail, 27);
    detail->frame.drawBottom = true;
    detail->frame.style = Qt::DashLine;
    platform::ReportLabel& cell = detail->AddLabel("Cell", "placeholder");
    cell.top = 5;
    cell.left = 10;
    cell.onPrint = [this](const platform::ReportLabel&, QString& value) {
      value = QStringLiteral("Zeile %1").arg(current);
    };
    footer = &report.AddBand("Footer", BandKind::PageFooter, 40);
    platform::ReportLabel& number =
        footer->AddLabel("PageNo", QString(), platform::ReportItemKind::PageNumber);
    number.left = 505;
    number.top = 12;

    report.onBeforePrint = [this](bool&) {
      ++runs;
      current = 0;
    };
    report.onNeedData = [this](bool& more) {
      mainPresets.append(more);
      ++current;
      more = current <= this->rows;
    };
    detail->onNeedData = [this](bool& more) { subPresets.append(more); };
  }

  platform::Report report;
  platform::ReportBand* header;
  platform::ReportBand* detail;
  platform::ReportBand* footer;
  int rows;
  int current = 0;
  int runs = 0;
  QList<bool> mainPresets;
  QList<bool> subPresets;
};

QStringList Texts(const ReportPage& page, const QString& source) {
  QStringList texts;
  for (const PlacedText& text : page.texts) {
    if (page.SourceOf(text)->name == source)
      texts.append(text.text);
  }
  return texts;
}

TEST(ReportEngine, a4LandscapeWithTenMillimetreMargins_isTheLayoutsPrintableArea) {
  const QSizeF size = platform::ReportPageSettings().PrintableSizePx();
  EXPECT_NEAR(size.width(), 1047, 0.5);    // 277 mm
  EXPECT_NEAR(size.height(), 718.1, 0.5);  // 190 mm
}

TEST(ReportEngine, rowsFlowOverPages_headerAndPageNumberOnEveryPage) {
  RowReport r(50);
  const std::vector<ReportPage> pages = platform::LayOutReport(r.report);
  // 718 px less header and footer leave room for 23 rows of 27 px.
  ASSERT_EQ(pages.size(), 3u);
  QStringList all;
  for (size_t p = 0; p < pages.size(); ++p) {
    EXPECT_EQ(pages[p].number, int(p) + 1);
    EXPECT_EQ(Texts(pages[p], "Title"), QStringList{"Kopf"});
    EXPECT_EQ(Texts(pages[p], "PageNo"), QStringList{QString::number(p + 1)});
    all += Texts(pages[p], "Cell");
  }
  EXPECT_EQ(Texts(pages[0], "Cell").size(), 23);
  EXPECT_EQ(Texts(pages[2], "Cell").size(), 4);
  ASSERT_EQ(all.size(), 50);
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(all[i], QStringLiteral("Zeile %1").arg(i + 1));

  // Header at the top, rows stacked right under it, footer ending at the bottom margin.
  const ReportPage& first = pages[0];
  const auto at = [&](const QString& source, int index) {
    int seen = 0;
    for (const PlacedText& text : first.texts) {
      if (first.SourceOf(text)->name == source && seen++ == index)
        return first.PosOf(text);
    }
    return QPointF(-1, -1);
  };
  EXPECT_EQ(at("Title", 0), QPointF(0, 16));
  EXPECT_EQ(at("Cell", 0), QPointF(10, 45));
  EXPECT_EQ(at("Cell", 22), QPointF(10, 40 + 22 * 27 + 5));
  EXPECT_NEAR(at("PageNo", 0).y(), 718.1 - 40 + 12, 0.5);
  EXPECT_EQ(at("PageNo", 0).x(), 505);
}

TEST(ReportEngine, frames_solidUnderHeaderDashedUnderEachRowOnlyWhenOn) {
  RowReport r(3);
  std::vector<ReportPage> pages = platform::LayOutReport(r.report);
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].lines.size(), 4u);
  EXPECT_EQ(pages[0].lines[0].style, Qt::SolidLine);
  EXPECT_EQ(pages[0].lines[0].line, QLineF(0, 40, pages[0].lines[0].line.x2(), 40));
  EXPECT_NEAR(pages[0].lines[0].line.x2(), 1047, 0.5);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(pages[0].lines[i].style, Qt::DashLine);
    EXPECT_EQ(pages[0].lines[i].line.y1(), 40 + i * 27);
  }

  r.detail->frame.drawBottom = false;
  pages = platform::LayOutReport(r.report);
  ASSERT_EQ(pages[0].lines.size(), 1u);
  EXPECT_EQ(pages[0].lines[0].style, Qt::SolidLine);
}

TEST(ReportEngine, needDataProtocol_presetsAndOneSubDetailPerRow) {
  RowReport r(2);
  platform::LayOutReport(r.report);
  EXPECT_EQ(r.runs, 1);
  // First question with yes preset, every later one with no; stop at the first no.
  EXPECT_EQ(r.mainPresets, (QList<bool>{true, false, false}));
  // The row band is asked with yes, prints, is asked again with no: once per row.
  EXPECT_EQ(r.subPresets, (QList<bool>{true, false, true, false}));
}

TEST(ReportEngine, subDetailAnsweringYesTwice_printsTwicePerRow) {
  RowReport r(2);
  int answered = 0;
  r.detail->onNeedData = [&](bool& more) { more = (answered++ % 3) < 2; };
  const std::vector<ReportPage> pages = platform::LayOutReport(r.report);
  EXPECT_EQ(Texts(pages[0], "Cell"), (QStringList{"Zeile 1", "Zeile 1", "Zeile 2", "Zeile 2"}));
}

TEST(ReportEngine, noRows_noPageUnlessPrintIfEmpty_andBeforePrintCanCancel) {
  RowReport r(0);
  EXPECT_TRUE(platform::LayOutReport(r.report).empty());

  r.report.printIfEmpty = true;
  const std::vector<ReportPage> pages = platform::LayOutReport(r.report);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(Texts(pages[0], "Title"), QStringList{"Kopf"});
  EXPECT_EQ(Texts(pages[0], "PageNo"), QStringList{"1"});

  RowReport cancelled(5);
  cancelled.report.onBeforePrint = [](bool& print) { print = false; };
  EXPECT_TRUE(platform::LayOutReport(cancelled.report).empty());
  EXPECT_TRUE(cancelled.mainPresets.isEmpty());
}

TEST(ReportEngine, hiddenLabel_isNeitherAskedNorPlaced) {
  RowReport r(1);
  platform::ReportLabel& hidden = r.detail->AddLabel("Hidden", "x");
  int asked = 0;
  hidden.onPrint = [&](const platform::ReportLabel&, QString&) { ++asked; };
  hidden.visible = false;
  const std::vector<ReportPage> pages = platform::LayOutReport(r.report);
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(Texts(pages[0], "Hidden").isEmpty());
  EXPECT_EQ(Texts(pages[0], "Cell"), QStringList{"Zeile 1"});
}

TEST(ReportEngine, bandTallerThanThePage_goesOnItsOwnPageWithoutLooping) {
  RowReport r(2);
  r.detail->height = 2000;
  EXPECT_EQ(platform::LayOutReport(r.report).size(), 2u);
}

TEST(ReportEngine, printToPdf_drawsEveryPageWithItsTexts) {
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  QTemporaryDir dir;
  const QString path = dir.filePath("report.pdf");
  RowReport r(30);
  {
    QPdfWriter writer(path);
    platform::ApplyPageSettings(r.report.page, writer);
    ASSERT_TRUE(platform::PrintReport(r.report, writer));
  }
  const QStringList pages = testsupport::PdfPages(path);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_TRUE(pages[0].contains("Zeile 1"));
  EXPECT_TRUE(pages[0].contains("Zeile 23"));
  EXPECT_FALSE(pages[0].contains("Zeile 24"));
  EXPECT_TRUE(pages[1].contains("Zeile 24"));
  EXPECT_TRUE(pages[1].contains("Zeile 30"));
  for (int p = 0; p < 2; ++p) {
    const QStringList lines = testsupport::PageLines(pages[p]);
    EXPECT_EQ(lines.constFirst(), "Kopf");
    EXPECT_EQ(lines.constLast(), QString::number(p + 1));
  }
}

TEST(ReportEngine, preview_isModalAndPrintingFromItProducesThePagesAnew) {
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  QTemporaryDir dir;
  const QString path = dir.filePath("preview.pdf");
  testsupport::ScriptedDialogs dialogs;
  RowReport r(40);
  int previewPages = 0;
  int runsBeforePrint = 0;
  dialogs.modalAnswers.enqueue([&](QDialog& dialog) {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
    EXPECT_NE(preview, nullptr);
    if (!preview)
      return int(QDialog::Rejected);
    EXPECT_EQ(preview->printer()->pageLayout().orientation(), QPageLayout::Landscape);
    auto* widget = preview->findChild<QPrintPreviewWidget*>();
    widget->updatePreview();
    previewPages = widget->pageCount();
    runsBeforePrint = r.runs;
    preview->printer()->setOutputFormat(QPrinter::PdfFormat);
    preview->printer()->setOutputFileName(path);
    widget->print();
    return int(QDialog::Rejected);
  });
  platform::ShowReportPreview(r.report, nullptr);
  EXPECT_EQ(dialogs.modalWindows, QStringList{"ReportPreview"});
  EXPECT_EQ(previewPages, 2);
  EXPECT_GE(runsBeforePrint, 1);
  EXPECT_EQ(r.runs, runsBeforePrint + 1);
  const QStringList pages = testsupport::PdfPages(path);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_EQ(testsupport::PageLines(pages[0]).at(1), "Zeile 1");
}

// Every page is laid out before the first is drawn and before the drawing's progress can show:
// for a table of every record of a large address book that takes many seconds, during which
// the window cannot answer. The wait cursor says so, and is gone once the drawing begins.
TEST(ReportEngine, layingOutThePages_showsTheWaitCursorUntilTheDrawingBegins) {
  testsupport::ScriptedDialogs dialogs;
  RowReport r(100);
  bool waitWhileLayingOut = false;
  bool askedAtAll = false;
  r.report.onNeedData = [&](bool& more) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    askedAtAll = true;
    waitWhileLayingOut = cursor && cursor->shape() == Qt::WaitCursor;
    ++r.current;
    more = r.current <= r.rows;
  };
  const QCursor* cursorAfter = nullptr;
  dialogs.modalAnswers.enqueue([&](QDialog& dialog) {
    dialog.findChild<QPrintPreviewWidget*>()->updatePreview();
    cursorAfter = QGuiApplication::overrideCursor();
    return int(QDialog::Rejected);
  });
  platform::ShowReportPreview(r.report, nullptr);
  EXPECT_TRUE(askedAtAll);
  EXPECT_TRUE(waitWhileLayingOut);
  EXPECT_EQ(cursorAfter, nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The preview draws every page before it shows one: a report of many pages shows how far the
// drawing is, and the user can stop it and look at the pages drawn so far.
TEST(ReportEngine, previewOfManyPages_showsItsProgressAndCancelKeepsThePagesDrawnSoFar) {
  testsupport::ScriptedDialogs dialogs;
  QTemporaryDir dir;
  const QString pdfPath = dir.filePath("print.pdf");
  RowReport r(1500);
  const int total = int(platform::LayOutReport(r.report).size());
  ASSERT_GT(total, 60);
  QString progressTitle, progressLabel;
  int progressMaximum = 0;
  int cancelledAfter = 0, pagesCut = 0, pagesWhole = 0;
  QString titleCut, titleWhole;
  dialogs.modalAnswers.enqueue([&](QDialog& dialog) {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
    auto* widget = preview->findChild<QPrintPreviewWidget*>();
    // Served by the progress dialog while the pages are drawn: cancels after some pages.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
      auto* progress = preview->findChild<QProgressDialog*>(QStringLiteral("PreviewProgress"));
      if (!progress || !progress->isVisible() || progress->value() < 10)
        return;
      if (progressTitle.isEmpty()) {  // the preview's drawing
        progressTitle = progress->windowTitle();
        progressLabel = progress->labelText();
        progressMaximum = progress->maximum();
        cancelledAfter = progress->value();
      }
      progress->cancel();
      user.stop();
    });
    user.start(0);
    widget->updatePreview();
    pagesCut = widget->pageCount();
    titleCut = preview->windowTitle();
    widget->updatePreview();
    pagesWhole = widget->pageCount();
    titleWhole = preview->windowTitle();
    EXPECT_EQ(preview->findChild<QProgressDialog*>(), nullptr) << "progress left behind";
    // A print run is not cut short: the pages it drew would still be printed.
    if (testsupport::HavePdfToText()) {
      preview->printer()->setOutputFormat(QPrinter::PdfFormat);
      preview->printer()->setOutputFileName(pdfPath);
      user.start(0);
      widget->print();
      user.stop();
    }
    return int(QDialog::Rejected);
  });
  platform::ShowReportPreview(r.report, nullptr);

  EXPECT_EQ(progressTitle, "Seitenansicht");
  EXPECT_EQ(progressMaximum, total);
  EXPECT_EQ(progressLabel, QStringLiteral("Seite %1 von %2").arg(cancelledAfter + 1).arg(total));
  EXPECT_GE(pagesCut, 10);
  EXPECT_LT(pagesCut, total);
  EXPECT_EQ(
      titleCut,
      QStringLiteral("Seitenansicht (abgebrochen nach %1 von %2 Seiten)").arg(pagesCut).arg(total));
  EXPECT_EQ(pagesWhole, total);
  EXPECT_EQ(titleWhole, "Seitenansicht");
  if (testsupport::HavePdfToText()) {
    EXPECT_EQ(testsupport::PdfPages(pdfPath).size(), total);
  }
}

}  // namespace
