// The edit cycle: the enabled flags of the three states, new, edit, cancel, the Enter chain
// and the clipboard commands.
#include <QApplication>
#include <QClipboard>

#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

using EditCycleTest = MainWindowTest;

const QByteArray kTwoRecords =
    Section("Abel,Bert",
            {{store::kVorname, "Bert"}, {store::kName, "Abel"}, {store::kOrt, "K\xF6ln"}}) +
    Section("Meier,Anna", {{store::kVorname, "Anna"},
                           {store::kName, "Meier"},
                           {store::kFirma, "Meier & S\xF6hne"},
                           {store::kIRuf, "123"}});

// Controls that are on while browsing and off during an entry, and the reverse.
const char* const kBrowseButtons[] = {"ToolbarButton971", "ToolbarButton972", "ToolbarButton973",
                                      "ToolbarButton974", "ToolbarButton979", "ToolbarButton9710"};
const char* const kEntryButtons[] = {"ToolbarButton975", "ToolbarButton976",  "ToolbarButton977",
                                     "ToolbarButton978", "ToolbarButton9711", "Button1"};
const char* const kBrowseItems[] = {"NeuerDatensatzerstellen1", "Datensatzbearbeiten1",
                                    "ReporterstellenDrucken1", "Bearbeiten2", "Lschen2"};
const char* const kEntryItems[] = {"Dateneingabeabbrechen1",
                                   "Dateneingabebeenden1",
                                   "Rckgngig1",
                                   "Ausschneiden1",
                                   "Kopieren1",
                                   "Einfgen1"};
// Controls the edit cycle leaves alone.
const char* const kUntouchedButtons[] = {"Button3", "ToolbarButton9712"};
const char* const kUntouchedItems[] = {
    "Beenden1", "GelschteDatenstzeendgltigverwerfen1", "G1", "Info1", "Bearbeiten1", "Lschen1"};

#define EXPECT_STATE(entry)                                   \
  do {                                                        \
    for (const char* name : kBrowseButtons)                   \
      EXPECT_EQ(Button(name)->isEnabled(), !(entry)) << name; \
    for (const char* name : kEntryButtons)                    \
      EXPECT_EQ(Button(name)->isEnabled(), (entry)) << name;  \
    for (const char* name : kBrowseItems)                     \
      EXPECT_EQ(Item(name)->isEnabled(), !(entry)) << name;   \
    for (const char* name : kEntryItems)                      \
      EXPECT_EQ(Item(name)->isEnabled(), (entry)) << name;    \
    for (const char* name : kUntouchedButtons)                \
      EXPECT_TRUE(Button(name)->isEnabled()) << name;         \
    EXPECT_FALSE(Button("ToolbarButton9713")->isEnabled());   \
    for (const char* name : kUntouchedItems)                  \
      EXPECT_TRUE(Item(name)->isEnabled()) << name;           \
    EXPECT_EQ(List()->isEnabled(), !(entry));                 \
    for (int i = 0; i < store::kFieldCount; ++i)              \
      EXPECT_EQ(Edit(i)->isEnabled(), (entry)) << i;          \
    EXPECT_EQ(form->EntryUnderway(), (entry));                \
  } while (false)

TEST_F(EditCycleTest, enabledFlagsInEveryState) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  EXPECT_STATE(false);

  Click("ToolbarButton971");
  EXPECT_STATE(true);
  Click("ToolbarButton9711");
  EXPECT_STATE(false);

  ClickRow(1);
  Click("ToolbarButton972");
  EXPECT_STATE(true);
  Trigger("Dateneingabeabbrechen1");
  EXPECT_STATE(false);

  ClickRow(0);
  Trigger("Bearbeiten2");  // F5
  EXPECT_STATE(true);
  Trigger("Dateneingabebeenden1");  // F12: saved unchanged
  EXPECT_STATE(false);
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(EditCycleTest, newRecordEmptiesAndEnablesFieldsWithFocusInFirstName) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  ClickRow(0);
  ASSERT_EQ(Edit(store::kOrt)->text(), QStringLiteral("Köln"));
  Trigger("NeuerDatensatzerstellen1");
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  EXPECT_TRUE(Edit(store::kVorname)->hasFocus());
  EXPECT_EQ(Entries().size(), 2);
}

TEST_F(EditCycleTest, enterVisitsEveryFieldInEditorOrderThenFinishes) {
  Open("", "");
  Click("ToolbarButton971");
  const char* const order[] = {"EVorname", "EName",  "EFirma", "EKurzzeichen", "EPosition",
                               "EStrasse", "EPLZ",   "EOrt",   "ETelefon1",    "ETelefon2",
                               "EFax",     "EHandy", "EEmail", "EKurzwahl",    "EIRuf"};
  for (int i = 0; i < 15; ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->objectName(), QLatin1String(order[i]));
    QTest::keyClicks(focused, QString::number(i));
    QTest::keyClick(focused, Qt::Key_Return);
  }
  // Enter in the last field ran the finish command: the entry "1,0" is saved.
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Entries(), QStringList{"1,0"});
  EXPECT_EQ(Names(), QByteArray("1,0\r\n"));
}

TEST_F(EditCycleTest, cancelAfterTypingLeavesEmptyDisabledFieldsAndFocusedList) {
  Open("Abel,Bert\r\n", kTwoRecords);
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Click("ToolbarButton9711");
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  EXPECT_TRUE(List()->hasFocus());
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\n"));
  EXPECT_EQ(Store(), kTwoRecords);
}

TEST_F(EditCycleTest, editTakesTheEntryOutOfListAndIndexAndKeepsTheValues) {
  Open("Abel,Bert\r\nMeier,Anna\r\nZorn,Zoe\r\n", kTwoRecords);
  ClickRow(1);
  Trigger("Datensatzbearbeiten1");
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\nZorn,Zoe\r\n"));
  EXPECT_EQ(Edit(store::kFirma)->text(), QStringLiteral("Meier & Söhne"));
  EXPECT_TRUE(Edit(store::kVorname)->hasFocus());
}

TEST_F(EditCycleTest, cancelledEditListsTheRecordAgainKeepingOtherWorkstationsChanges) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  ClickRow(1);
  Click("ToolbarButton972");
  Type(store::kOrt, QStringLiteral("Bonn"));
  // Meanwhile another workstation adds a record and deletes one.
  data.Write(QStringLiteral("names.qdx"), "Kurz,Karl\r\n");
  Click("ToolbarButton9711");
  EXPECT_EQ(Names(), QByteArray("Kurz,Karl\r\nMeier,Anna\r\n"));
  EXPECT_TRUE(Entries().contains(QStringLiteral("Meier,Anna")));
  EXPECT_EQ(Store(), kTwoRecords);
}

TEST_F(EditCycleTest, editWithNothingSelectedChangesNothing) {
  Open("Abel,Bert\r\n", kTwoRecords);
  Click("ToolbarButton972");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\n"));
}

TEST_F(EditCycleTest, editEditsTheSelectedRecordNotTheOneShownBefore) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  ClickRow(0);
  ClickRow(1, Qt::RightButton);  // selects Meier,Anna; the fields still show Abel,Bert
  ASSERT_EQ(Edit(store::kName)->text(), QStringLiteral("Abel"));
  Trigger("Bearbeiten1");
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\n"));
}

TEST_F(EditCycleTest, editOfARecordAnotherWorkstationDeletedDoesNotStart) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  ClickRow(1);
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\n");
  Click("ToolbarButton972");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(dialogs.boxes.size(), 1);  // the update notice
  EXPECT_EQ(Entries(), QStringList{"Abel,Bert"});
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\n"));
}

TEST_F(EditCycleTest, clipboardCommandsActOnTheFocusedField) {
  Open("", "");
  Click("ToolbarButton971");
  Type(store::kOrt, QStringLiteral("Bonn"));
  Edit(store::kOrt)->selectAll();
  Click("ToolbarButton976");  // copy
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Bonn"));
  Click("ToolbarButton975");  // cut
  EXPECT_TRUE(Edit(store::kOrt)->text().isEmpty());
  Click("ToolbarButton978");  // undo
  EXPECT_EQ(Edit(store::kOrt)->text(), QStringLiteral("Bonn"));
  Type(store::kStrasse, QString());
  Trigger("Einfgen1");  // paste
  EXPECT_EQ(Edit(store::kStrasse)->text(), QStringLiteral("Bonn"));
}

// Undo in a field goes back only over what was typed in this entry: the values of the record
// saved or given up before are gone for good, with the key and with the menu item alike.
TEST_F(EditCycleTest, undoInTheNextEntry_bringsBackNothingOfTheEntryBefore) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  ClickRow(1);
  Click("ToolbarButton972");
  Type(store::kOrt, QStringLiteral("Bonn"));
  Trigger("Dateneingabebeenden1");
  ASSERT_FALSE(form->EntryUnderway());
  Trigger("NeuerDatensatzerstellen1");
  QTest::keyClick(Edit(store::kOrt), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Edit(store::kOrt)->text(), QString());
  Edit(store::kName)->setFocus();
  Trigger("Rckgngig1");
  EXPECT_EQ(Edit(store::kName)->text(), QString());

  Type(store::kFirma, QStringLiteral("Acme"));
  Trigger("Dateneingabeabbrechen1");
  Trigger("NeuerDatensatzerstellen1");
  QTest::keyClick(Edit(store::kFirma), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Edit(store::kFirma)->text(), QString());
}

TEST_F(EditCycleTest, reportCommandRefreshesTheListThenRunsTheReportGenerator) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  QStringList seen;
  form->SetReportGeneratorHook([&] { seen = form->ListEntries(); });
  ClickRow(1);
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nKurz,Karl\r\nMeier,Anna\r\n");
  Trigger("ReporterstellenDrucken1");
  EXPECT_EQ(seen, (QStringList{"Abel,Bert", "Kurz,Karl", "Meier,Anna"}));
  EXPECT_EQ(List()->currentIndex().data().toString(), QStringLiteral("Meier,Anna"));
}

// The list is compared with the name index by content: a change that keeps the file's length
// is seen, and a file rewritten with the same bytes leaves the list and its selection alone.
TEST_F(EditCycleTest, refreshSeesAChangeOfTheSameLength_andKeepsAnUnchangedList) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kTwoRecords);
  QStringList seen;
  form->SetReportGeneratorHook([&] { seen = form->ListEntries(); });
  ClickRow(1);
  data.Write(QStringLiteral("names.qdx"), "Abel,Bern\r\nMeier,Anna\r\n");
  Trigger("ReporterstellenDrucken1");
  EXPECT_EQ(seen, (QStringList{"Abel,Bern", "Meier,Anna"}));
  EXPECT_EQ(form->SelectedListIndex(), 1);

  data.Write(QStringLiteral("names.qdx"), "Abel,Bern\r\nMeier,Anna\r\n");
  Trigger("ReporterstellenDrucken1");
  EXPECT_EQ(seen, (QStringList{"Abel,Bern", "Meier,Anna"}));
  EXPECT_EQ(form->SelectedListIndex(), 1);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace mainwindowtest
