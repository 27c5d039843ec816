// A dark colour scheme, set by the desktop before the program starts or switched while it
// runs: every text the user reads stays readable, on the screen and on paper.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "app/otherwindows.h"
#include "mainwindow/tform1.h"
#include "reports/tform8.h"
#include "store/addressbook.h"
#include "store/fieldtable.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"
#include "widgets/taboutbox.h"
#include "widgets/thyperlink.h"

namespace {

// Relative luminance and contrast ratio as accessibility guidelines define them; 4.5 is the
// least they ask of body text.
double Luminance(const QColor& color) {
  auto channel = [](double value) {
    value /= 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(color.red()) + 0.7152 * channel(color.green()) +
         0.0722 * channel(color.blue());
}

double Contrast(const QColor& a, const QColor& b) {
  const double lighter = std::max(Luminance(a), Luminance(b));
  const double darker = std::min(Luminance(a), Luminance(b));
  return (lighter + 0.05) / (darker + 0.05);
}

constexpr double kReadable = 4.5;

// A dark scheme as the desktops ship it: light text on dark bases, a light-blue link colour,
// grey disabled text.
QPalette DarkScheme() {
  QPalette colors;
  const QColor light(0xfc, 0xfc, 0xfc);
  colors.setColor(QPalette::Window, QColor(0x20, 0x23, 0x26));
  colors.setColor(QPalette::WindowText, light);
  colors.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
  colors.setColor(QPalette::AlternateBase, QColor(0x1d, 0x1f, 0x22));
  colors.setColor(QPalette::Text, light);
  colors.setColor(QPalette::Button, QColor(0x29, 0x2c, 0x30));
  colors.setColor(QPalette::ButtonText, light);
  colors.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
  colors.setColor(QPalette::HighlightedText, light);
  colors.setColor(QPalette::PlaceholderText, QColor(0xa1, 0xa9, 0xb1));
  colors.setColor(QPalette::Link, QColor(0x1d, 0x99, 0xf3));
  colors.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6e, 0x71, 0x75));
  colors.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6e, 0x71, 0x75));
  colors.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6e, 0x71, 0x75));
  colors.setColor(QPalette::Disabled, QPalette::Base, QColor(0x1b, 0x1d, 0x20));
  return colors;
}

// The application's scheme for the life of the object; the one before comes back after.
class Scheme {
 public:
  explicit Scheme(const QPalette& colors) : before_(QApplication::palette()) { Set(colors); }
  ~Scheme() { Set(before_); }
  static void Set(const QPalette& colors) {
    QApplication::setPalette(colors);
    QApplication::processEvents();
  }

 private:
  QPalette before_;
};

// How many pixels of the first page of a PDF file are dark (ink on white paper), as poppler
// renders it; -1 when it cannot be rendered.
int DarkPixelsOnFirstPage(const QString& pdf) {
  QProcess render;
  render.start(
      QStringLiteral("pdftoppm"),
      {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-f"),
       QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf, pdf});
  if (!render.waitForFinished(60000) || render.exitCode() != 0)
    return -1;
  QImage page;
  for (const QString& suffix : {QStringLiteral("-1.pgm"), QStringLiteral("-01.pgm")}) {
    if (page.load(pdf + suffix))
      break;
  }
  if (page.isNull())
    return -1;
  page = page.convertToFormat(QImage::Format_Grayscale8);
  int dark = 0;
  for (int y = 0; y < page.height(); ++y) {
    const uchar* line = page.constScanLine(y);
    dark += int(std::count_if(line, line + page.width(), [](uchar v) { return v < 128; }));
  }
  return dark;
}

class DarkSchemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("names.qdx", "Meier,Anna\r\nAdler,Bernd\r\n");
    dir_.Write("adresse.qdx",
               "[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nFirma=Lindner GmbH\r\n"
               "Ort=Berlin\r\n[Adler,Bernd]\r\nVorname=Bernd\r\nName=Adler\r\nOrt=Bonn\r\n");
  }

  void OpenProgram() {
    form_ = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(dir_.Path()));
    app::CreateOtherWindows(*form_);
    form_->show();
    QApplication::processEvents();
    // The user chooses an entry: its record is shown in the disabled fields.
    auto* list = form_->findChild<QListView*>(QStringLiteral("ListBox1"));
    ASSERT_NE(list, nullptr);
    const QModelIndex first = list->model()->index(0, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(first).center());
  }

  // Every record field is disabled while browsing and draws its text readably on its base.
  void ExpectRecordFieldsReadable(const char* when) const {
    for (const store::FieldDef& def : store::Fields()) {
      const auto* edit = form_->findChild<QLineEdit*>(QLatin1String(def.control));
      ASSERT_NE(edit, nullptr) << def.control;
      EXPECT_FALSE(edit->isEnabled()) << def.control;
      const QPalette& colors = edit->palette();
      const QColor text = colors.color(QPalette::Disabled, QPalette::Text);
      const QColor base = colors.color(QPalette::Disabled, QPalette::Base);
      EXPECT_GE(Contrast(text, base), kReadable)
          << when << ": " << def.control << " draws " << text.name().toStdString() << " on "
          << base.name().toStdString();
    }
  }

  testsupport::TempDataDir dir_;
  testsupport::PdfPrintDialogs dialogs_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(DarkSchemeTest, recordFieldsStayReadable_whenTheSchemeTurnsDarkAndLightAgainWhileOpen) {
  const QPalette light = QApplication::palette();
  OpenProgram();
  ASSERT_FALSE(form_->findChild<QLineEdit*>(QLatin1String(store::Fields()[store::kName].control))
                   ->text()
                   .isEmpty());
  ExpectRecordFieldsReadable("light");
  {
    Scheme dark(DarkScheme());
    ExpectRecordFieldsReadable("switched to dark");
  }
  ExpectRecordFieldsReadable("back to light");
  EXPECT_EQ(QApplication::palette().color(QPalette::Text), light.color(QPalette::Text));
}

TEST_F(DarkSchemeTest, recordFieldsAreReadable_whenTheProgramStartsInADarkScheme) {
  Scheme dark(DarkScheme());
  OpenProgram();
  ExpectRecordFieldsReadable("started dark");
}

TEST_F(DarkSchemeTest, aboutBoxWebAddressIsReadableInEitherScheme) {
  OpenProgram();
  auto* link = form_->findChild<widgets::THyperlink*>(QStringLiteral("Hyperlink1"));
  ASSERT_NE(link, nullptr);
  auto readable = [&link](const char* when) {
    const QPalette& colors = link->palette();
    const QColor text = colors.color(link->foregroundRole());
    const QColor ground = colors.color(link->backgroundRole());
    EXPECT_GE(Contrast(text, ground), kReadable)
        << when << ": " << text.name().toStdString() << " on " << ground.name().toStdString();
  };
  readable("light");
  {
    Scheme dark(DarkScheme());
    readable("switched to dark");
  }
  Scheme dark(DarkScheme());
  widgets::TAboutBox startedDark;
  link = startedDark.findChild<widgets::THyperlink*>(QStringLiteral("Hyperlink1"));
  ASSERT_NE(link, nullptr);
  readable("started dark");
}

// Paper is white whatever the screen shows: a report prints the same in either scheme.
TEST_F(DarkSchemeTest, printedBlockAndTableViewsAreTheSameDarkInkInEitherScheme) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
    GTEST_SKIP() << "pdftoppm is not installed";
  OpenProgram();
  auto* form8 = form_->findChild<TForm8*>(QStringLiteral("Form8"));
  ASSERT_NE(form8, nullptr);
  form8->show();
  form8->findChild<QAbstractButton*>(QStringLiteral("ToolbarButton972"))->click();
  form8->findChild<QAction*>(QStringLiteral("AusmarkiertenDatenBerichterstellen1"))->trigger();
  auto* pages = form8->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(pages, nullptr);
  auto* print = form8->findChild<QAbstractButton*>(QStringLiteral("ToolbarButton971"));
  ASSERT_NE(print, nullptr);
  auto showPage = [pages](const QString& title) {
    for (int i = 0; i < pages->count(); ++i) {
      if (pages->tabText(i) == title)
        pages->setCurrentIndex(i);
    }
  };
  // Prints the block view and the table view; the dark pixels of each first page.
  auto printBoth = [&](const QString& scheme) {
    showPage(QStringLiteral("Blockansicht"));
    dialogs_.outputFile = dir_.File(scheme + QStringLiteral("-block.pdf"));
    dialogs_.AnswerNext(QStringLiteral("OK"));
    dialogs_.printAnswers.enqueue(true);
    print->click();
    const int block = DarkPixelsOnFirstPage(dialogs_.outputFile);

    showPage(QStringLiteral("Tabelle"));
    const QString tablePdf = dir_.File(scheme + QStringLiteral("-table.pdf"));
    dialogs_.modalAnswers.enqueue([](QDialog& options) {
      options.findChild<QAbstractButton*>(QStringLiteral("Button1"))->click();
      return options.result();
    });
    dialogs_.modalAnswers.enqueue([tablePdf](QDialog& dialog) {
      auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
      auto* widget = dialog.findChild<QPrintPreviewWidget*>();
      if (!preview || !widget)
        return int(QDialog::Rejected);
      widget->updatePreview();
      preview->printer()->setOutputFormat(QPrinter::PdfFormat);
      preview->printer()->setOutputFileName(tablePdf);
      widget->print();
      return int(QDialog::Rejected);
    });
    print->click();
    return std::make_pair(block, DarkPixelsOnFirstPage(tablePdf));
  };

  const auto light = printBoth(QStringLiteral("light"));
  ASSERT_GT(light.first, 0) << "block view";
  ASSERT_GT(light.second, 0) << "table view";
  Scheme dark(DarkScheme());
  const auto darkPrint = printBoth(QStringLiteral("dark"));
  EXPECT_EQ(darkPrint.first, light.first) << "block view";
  EXPECT_EQ(darkPrint.second, light.second) << "table view";
  form8->hide();
}

}  // namespace
