// The report generator's save under a failing disk: a report saved before stays whole, the
// user sees the German message, and the same window saves once the fault is gone.
#include <QDir>

#include "reports/companion.h"
#include "store/fileio.h"
#include "store/messages.h"
#include "tests/reports/form8_fixture.h"

namespace {

class ReportSaveFaultTest : public reporttest::Form8Test {
 protected:
  void TearDown() override { store::SetFaultHook({}); }
  void BuildReport(int field) {
    NewReport();
    Click("CheckBox2");
    SetChecked("CheckListBox1", field, true);
    Build();
  }
};

TEST_F(ReportSaveFaultTest, replacingAReport_textFileBusy_oldReportKept_savedOnceFreed) {
  Show();
  BuildReport(0);
  SaveAs(dir.File("r.txt"));
  const QByteArray oldText = dir.Read("r.txt");
  ASSERT_FALSE(oldText.isEmpty());

  BuildReport(7);
  const QByteArray newCompanion = reports::WriteCompanion(dir.Read("r.sgr"), form->GridData());
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Rename && path.endsWith(".txt");
  });
  SaveAs(dir.File("r.txt"));
  EXPECT_EQ(dialogs.Texts().last(), store::CannotCreateMessage(dir.File("r.txt")));
  EXPECT_EQ(dir.Read("r.txt"), oldText);       // the old report, whole
  EXPECT_EQ(dir.Read("r.sgr"), newCompanion);  // written first, whole
  EXPECT_TRUE(form->BlockModified());
  EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files).size(), 3);  // no temporary file left

  store::SetFaultHook({});
  SaveAs(dir.File("r.txt"));
  EXPECT_FALSE(form->BlockModified());
  EXPECT_NE(dir.Read("r.txt"), oldText);
  Open(dir.File("r.txt"));
  EXPECT_EQ(form->GridData(), reports::ReadCompanion(newCompanion));
}

TEST_F(ReportSaveFaultTest, companionDiskFull_neitherFileChanged_savedOnceFreed) {
  Show();
  BuildReport(0);
  SaveAs(dir.File("r.txt"));
  const QByteArray oldText = dir.Read("r.txt");
  const QByteArray oldCompanion = dir.Read("r.sgr");

  BuildReport(7);
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.endsWith(".sgr");
  });
  SaveAs(dir.File("r.txt"));
  EXPECT_EQ(dialogs.Texts().last(), store::CannotWriteMessage(dir.File("r.sgr")));
  EXPECT_EQ(dir.Read("r.txt"), oldText);
  EXPECT_EQ(dir.Read("r.sgr"), oldCompanion);

  store::SetFaultHook({});
  SaveAs(dir.File("r.txt"));
  EXPECT_NE(dir.Read("r.sgr"), oldCompanion);
  EXPECT_FALSE(form->BlockModified());
}

}  // namespace
