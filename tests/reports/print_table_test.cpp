#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "reports/grid.h"
#include "reports/tablelayout.h"
#include "reports/tform12.h"
#include "reports/tquickreport11.h"
#include "tests/support/scripteddialogs.h"

namespace {

using platform::ReportPage;

// A grid of `fields` columns besides the fixed one and `records` rows besides the header:
// captions "F1".."Fk", cells "r<row>c<column>".
reports::Grid MakeGrid(int fields, int records) {
  reports::Grid grid = reports::Grid::Sized(fields + 1, records + 1, 1, 1);
  for (int c = 1; c <= fields; ++c)
    grid.SetCell(c, 0, QStringLiteral("F%1").arg(c));
  for (int r = 1; r <= records; ++r) {
    grid.SetCell(0, r, QString::number(r));
    for (int c = 1; c <= fields; ++c)
      grid.SetCell(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
  }
  return grid;
}

QFont GridFont() {
  return QFont(QStringLiteral("Courier New"), 12, QFont::Bold);
}

// The texts one label printed on a page, in order.
QStringList TextsOf(const ReportPage& page, const QString& label) {
  QStringList texts;
  for (const auto& text : page.texts) {
    if (page.SourceOf(text)->name == label)
      texts.append(text.text);
  }
  return texts;
}

QList<qreal> LeftEdges(const ReportPage& page, const QString& band) {
  QList<qreal> lefts;
  for (const auto& text : page.texts) {
    if (page.SourceOf(text)->name.startsWith("QRLabel") &&
        (band == "header" ? page.PosOf(text).y() < 40
                          : page.PosOf(text).y() >= 40 && page.PosOf(text).y() < 67)) {
      lefts.append(page.PosOf(text).x());
    }
  }
  return lefts;
}

TEST(ColumnStep, twoHundredUpToFiveFields_thenThousandSharedOut) {
  EXPECT_EQ(reports::ColumnStepFor(2), 200);
  EXPECT_EQ(reports::ColumnStepFor(6), 200);
  EXPECT_EQ(reports::ColumnStepFor(7), 167);
  EXPECT_EQ(reports::ColumnStepFor(16), 67);
  EXPECT_EQ(reports::SlotLeft(14, 67), 948);
}

struct Placement {
  int fields;
  int step;
  QList<qreal> lefts;
};

TEST(TQuickReport11, columnPlacement_forOneFiveSixAndFifteenFields) {
  const QList<Placement> cases = {
      {1, 200, {10}},
      {5, 200, {10, 210, 410, 610, 810}},
      {6, 167, {10, 177, 344, 511, 678, 845}},
      {15, 67, {10, 77, 144, 211, 278, 345, 412, 479, 546, 613, 680, 747, 814, 881, 948}},
  };
  for (const Placement& c : cases) {
    SCOPED_TRACE(c.fields);
    TQuickReport11 report;
    const reports::Grid grid = MakeGrid(c.fields, 1);
    const reports::GridTableSource table(grid, GridFont());
    report.PrepareTable(table, true);
    EXPECT_EQ(report.ColumnStep, c.step);
    for (int slot = 0; slot < reports::kColumnSlots; ++slot) {
      EXPECT_EQ(report.QRLabel(slot + 1).visible, slot < c.fields);
      EXPECT_EQ(report.QRLabel(slot + 16).visible, slot < c.fields);
      EXPECT_EQ(report.QRLabel(slot + 1).font, GridFont());
      EXPECT_EQ(report.QRLabel(slot + 16).font, GridFont());
    }
    const std::vector<ReportPage> pages = report.LayOut();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(LeftEdges(pages[0], "header"), c.lefts);
    EXPECT_EQ(LeftEdges(pages[0], "detail"), c.lefts);
    EXPECT_EQ(TextsOf(pages[0], QStringLiteral("QRLabel%1").arg(c.fields)),
              QStringList{QStringLiteral("F%1").arg(c.fields)});
    EXPECT_EQ(TextsOf(pages[0], QStringLiteral("QRLabel%1").arg(c.fields + 15)),
              QStringList{QStringLiteral("r1c%1").arg(c.fields)});
  }
}

TEST(TQuickReport11, narrowerPrintAfterWiderOne_hidesTheSlotsBeyondItsColumns) {
  testsupport::ScriptedDialogs dialogs;  // the preview closes at once
  TQuickReport11 report;
  const reports::Grid wide = MakeGrid(15, 2);
  const reports::Grid narrow = MakeGrid(2, 2);
  report.PrintTable(reports::GridTableSource(wide, GridFont()), true, nullptr);
  EXPECT_EQ(dialogs.modalWindows, QStringList{"ReportPreview"});
  const reports::GridTableSource table(narrow, QFont());
  report.PrepareTable(table, true);
  const std::vector<ReportPage> pages = report.LayOut();
  EXPECT_EQ(LeftEdges(pages[0], "header"), (QList<qreal>{10, 210}));
  for (int k = 3; k <= 15; ++k)
    EXPECT_TRUE(TextsOf(pages[0], QStringLiteral("QRLabel%1").arg(k)).isEmpty());

  // And wider again: every column of the current table comes back.
  const reports::GridTableSource wideTable(wide, QFont());
  report.PrepareTable(wideTable, true);
  EXPECT_EQ(LeftEdges(report.LayOut()[0], "detail").size(), 15);
}

TEST(TQuickReport11, rowsOneToLastInOrderOverSeveralPages_headerAndPageNumberOnEach) {
  TQuickReport11 report;
  const reports::Grid grid = MakeGrid(3, 60);  // 23 rows fit on a page: 23 + 23 + 14
  const reports::GridTableSource table(grid, QFont());
  report.PrepareTable(table, true);
  const std::vector<ReportPage> pages = report.LayOut();
  ASSERT_EQ(pages.size(), 3u);
  QStringList firstColumn;
  for (size_t p = 0; p < pages.size(); ++p) {
    EXPECT_EQ(TextsOf(pages[p], "QRLabel1"), QStringList{"F1"});
    EXPECT_EQ(TextsOf(pages[p], "QRLabel3"), QStringList{"F3"});
    EXPECT_EQ(TextsOf(pages[p], "QRSysData1"), QStringList{QString::number(p + 1)});
    firstColumn += TextsOf(pages[p], "QRLabel16");
  }
  ASSERT_EQ(firstColumn.size(), 60);
  for (int r = 1; r <= 60; ++r)
    EXPECT_EQ(firstColumn[r - 1], QStringLiteral("r%1c1").arg(r));
  EXPECT_EQ(TQuickReport11::PrintRow, 61);

  // The page number sits at 505, 12 in the footer, which ends at the bottom margin.
  for (const auto& text : pages[2].texts) {
    if (pages[2].SourceOf(text) == report.QRSysData1) {
      EXPECT_EQ(pages[2].PosOf(text).x(), 505);
      EXPECT_NEAR(pages[2].PosOf(text).y(), 718.1 - 40 + 12, 0.5);
      EXPECT_EQ(pages[2].StyleOf(text).font, QFont(QStringLiteral("Arial"), 10));
    }
  }
}

TEST(TQuickReport11, separatorLines_dashedUnderEveryRowOnlyWhenTicked) {
  TQuickReport11 report;
  const reports::Grid grid = MakeGrid(2, 3);
  const reports::GridTableSource table(grid, QFont());
  report.PrepareTable(table, true);
  auto lines = report.LayOut()[0].lines;
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].style, Qt::SolidLine);
  EXPECT_EQ(lines[0].line.y1(), 40);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(lines[i].style, Qt::DashLine);
    EXPECT_EQ(lines[i].line.y1(), 40 + 27 * i);
  }

  report.PrepareTable(table, false);
  lines = report.LayOut()[0].lines;
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].style, Qt::SolidLine);
}

TEST(TQuickReport11, onlyDataRowEmpty_printsOneBandWithEmptyTextsAndItsLine) {
  TQuickReport11 report;
  reports::Grid grid = reports::Grid::Reset();
  grid.SetCell(1, 0, "Name");
  const reports::GridTableSource table(grid, QFont());
  report.PrepareTable(table, true);
  const std::vector<ReportPage> pages = report.LayOut();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(TextsOf(pages[0], "QRLabel1"), QStringList{"Name"});
  EXPECT_EQ(TextsOf(pages[0], "QRLabel16"), QStringList{QString()});
  EXPECT_EQ(pages[0].lines.size(), 2u);
}

TEST(TQuickReport11, handlers_beforePrintResetsAndNeedDataAnswersUpToLastRow) {
  TQuickReport11 report;
  const reports::Grid grid = MakeGrid(1, 2);  // r = 3
  const reports::GridTableSource table(grid, QFont());
  report.PrepareTable(table, false);

  TQuickReport11::PrintRow = 77;
  bool print = true;
  report.QuickReport11BeforePrint(print);
  EXPECT_EQ(TQuickReport11::PrintRow, 0);
  EXPECT_TRUE(print);

  QList<bool> answers;
  for (bool preset : {true, false, false}) {
    bool more = preset;
    report.QuickReport11NeedData(more);
    answers.append(more);
  }
  EXPECT_EQ(answers, (QList<bool>{true, true, false}));
  EXPECT_EQ(TQuickReport11::PrintRow, 3);

  for (bool preset : {true, false}) {
    bool more = preset;
    report.QRSubDetail1NeedData(more);
    EXPECT_EQ(more, preset);
  }

  TQuickReport11::PrintRow = 2;
  QString value = "placeholder";
  report.QRLabel16Print(report.QRLabel(16), value);
  EXPECT_EQ(value, "r2c1");
  report.QRLabel1Print(report.QRLabel(1), value);
  EXPECT_EQ(value, "F1");

  // A second run starts again at row 1.
  EXPECT_EQ(TextsOf(report.LayOut()[0], "QRLabel16"), (QStringList{"r1c1", "r2c1"}));
  EXPECT_EQ(TextsOf(report.LayOut()[0], "QRLabel16"), (QStringList{"r1c1", "r2c1"}));
}

TEST(TQuickReport11, designSettings_a4LandscapeTenMillimetreMarginsAndBands) {
  TQuickReport11 report;
  EXPECT_EQ(report.objectName(), "QuickReport11");
  const platform::ReportPageSettings& page = report.Report().page;
  EXPECT_EQ(page.paper, QPageSize::A4);
  EXPECT_EQ(page.orientation, QPageLayout::Landscape);
  EXPECT_EQ(page.marginsMm, QMarginsF(10, 10, 10, 10));
  EXPECT_NEAR(page.PrintableSizePx().width(), 1047, 0.5);
  EXPECT_EQ(report.QRBand1->height, 40);
  EXPECT_EQ(report.QRSubDetail1->height, 27);
  EXPECT_EQ(report.QRBand3->height, 40);
  EXPECT_EQ(report.QRLabel(1).top, 16);
  EXPECT_EQ(report.QRLabel(30).top, 5);
  EXPECT_EQ(report.QRSysData1->left, 505);
  EXPECT_EQ(report.QRSysData1->top, 12);
}

TEST(TForm12, designAndResults_tickLastsBetweenShowings) {
  TForm12 form;
  EXPECT_EQ(form.windowTitle(), "Information");
  EXPECT_EQ(form.size(), QSize(246, 138));
  EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), "Es wird die Tabellenansicht gedruckt!");
  auto* box = form.findChild<QCheckBox*>("CheckBox1");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), "Horizontale Trennungslinien");
  EXPECT_TRUE(box->isChecked());
  auto* ok = form.findChild<QPushButton*>("Button1");
  auto* cancel = form.findChild<QPushButton*>("Button2");
  EXPECT_EQ(ok->text(), "&OK");
  EXPECT_EQ(cancel->text(), "&Abbrechen");

  form.show();
  box->click();
  ok->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_FALSE(form.isVisible());

  form.show();
  EXPECT_FALSE(box->isChecked());
  cancel->click();
  EXPECT_EQ(form.result(), QDialog::Rejected);

  form.setResult(QDialog::Accepted);
  form.show();
  form.close();  // the title bar's close box
  EXPECT_EQ(form.result(), QDialog::Rejected);
}

}  // namespace
