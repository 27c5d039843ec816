// The report generator on a new office's first day: an empty name index, no record store.
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "reports/tform12.h"
#include "reports/tquickreport11.h"
#include "tests/reports/form8_fixture.h"

using namespace reporttest;

namespace {

class Form8FirstDayTest : public Form8Test {
 public:
  void SetUp() override {
    dir.Write("names.qdx", "");
    mainList.clear();
    form = std::make_unique<TForm8>([this] { return mainList; },
                                    std::make_shared<store::AddressBook>(dir.Path()));
    form->SetPrintWindows(&form12, &quickReport11);
  }
  QStringList Files() const {
    return QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }

  TForm12 form12;
  TQuickReport11 quickReport11;
};

}  // namespace

// Building, saving and printing a report of no records says nothing of a failure and touches
// no data file.
TEST_F(Form8FirstDayTest, buildSaveAndPrintOfNoRecords_sayNothing_writeOnlyTheReport) {
  Show();
  NewReport();
  Click("CheckBox2");  // every field
  Build();
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_EQ(form->GridRowCount(), 2);
  SaveAs(dir.File("bericht"));
  EXPECT_TRUE(dir.Exists("bericht.txt"));

  auto* pages = Get<QTabWidget>("PageControl1");
  for (int i = 0; i < pages->count(); ++i) {
    if (pages->tabText(i) == QStringLiteral("Tabelle"))
      pages->setCurrentIndex(i);
  }
  dialogs.modalAnswers.enqueue([](QDialog& dialog) {
    dialog.findChild<QAbstractButton*>("Button1")->click();
    return dialog.result();
  });
  int previewPages = -1;
  dialogs.modalAnswers.enqueue([&previewPages](QDialog& dialog) {
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    if (widget) {
      widget->updatePreview();
      previewPages = widget->pageCount();
    }
    return int(QDialog::Rejected);
  });
  Click("ToolbarButton971");
  EXPECT_EQ(dialogs.modalWindows, (QStringList{"Form12", "ReportPreview"}));
  EXPECT_EQ(previewPages, 1);

  NewReport();  // the report is saved: no question
  Open(dir.File("bericht.txt"));
  EXPECT_EQ(form->GridRowCount(), 2);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Files(), (QStringList{"bericht.sgr", "bericht.txt", "names.qdx"}));
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray());
}
