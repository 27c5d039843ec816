// The main window driven by the keyboard: the list's keys, the entry a key or a click leaves
// chosen, where the focus goes, and which commands the company view leaves on.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

class KeyboardTest : public MainWindowTest {
 protected:
  // Forty people, Name00,Vorname00 to Name39,Vorname39: more than one page of the list.
  void OpenForty() {
    QByteArray names;
    QByteArray records;
    for (int i = 0; i < 40; ++i) {
      const QByteArray number = QByteArray::number(i).rightJustified(2, '0');
      names += "Name" + number + ",Vorname" + number + "\r\n";
      const QByteArray name = "Name" + number;
      const QByteArray firstName = "Vorname" + number;
      records += Person(name.constData(), firstName.constData(), "Firma");
    }
    Open(names, records);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void OpenThree() {
    Open("Abel,Bert\r\nMeier,Anna\r\nZorn,Uwe\r\n", Person("Abel", "Bert", "Abel AG") +
                                                        Person("Meier", "Anna", "Zeta") +
                                                        Person("Zorn", "Uwe", "Zeta"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  QWidget* Focused() const { return QApplication::focusWidget(); }
  // The list has the keyboard and nothing is chosen, as after a save, a cancel or a delete.
  void NothingChosenInTheFocusedList() {
    List()->setFocus();
    form->SelectListIndex(-1);
    ASSERT_EQ(form->SelectedListIndex(), -1);
  }
};

TEST_F(KeyboardTest, endAndPageDownWithNothingChosen_goFromTheTopAndShowThatRecord) {
  OpenForty();
  NothingChosenInTheFocusedList();
  QTest::keyClick(List(), Qt::Key_End);
  EXPECT_EQ(form->SelectedListIndex(), 39);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Name39"));

  NothingChosenInTheFocusedList();
  QTest::keyClick(List(), Qt::Key_PageDown);
  EXPECT_GT(form->SelectedListIndex(), 0);  // a page down from the first entry
  EXPECT_EQ(Edit(store::kName)->text(),
            Entries().value(form->SelectedListIndex()).section(',', 0, 0));

  // The other keys start at the first entry, as before.
  for (Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_Up, Qt::Key_PageUp}) {
    NothingChosenInTheFocusedList();
    QTest::keyClick(List(), key);
    EXPECT_EQ(form->SelectedListIndex(), 0) << key;
    EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Name00")) << key;
  }
  // From a chosen entry the keys move as a list does.
  QTest::keyClick(List(), Qt::Key_End);
  QTest::keyClick(List(), Qt::Key_Home);
  EXPECT_EQ(form->SelectedListIndex(), 0);
}

TEST_F(KeyboardTest, endInATreeBuiltAnew_goesToTheLastNodeAndShowsThatPerson) {
  OpenThree();
  for (int round = 0; round < 2; ++round) {
    Click("ToolbarButton9712");
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_End);
    EXPECT_EQ(Tree()->currentIndex().data().toString(), QStringLiteral("Zeta")) << round;
    Tree()->expandAll();
    QTest::keyClick(Tree(), Qt::Key_End);
    EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn")) << round;
    Click("ToolbarButton9712");
  }
}

TEST_F(KeyboardTest, firstLetterJumpsToTheEntryAndShowsIt_inTheNameAndInternalNumberView) {
  Open("Abel,Bert\r\nMeier,Anna\r\nZorn,Uwe\r\n", Person("Abel", "Bert", "", "11") +
                                                      Person("Meier", "Anna", "", "12") +
                                                      Person("Zorn", "Uwe", ""));
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_Z);
  EXPECT_EQ(form->SelectedListIndex(), 2);
  EXPECT_EQ(Edit(store::kVorname)->text(), QStringLiteral("Uwe"));

  Click("Button3");
  QTest::qWait(QApplication::keyboardInputInterval() + 100);  // a new word, not "zm"
  QTest::keyClick(List(), Qt::Key_M);
  EXPECT_EQ(Entries().value(form->SelectedListIndex()), QStringLiteral("Meier,Anna @ 12"));
  EXPECT_EQ(Edit(store::kVorname)->text(), QStringLiteral("Anna"));
}

TEST_F(KeyboardTest, ctrlWithSpaceOrClickOnTheChosenEntry_keepsItChosen_soDeleteActsOnIt) {
  OpenThree();
  ClickRow(1);
  QTest::keyClick(List(), Qt::Key_Space, Qt::ControlModifier);
  EXPECT_EQ(form->SelectedListIndex(), 1);
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    List()->visualRect(Row(1)).center());
  EXPECT_EQ(form->SelectedListIndex(), 1);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(data.Read(QStringLiteral("secure.qdx")), "Meier,Anna\r\n");
}

TEST_F(KeyboardTest, ctrlClickOnTheChosenPersonInTheTree_keepsThePersonChosenForTheList) {
  OpenThree();
  Click("ToolbarButton9712");
  Tree()->expandAll();
  const QModelIndex zeta = Tree()->model()->index(1, 0, Tree()->model()->index(0, 0));
  const QModelIndex meier = Tree()->model()->index(0, 0, zeta);
  ASSERT_EQ(meier.data().toString(), QStringLiteral("Meier,Anna"));
  const QPoint at = Tree()->visualRect(meier).center();
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  Click("ToolbarButton9712");
  EXPECT_EQ(form->SelectedListIndex(), 1);
}

// Closing the restore dialog reloads the list; the entry of the record shown stays chosen, so
// F8 and F5 act on it instead of doing nothing while its record is shown.
TEST_F(KeyboardTest, closingTheRestoreDialog_keepsTheShownRecordChosen_withOrWithoutARestore) {
  data.Write("secure.qdx", "Berg,Ute\r\n");
  OpenThree();
  ClickRow(1);
  AnswerRestoreDialog({"Berg,Ute"});
  Trigger("G1");
  ASSERT_EQ(Entries(), (QStringList{"Abel,Bert", "Berg,Ute", "Meier,Anna", "Zorn,Uwe"}));
  EXPECT_EQ(form->SelectedListIndex(), 2);

  ClickRow(3);
  Trigger("G1");  // closed without a restore
  EXPECT_EQ(form->SelectedListIndex(), 3);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));
  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(data.Read(QStringLiteral("secure.qdx")), "Zorn,Uwe\r\n");
}

// "Datensatz bearbeiten" (F3) acts on the list's entry, which the company view hides: it is
// off there like the other edit and delete commands, instead of doing nothing.
TEST_F(KeyboardTest, companyView_turnsF3OffWithTheOtherEditCommands_andLeavingTurnsItOn) {
  OpenThree();
  Click("ToolbarButton9712");
  EXPECT_FALSE(Item("Datensatzbearbeiten1")->isEnabled());
  EXPECT_FALSE(Item("Bearbeiten2")->isEnabled());
  Click("ToolbarButton9712");
  EXPECT_TRUE(Item("Datensatzbearbeiten1")->isEnabled());

  // An entry finished in the company view returns to it with F3 off; leaving turns it on.
  Trigger("NeuerDatensatzerstellen1");
  Click("ToolbarButton9712");
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nora"));
  QTest::keyClick(form.get(), Qt::Key_F12);
  ASSERT_FALSE(form->EntryUnderway());
  EXPECT_FALSE(Item("Datensatzbearbeiten1")->isEnabled());
  EXPECT_EQ(Focused(), Tree());
  Click("ToolbarButton9712");
  EXPECT_TRUE(Item("Datensatzbearbeiten1")->isEnabled());
  ClickRow(1);
  QTest::keyClick(form.get(), Qt::Key_F3);
  EXPECT_TRUE(form->EntryUnderway());
}

TEST_F(KeyboardTest, companyViewOnAndOff_keyboardStaysWithTheListOrTheTreeInItsPlace) {
  OpenThree();
  ClickRow(0);
  ASSERT_EQ(Focused(), List());
  Click("ToolbarButton9712");
  EXPECT_EQ(Focused(), Tree());
  Click("ToolbarButton9712");
  EXPECT_EQ(Focused(), List());

  // A field being typed in keeps the keyboard.
  Trigger("NeuerDatensatzerstellen1");
  Edit(store::kFirma)->setFocus();
  Click("ToolbarButton9712");
  EXPECT_EQ(Focused(), Edit(store::kFirma));
  // Cancelling there hands the keyboard to the tree, not to a hidden list.
  QTest::keyClick(form.get(), Qt::Key_F11);
  EXPECT_EQ(Focused(), Tree());
}

}  // namespace
}  // namespace mainwindowtest
