// The report generator left open while another workstation deletes, purges, renames or saves
// anew records of its record list: each build reads the record store as it is then.
#include <QFile>

#include "store/datafiles.h"
#include "store/fieldtable.h"
#include "tests/reports/form8_fixture.h"
#include "tests/support/recordvalues.h"

using namespace reporttest;

namespace {

using testsupport::Values;

TEST_F(Form8Test, recordsChangedElsewhereWhileOpen_buildSavePrintAndBuildAgain) {
  dir.Write("names.qdx", "Beck,Bea\r\nM\xfcller,Anna\r\nZander,Zoe\r\n");
  Show();
  NewReport();
  for (int field = 0; field < 15; ++field)
    SetChecked("CheckListBox1", field, field == 7);  // "Ort" alone

  store::DataFiles there(dir.Path());
  const QString muller = QStringLiteral("M\u00fcller,Anna");
  ASSERT_TRUE(there.DeleteRecord(muller));
  there.PurgeRecords({muller});
  const QString beck = "Beck,Bea";
  ASSERT_TRUE(there.RemoveFromNames(beck));  // renamed: the old section stays unlisted
  ASSERT_EQ(there.SaveRecord("Beck,Ben", Values("Beck", "Ben", "Neu-Ort"), &beck),
            store::DataFiles::SaveOutcome::Saved);
  const QString zander = "Zander,Zoe";
  ASSERT_TRUE(there.RemoveFromNames(zander));
  ASSERT_EQ(there.SaveRecord(zander, Values("Zander", "Zoe", "Anders-Ort"), &zander),
            store::DataFiles::SaveOutcome::Saved);
  there.AddToNames(zander);

  Build();
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(form->GridRowCount(), 4);
  EXPECT_EQ(form->GridCell(1, 1), "Beck-Ort");  // the entry names the old key's section
  EXPECT_EQ(form->GridCell(1, 2), store::MissingValue());
  EXPECT_EQ(form->GridCell(1, 3), "Anders-Ort");

  SaveAs(dir.File("bericht.txt"));
  EXPECT_FALSE(form->BlockModified());
  EXPECT_TRUE(dir.Read("bericht.sgr").contains("3=Anders-Ort\r\n"));
  testsupport::PdfPrintDialogs printing;  // answers the dialogs from here on
  printing.outputFile = dir.File("block.pdf");
  printing.AnswerNext("OK");
  printing.printAnswers.enqueue(true);
  Click("ToolbarButton971");
  EXPECT_EQ(printing.printDialogs, 1);
  EXPECT_TRUE(QFile::exists(printing.outputFile));

  Build();
  EXPECT_EQ(form->GridRowCount(), 4);
  EXPECT_EQ(form->BlockLines().count("Ort: Anders-Ort"), 2);
}

}  // namespace
