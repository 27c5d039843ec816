// The build command through the window: one probe per build, blocks appended, table rebuilt.
#include <QApplication>
#include <QTest>

#include "store/messages.h"
#include "tests/reports/form8_fixture.h"

using namespace reporttest;

namespace {

QStringList Block(const QString& heading, const QStringList& fieldLines) {
  return QStringList{heading, " "} + fieldLines + QStringList{" ", " "};
}

}  // namespace

TEST_F(Form8Test, buildTwice_rebuildsTableAndAppendsSecondSetOfBlocks) {
  Show();
  NewReport();
  Click("CheckBox2");
  SetChecked("CheckListBox1", 7, true);  // "Ort"
  SetChecked("CheckListBox2", 1, false);
  Click("ToolbarButton973");
  const QStringList once =
      Block("Beck,Bea", {"Ort: Beck-Ort"}) + Block("Zander,Zoe", {"Ort: Zander-Ort"});
  EXPECT_EQ(form->BlockLines(), once);
  EXPECT_EQ(form->GridColumnCount(), 2);
  EXPECT_EQ(form->GridRowCount(), 3);
  EXPECT_EQ(form->GridCell(1, 2), "Zander-Ort");

  Build();
  EXPECT_EQ(form->BlockLines(), once + once);
  EXPECT_EQ(form->GridRowCount(), 3);
  EXPECT_EQ(form->GridCell(0, 2), "2");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(Form8Test, internalNumberOption_headingKeepsDecoration_valuesFromUndecoratedKey) {
  mainList = {"Beck,Bea @ ", "M\u00fcller,Anna @ 123"};
  Show();
  NewReport();
  Click("CheckBox2");
  SetChecked("CheckListBox1", 14, true);
  Box("CheckBox1")->setChecked(true);
  Click("ToolbarButton9713");
  EXPECT_EQ(form->BlockLines(), Block("M\u00fcller,Anna @ 123", {"Interne Rufnummer: 123"}));
  EXPECT_EQ(form->GridRowCount(), 2);
  EXPECT_EQ(form->GridCell(1, 1), "123");
}

TEST_F(Form8Test, unreadableStore_probeMessageOncePerBuild_valuesReadError) {
  QFile::remove(dir.File("adresse.qdx"));
  Show();
  NewReport();
  Box("CheckBox1")->setChecked(true);
  Click("ToolbarButton9712");
  EXPECT_EQ(dialogs.Texts(), QStringList({store::StoreProbeFailureMessage()}));
  EXPECT_EQ(form->GridRowCount(), 4);
  EXPECT_EQ(form->GridCell(1, 1), "Error");
  EXPECT_EQ(form->BlockLines().size(), 3 * 19);
}

TEST_F(Form8Test, buildAfterOpen_appendsAfterOpenedText) {
  dir.Write("alt.txt", "erste\r\nzweite\r\n");
  Show();
  Open(dir.File("alt.txt"));
  NewReport();  // unmodified after the open: no question
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  Open(dir.File("alt.txt"));
  SetChecked("CheckListBox2", 0, true);
  Build();
  EXPECT_EQ(form->BlockLines(), QStringList({"erste", "zweite", "Beck,Bea", " ", " ", " "}));
  EXPECT_TRUE(form->BlockModified());
}

TEST_F(Form8Test, f12_buildsAgainWhileNotebookIsDisabled) {
  Show();
  NewReport();
  Build();
  const int lines = form->BlockLines().size();
  form->activateWindow();
  QApplication::setActiveWindow(form.get());
  QTest::keyClick(form.get(), Qt::Key_F12);
  EXPECT_EQ(form->BlockLines().size(), 2 * lines);
}
