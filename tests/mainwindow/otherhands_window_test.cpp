// The main window on data files that other hands left: a name index saved by an editor, and a
// key as an older version listed it. What the user sees, and what an edit then writes.
#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

class OtherHandsWindowTest : public MainWindowTest {
 protected:
  // Edits the record shown at row (F3 from the toolbar), changes its town and finishes the
  // entry; the save must go through without a message.
  void EditTownAndSave(int row, const QString& town) {
    ClickRow(row);
    Click("ToolbarButton972");
    ASSERT_TRUE(form->EntryUnderway());
    Type(store::kOrt, town);
    Trigger("Dateneingabebeenden1");
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_FALSE(form->EntryUnderway());
  }
};

QByteArray TwoRecords() {
  return Section("Meier,Anna",
                 {{store::kVorname, "Anna"}, {store::kName, "Meier"}, {store::kOrt, "Bonn"}}) +
         Section("Zander,Ina",
                 {{store::kVorname, "Ina"}, {store::kName, "Zander"}, {store::kOrt, "Ulm"}});
}

TEST_F(OtherHandsWindowTest, nameIndexSavedByAnEditor_listsItsKeysOnly_andAnEditSaves) {
  // UTF-8 with a byte-order mark, LF line ends, blank lines and a DOS end-of-file mark.
  Open("\xEF\xBB\xBFMeier,Anna\n\nZander,Ina\n  \n\x1A", TwoRecords());
  ASSERT_EQ(Entries(), QStringList({"Meier,Anna", "Zander,Ina"}));
  ClickRow(0);
  EXPECT_EQ(Edit(store::kOrt)->text(), "Bonn");

  EditTownAndSave(0, "Rom");
  EXPECT_EQ(Entries(), QStringList({"Meier,Anna", "Zander,Ina"}));
  const QByteArray names = Names();
  EXPECT_TRUE(names.startsWith("Meier,Anna\r\nZander,Ina\r\n")) << names.toStdString();
  EXPECT_EQ(store::RecordStore(Store()).Record("Meier,Anna")[store::kOrt], "Rom");
  EXPECT_EQ(store::RecordStore(Store()).Record("Zander,Ina")[store::kOrt], "Ulm");
}

TEST_F(OtherHandsWindowTest, keyListedWithBlankAtItsEnd_editIsSavedNotRefused) {
  Open("Meier,Anna \r\nZander,Ina\r\n", TwoRecords());
  ClickRow(0);
  ASSERT_EQ(Edit(store::kOrt)->text(), "Bonn");
  EditTownAndSave(0, "Rom");
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\nZander,Ina\r\n"));
  EXPECT_EQ(store::RecordStore(Store()).Record("Meier,Anna")[store::kOrt], "Rom");
}

// Its record is found under the key without the blank, so giving up its edit lists it again.
TEST_F(OtherHandsWindowTest, keyListedWithBlankAtItsEnd_editGivenUp_listedAgain) {
  Open("Meier,Anna \r\nZander,Ina\r\n", TwoRecords());
  ClickRow(0);
  Trigger("Datensatzbearbeiten1");
  ASSERT_TRUE(form->EntryUnderway());
  Trigger("Dateneingabeabbrechen1");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), QByteArray("Meier,Anna \r\nZander,Ina\r\n"));
  EXPECT_EQ(Entries(), (QStringList{"Meier,Anna ", "Zander,Ina"}));
}

TEST_F(OtherHandsWindowTest, positionTypedInQuotes_isShownWithThemAfterSaving) {
  Open("Zander,Ina\r\n", TwoRecords());
  Click("ToolbarButton971");
  FillNames("Abel", "Karl");
  Type(store::kPosition, "\"Chef\"");
  Type(store::kOrt, " Hof");
  Trigger("Dateneingabebeenden1");
  ASSERT_FALSE(form->EntryUnderway());
  ASSERT_EQ(Entries(), QStringList({"Abel,Karl", "Zander,Ina"}));
  ClickRow(1);
  ClickRow(0);
  EXPECT_EQ(Edit(store::kPosition)->text(), "\"Chef\"");
  EXPECT_EQ(Edit(store::kOrt)->text(), " Hof");
}

}  // namespace
}  // namespace mainwindowtest
