// The print command of the report generator through its window: the confirmations, the print
// dialog, the print-options dialog and the preview, with the output going into PDF files that
// a real PDF reader checks.
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <QTextBlock>

#include "platform/textprinter.h"
#include "reports/tform12.h"
#include "reports/tquickreport11.h"
#include "tests/platform/reportengine_pdf.h"
#include "tests/reports/form8_fixture.h"

using namespace reporttest;

namespace {

class PrintCommandTest : public Form8Test {
 public:
  void SetUp() override {
    Form8Test::SetUp();
    form->SetPrintWindows(&form12, &quickReport11);
    printing.outputFile = dir.File("block.pdf");
    Show();
    NewReport();
    Build();
  }

  void ShowPage(const QString& title) {
    auto* pages = Get<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i) {
      if (pages->tabText(i) == title)
        pages->setCurrentIndex(i);
    }
  }

  // Answers the print-options dialog with OK, optionally toggling the separator option first.
  void ConfirmOptions(bool toggleSeparator = false) {
    printing.modalAnswers.enqueue([toggleSeparator](QDialog& dialog) {
      if (toggleSeparator)
        dialog.findChild<QCheckBox*>("CheckBox1")->click();
      dialog.findChild<QAbstractButton*>("Button1")->click();
      return dialog.result();
    });
  }

  // Answers the preview by printing from it into a PDF file; records the preview's page count.
  void PrintFromPreview(const QString& path, int* previewPages = nullptr) {
    printing.modalAnswers.enqueue([path, previewPages](QDialog& dialog) {
      auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
      auto* widget = dialog.findChild<QPrintPreviewWidget*>();
      if (!preview || !widget)
        return int(QDialog::Rejected);
      widget->updatePreview();
      if (previewPages)
        *previewPages = widget->pageCount();
      preview->printer()->setOutputFormat(QPrinter::PdfFormat);
      preview->printer()->setOutputFileName(path);
      widget->print();
      return int(QDialog::Rejected);
    });
  }

  TForm12 form12;
  TQuickReport11 quickReport11;
  testsupport::PdfPrintDialogs printing;  // installed after the fixture's dialogs, so it answers
};

QStringList NonBlankTrimmed(const QStringList& lines) {
  QStringList result;
  for (const QString& line : lines) {
    if (!line.trimmed().isEmpty())
      result.append(line.trimmed());
  }
  return result;
}

TEST_F(PrintCommandTest, blockPage_decliningTheMessageBoxPrintsNothing) {
  printing.AnswerNext("&Abbrechen");
  Click("ToolbarButton971");
  ASSERT_EQ(printing.boxes.size(), 1);
  const platform::MessageBoxSpec& box = printing.boxes[0];
  EXPECT_EQ(box.caption, "Information");
  EXPECT_EQ(box.icon, platform::Icon::Information);
  EXPECT_EQ(box.text, "Es wird die Blockansicht gedruckt!");
  EXPECT_EQ(box.buttons, (QStringList{"OK", "&Abbrechen"}));
  EXPECT_EQ(printing.printDialogs, 0);
  EXPECT_FALSE(QFile::exists(printing.outputFile));

  printing.boxes.clear();  // closing the box by its title bar declines as well
  Click("ToolbarButton971");
  EXPECT_EQ(printing.boxes.size(), 1);
  EXPECT_EQ(printing.printDialogs, 0);
}

TEST_F(PrintCommandTest, blockPage_cancellingThePrintDialogPrintsNothing) {
  printing.AnswerNext("OK");
  printing.printAnswers.enqueue(false);
  Click("ToolbarButton971");
  EXPECT_EQ(printing.printDialogs, 1);
  EXPECT_FALSE(QFile::exists(printing.outputFile));
  EXPECT_TRUE(printing.modalWindows.isEmpty());
}

TEST_F(PrintCommandTest, tablePage_cancellingThePrintOptionsOpensNoPreview) {
  ShowPage("Tabelle");
  printing.modalAnswers.enqueue([](QDialog& dialog) {
    dialog.findChild<QAbstractButton*>("Button2")->click();
    return dialog.result();
  });
  Click("ToolbarButton971");
  EXPECT_EQ(printing.modalWindows, QStringList{"Form12"});
  EXPECT_TRUE(printing.boxes.isEmpty());
  EXPECT_EQ(printing.printDialogs, 0);
}

TEST_F(PrintCommandTest, tableThenBlock_eachPrintsItsOwnViewIntoPdf) {
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  ShowPage("Tabelle");
  ConfirmOptions();
  const QString tablePdf = dir.File("table.pdf");
  int previewPages = 0;
  PrintFromPreview(tablePdf, &previewPages);
  Click("ToolbarButton971");
  EXPECT_EQ(printing.modalWindows, (QStringList{"Form12", "ReportPreview"}));
  EXPECT_EQ(previewPages, 1);

  const QStringList tablePages = testsupport::PdfPages(tablePdf);
  ASSERT_EQ(tablePages.size(), 1);
  // Texts wider than their column run into the next one, so the reader may break a row apart;
  // what matters is what is on the page and in which order.
  const QStringList lines = testsupport::PageLines(tablePages[0]);
  const QString text = lines.join(' ');
  EXPECT_TRUE(lines.constFirst().startsWith("Name")) << text.toStdString();
  EXPECT_TRUE(lines.constFirst().contains("Vorname"));
  EXPECT_TRUE(text.contains("Int. Rufnr."));
  EXPECT_LT(text.indexOf("Beck-Pos"), text.indexOf("M\u00fcller-Pos"));
  EXPECT_LT(text.indexOf("M\u00fcller-Pos"), text.indexOf("Zander-Pos"));
  EXPECT_TRUE(text.contains("Zander-Mail"));
  EXPECT_TRUE(text.contains("Error"));  // Zander's missing internal number
  EXPECT_EQ(lines.constLast(), "1");
  EXPECT_TRUE(quickReport11.QRSubDetail1->frame.drawBottom);

  // The block page next: the block view alone, the preview does not open again.
  ShowPage("Blockansicht");
  printing.AnswerNext("OK");
  printing.printAnswers.enqueue(true);
  Click("ToolbarButton971");
  EXPECT_EQ(printing.modalWindows.size(), 2);
  const QStringList blockPages = testsupport::PdfPages(printing.outputFile);
  ASSERT_GE(blockPages.size(), 1);
  QStringList printed;
  for (const QString& page : blockPages)
    printed += testsupport::PageLines(page);
  EXPECT_EQ(printed, NonBlankTrimmed(form->BlockLines()));
  EXPECT_TRUE(printing.boxes.size() == 1 && printing.Texts()[0].contains("Blockansicht"));
}

TEST_F(PrintCommandTest, separatorTick_lastsFromOnePrintToTheNext) {
  ShowPage("Tabelle");
  ConfirmOptions(/*toggleSeparator=*/true);
  Click("ToolbarButton971");  // the preview closes at once
  EXPECT_FALSE(quickReport11.QRSubDetail1->frame.drawBottom);

  printing.modalAnswers.enqueue([](QDialog& dialog) {
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("CheckBox1")->isChecked());
    dialog.findChild<QAbstractButton*>("Button1")->click();
    return dialog.result();
  });
  Trigger("Reportdrucken1");
  EXPECT_EQ(printing.modalWindows,
            (QStringList{"Form12", "ReportPreview", "Form12", "ReportPreview"}));
  EXPECT_FALSE(quickReport11.QRSubDetail1->frame.drawBottom);
}

TEST_F(PrintCommandTest, blockView_printsTheLinesAsTheViewWrapsThem) {
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  auto* edit = Get<QPlainTextEdit>("RichEdit1");
  edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  const QString paragraph = QStringLiteral("Sehr geehrte Damen und Herren, ").repeated(6).trimmed();
  edit->setPlainText(paragraph + "\nEnde");
  form->resize(500, form->height());
  QApplication::processEvents();

  const auto printedLines = [&] {
    printing.AnswerNext("OK");
    printing.printAnswers.enqueue(true);
    Click("ToolbarButton971");
    return testsupport::PageLines(testsupport::PdfPages(printing.outputFile).value(0));
  };
  const QStringList narrow = printedLines();
  EXPECT_GE(narrow.size(), 3);
  EXPECT_EQ(narrow, NonBlankTrimmed(platform::DisplayedLines(*edit->document())));
  EXPECT_EQ(narrow.join(' '), paragraph + " Ende");

  form->resize(800, form->height());  // still narrower than the paper
  QApplication::processEvents();
  const QStringList wide = printedLines();
  EXPECT_LT(wide.size(), narrow.size());
  EXPECT_EQ(wide.join(' '), paragraph + " Ende") << wide.join('|').toStdString();
}

TEST_F(PrintCommandTest, blockView_printsParagraphsTheViewHasNotShownWrappedAsItWouldShowThem) {
  if (!testsupport::HavePdfToText())
    GTEST_SKIP() << "pdftotext is not installed";
  auto* edit = Get<QPlainTextEdit>("RichEdit1");
  // The view shows the first lines and measures the last ones; the paragraph between them it
  // has not laid out.
  QStringList head, tail;
  for (int i = 1; i <= 25; ++i) {
    head.append(QStringLiteral("Zeile %1").arg(i));
    tail.append(QStringLiteral("Ende %1").arg(i));
  }
  const QString paragraph = QStringLiteral("Sehr geehrte Damen und Herren, ").repeated(6).trimmed();
  edit->setPlainText((head + QStringList{paragraph} + tail).join('\n'));
  form->resize(500, form->height());
  QApplication::processEvents();

  printing.AnswerNext("OK");
  printing.printAnswers.enqueue(true);
  Click("ToolbarButton971");
  const QStringList printed =
      testsupport::PageLines(testsupport::PdfPages(printing.outputFile).value(0));
  ASSERT_GT(printed.size(), 52);
  EXPECT_EQ(printed.mid(0, 25), head);
  EXPECT_EQ(printed.mid(printed.size() - 25), tail);
  const QStringList printedParagraph = printed.mid(25, printed.size() - 50);
  EXPECT_GE(printedParagraph.size(), 3);
  EXPECT_EQ(printedParagraph.join(' '), paragraph);

  // Shown at last, the paragraph breaks where it broke on paper.
  QTextCursor cursor(edit->document()->findBlockByNumber(25));
  edit->setTextCursor(cursor);
  edit->ensureCursorVisible();
  QApplication::processEvents();
  const QStringList shown = NonBlankTrimmed(platform::DisplayedLines(*edit->document()));
  EXPECT_EQ(shown.mid(25, printedParagraph.size()), printedParagraph);
}

TEST_F(PrintCommandTest, emptyBlockView_stillPrintsAJob) {
  Get<QPlainTextEdit>("RichEdit1")->clear();
  printing.AnswerNext("OK");
  printing.printAnswers.enqueue(true);
  Click("ToolbarButton971");
  EXPECT_TRUE(QFile::exists(printing.outputFile));
  EXPECT_EQ(printing.boxes.size(), 1);  // no error
}

TEST_F(PrintCommandTest, outputThatCannotBeCreated_endsTheCommandWithAnErrorBox) {
  printing.outputFile = dir.File("fehlt/block.pdf");
  printing.AnswerNext("OK");
  printing.printAnswers.enqueue(true);
  Click("ToolbarButton971");
  ASSERT_EQ(printing.boxes.size(), 2);
  EXPECT_EQ(printing.boxes[1].icon, platform::Icon::Critical);
  EXPECT_EQ(printing.boxes[1].text,
            QStringLiteral("Datei %1 kann nicht erstellt werden").arg(printing.outputFile));
}

TEST_F(PrintCommandTest, tablePrintedFromThePreviewIntoAFileThatCannotBeCreated_saysWhichFile) {
  ShowPage("Tabelle");
  ConfirmOptions();
  const QString unwritable = dir.File("fehlt/table.pdf");
  PrintFromPreview(unwritable);
  Click("ToolbarButton971");
  EXPECT_EQ(printing.modalWindows, (QStringList{"Form12", "ReportPreview"}));
  ASSERT_EQ(printing.boxes.size(), 1);
  EXPECT_EQ(printing.boxes[0].icon, platform::Icon::Critical);
  EXPECT_EQ(printing.boxes[0].text,
            QStringLiteral("Datei %1 kann nicht erstellt werden").arg(unwritable));
  EXPECT_FALSE(QFile::exists(unwritable));
}

}  // namespace
