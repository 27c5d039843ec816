// Record display: clicking and moving through the list, decorated entries, missing sections,
// the list's mouse press and the popup items, and the update notice.
#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

using DisplayTest = MainWindowTest;

const QByteArray kNames = "Abel,Bert\r\nMeier,Anna\r\nZorn,Zoe\r\n";
const QByteArray kStore =
    Section("Abel,Bert",
            {{store::kVorname, "Bert"}, {store::kName, "Abel"}, {store::kOrt, "K\xF6ln"}}) +
    Section("Meier,Anna", {{store::kVorname, "Anna"},
                           {store::kName, "Meier"},
                           {store::kStrasse,
                            "Stra\xDF"
                            "e 1"},
                           {store::kIRuf, "123"}}) +
    // Written by hand on another workstation: keys in other spelling, Fax missing.
    "[zorn,zoe]\r\nvorname=Zoe\r\nNAME=Zorn\r\nPosition=\r\nKurzzeichen=\r\nFirma=\r\n"
    "Strasse=\r\nplz=12345\r\nOrt=\r\nTelefon1=\r\nTelefon2=\r\nHandy=\r\nemail=\r\n"
    "Kurzwahl=\r\nIRUF=\r\n";

TEST_F(DisplayTest, clickShowsTheRecordReadAfresh) {
  Open(kNames, kStore);
  ClickRow(1);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  EXPECT_EQ(Edit(store::kStrasse)->text(), QStringLiteral("Straße 1"));
  EXPECT_EQ(Edit(store::kIRuf)->text(), QStringLiteral("123"));
  EXPECT_EQ(Edit(store::kFax)->text(), QString());  // stored empty
  EXPECT_FALSE(Edit(store::kName)->isEnabled());

  // Saved meanwhile on another workstation: clicking the same entry again shows the change.
  QByteArray changed = kStore;
  changed.replace("IRuf=123", "IRuf=456");
  data.Write(QStringLiteral("adresse.qdx"), changed);
  ClickRow(1);
  EXPECT_EQ(Edit(store::kIRuf)->text(), QStringLiteral("456"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(DisplayTest, keysMatchWithoutLetterCaseAndAMissingKeyReadsError) {
  Open(kNames, kStore);
  ClickRow(2);
  EXPECT_EQ(Edit(store::kVorname)->text(), QStringLiteral("Zoe"));
  EXPECT_EQ(Edit(store::kPLZ)->text(), QStringLiteral("12345"));
  EXPECT_EQ(Edit(store::kFax)->text(), QStringLiteral("Error"));
  EXPECT_EQ(Edit(store::kEMail)->text(), QString());
}

TEST_F(DisplayTest, cursorKeysShowEachRecordInTurn) {
  Open(kNames, kStore);
  ClickRow(0);
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));
  QTest::keyClick(List(), Qt::Key_Up);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
}

TEST_F(DisplayTest, listedRecordWithoutSectionShowsErrorEverywhereWithoutMessage) {
  Open("Abel,Bert\r\nLeer,Lena\r\n", kStore);
  ClickRow(1);
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QStringLiteral("Error")));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(DisplayTest, decoratedEntryShowsTheRecordOfItsKey) {
  Open(kNames, kStore);
  // Only the internal-number view decorates its entries.
  Click("Button3");
  const int row = int(Entries().indexOf(QStringLiteral("Meier,Anna @ 123")));
  ASSERT_GE(row, 0) << Entries().join('|').toStdString();
  ClickRow(row);
  EXPECT_EQ(Edit(store::kVorname)->text(), QStringLiteral("Anna"));
  EXPECT_EQ(Edit(store::kIRuf)->text(), QStringLiteral("123"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(DisplayTest, rightPressSelectsWithoutShowingAndEnablesThePopupItems) {
  Open(kNames, kStore);
  ClickRow(0);
  PressBelowLastEntry(Qt::RightButton);
  ClickRow(2, Qt::RightButton);
  EXPECT_EQ(form->SelectedListIndex(), 2);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Abel"));
  for (const char* name : {"Lschen1", "Lschen2", "Bearbeiten1"}) {
    EXPECT_TRUE(Item(name)->isEnabled()) << name;
  }
}

TEST_F(DisplayTest, pressBelowTheLastEntryDisablesEditAndDeleteAndKeepsTheSelection) {
  Open(kNames, kStore);
  ClickRow(1);
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    PressBelowLastEntry(button);
    EXPECT_EQ(form->SelectedListIndex(), 1);
    for (const char* name : {"Lschen1", "Lschen2", "Bearbeiten1"}) {
      EXPECT_FALSE(Item(name)->isEnabled()) << name;
    }
    EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  }
  // The main menu's delete then does nothing: it runs the popup item only while enabled.
  form->Lschen2Click();
  EXPECT_EQ(Names(), kNames);
}

TEST_F(DisplayTest, entryNoLongerListedShowsTheUpdateNoticeAndRefreshesTheList) {
  Open(kNames, kStore);
  // Deleted on another workstation after this list was loaded.
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nZorn,Zoe\r\n");
  ClickRow(1);
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral(
                "Daten können nicht aktualisiert werden!\r Möglicherweise arbeiten Sie mit "
                "ungültigen Einträgen.\r Klicken Sie einen Namen an, um eine "
                "Datenaktualisierung zu erzielen!")});
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  // The notice is given once; the next display is plain.
  ClickRow(1);
  EXPECT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));
}

// The list shows its entries; a double click opens no editor on one, and no entry is editable
// (F2, the edit key of lists, is the new-record command here).
TEST_F(DisplayTest, entriesCannotBeEditedInTheList) {
  Open(kNames, kStore);
  ClickRow(1);
  const QPoint at = List()->visualRect(Row(1)).center();
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_TRUE(List()->findChildren<QLineEdit*>().isEmpty());  // no editor was opened
  EXPECT_FALSE(List()->model()->flags(Row(1)) & Qt::ItemIsEditable);
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(Edit(store::kName)->text(), "Meier");
}

}  // namespace
}  // namespace mainwindowtest
