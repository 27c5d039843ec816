// After a save, a cancel or the start of an entry no list entry stays selected that the user
// did not choose: the fields are empty then, and a delete or edit must not act on a record the
// user cannot see.
#include <QTreeView>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kNames = "Abel,Bert\r\nMeier,Anna\r\nM\xF6ller,Jens\r\n";

class StraySelectionTest : public MainWindowTest {
 protected:
  void OpenThree() {
    Open(kNames, Person("Abel", "Bert", "Abel AG", "11") + Person("Meier", "Anna", "Zeta", "12") +
                     Person("M\xF6ller", "Jens", "Zeta", "13"));
  }

  // Nothing is selected, no record is shown, and delete and edit do nothing.
  void ExpectNothingChosen() {
    EXPECT_EQ(form->SelectedListIndex(), -1);
    EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
    ASSERT_FALSE(form->EntryUnderway());
    Trigger("Lschen2");  // F8
    Click("ToolbarButton979");
    EXPECT_FALSE(data.Exists(QStringLiteral("secure.qdx")));
    EXPECT_EQ(Names(), kNames);
    Trigger("Bearbeiten2");  // F5
    Click("ToolbarButton9710");
    EXPECT_FALSE(form->EntryUnderway());
    EXPECT_EQ(Entries().size(), 3);
  }

  // The member node of key under company.
  QModelIndex Member(const QString& company, const QString& key) const {
    QAbstractItemModel* nodes = Tree()->model();
    const QModelIndex root = nodes->index(0, 0);
    for (int c = 0; c < nodes->rowCount(root); ++c) {
      const QModelIndex companyNode = nodes->index(c, 0, root);
      if (companyNode.data().toString() != company)
        continue;
      for (int m = 0; m < nodes->rowCount(companyNode); ++m) {
        if (nodes->index(m, 0, companyNode).data().toString() == key)
          return nodes->index(m, 0, companyNode);
      }
    }
    return QModelIndex();
  }
  void ClickMember(const QString& company, const QString& key) {
    const QModelIndex node = Member(company, key);
    ASSERT_TRUE(node.isValid()) << key.toStdString();
    Tree()->expand(node.parent());
    Tree()->scrollTo(node);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Tree()->visualRect(node).center());
  }
};

TEST_F(StraySelectionTest, savingAnEditThenF8_deletesNothing) {
  OpenThree();
  ClickRow(1);
  ASSERT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  Trigger("Bearbeiten2");
  // Taking the entry out of the list selects none of its neighbours.
  EXPECT_EQ(form->SelectedListIndex(), -1);
  Trigger("Dateneingabebeenden1");
  ASSERT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Möller,Jens"}));
  ExpectNothingChosen();
}

TEST_F(StraySelectionTest, cancellingAnEditOrANewRecord_leavesNothingSelected) {
  OpenThree();
  ClickRow(1);
  Click("ToolbarButton972");
  EXPECT_EQ(form->SelectedListIndex(), -1);
  Click("ToolbarButton9711");
  ExpectNothingChosen();

  ClickRow(0);
  Trigger("NeuerDatensatzerstellen1");  // F2
  EXPECT_EQ(form->SelectedListIndex(), -1);
  Trigger("Dateneingabeabbrechen1");
  ExpectNothingChosen();
}

TEST_F(StraySelectionTest, editingAHitOfASearch_leavesNoOtherHitSelected) {
  OpenThree();
  auto* search = Find<QLineEdit>("SearchEdit");
  search->insert(QStringLiteral("zeta"));
  ASSERT_EQ(Entries(), (QStringList{"Meier,Anna", "Möller,Jens"}));
  ClickRow(0);
  Trigger("Bearbeiten2");
  // The edited hit leaves the list; its neighbour among the hits is not chosen in its place.
  EXPECT_EQ(Entries(), (QStringList{"Möller,Jens"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  Trigger("Dateneingabeabbrechen1");
  EXPECT_EQ(Entries(), (QStringList{"Meier,Anna", "Möller,Jens"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(search->text(), QStringLiteral("zeta"));
}

TEST_F(StraySelectionTest, savingANewRecord_leavesNothingSelected) {
  OpenThree();
  ClickRow(2);
  Trigger("NeuerDatensatzerstellen1");
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Trigger("Dateneingabebeenden1");
  ASSERT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  Trigger("Lschen2");
  EXPECT_FALSE(data.Exists(QStringLiteral("secure.qdx")));
  EXPECT_EQ(Entries().size(), 4);
}

TEST_F(StraySelectionTest, savingInTheInternalNumberView_leavesNothingSelected) {
  OpenThree();
  ClickRow(1);
  Trigger("Bearbeiten2");
  Click("Button3");  // the view can be switched during an entry
  Trigger("Dateneingabebeenden1");
  ASSERT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert @ 11", "Meier,Anna @ 12", "Möller,Jens @ 13"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  // Editing would leave the view and edit a record no one chose.
  Trigger("Bearbeiten2");
  EXPECT_FALSE(form->EntryUnderway());
  Click("Button3");
  ExpectNothingChosen();
}

TEST_F(StraySelectionTest, aNewRecordFromTheCompanyView_leavesNoPersonSelectedAfterwards) {
  OpenThree();
  Click("ToolbarButton9712");
  ClickMember(QStringLiteral("Zeta"), QStringLiteral("Meier,Anna"));
  ASSERT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  // Leaves the company view, which chooses the tree's person in the list.
  Trigger("NeuerDatensatzerstellen1");
  EXPECT_EQ(form->SelectedListIndex(), -1);
  Trigger("Dateneingabeabbrechen1");
  ExpectNothingChosen();
}

TEST_F(StraySelectionTest, leavingTheCompanyViewAfterCollapsingIt_selectsNoOne) {
  OpenThree();
  Click("ToolbarButton9712");
  ClickMember(QStringLiteral("Zeta"), QStringLiteral("Meier,Anna"));
  Click("ToolbarButton9713");  // expand all
  Click("ToolbarButton9713");  // collapse all: the fields are emptied
  ASSERT_TRUE(FieldTexts().join(QString()).isEmpty());
  Click("ToolbarButton9712");
  ExpectNothingChosen();
}

TEST_F(StraySelectionTest, leavingTheCompanyViewAfterChoosingAPerson_keepsThatPersonChosen) {
  OpenThree();
  Click("ToolbarButton9712");
  ClickMember(QStringLiteral("Zeta"), QStringLiteral("Meier,Anna"));
  Click("ToolbarButton9712");
  // The person shown is the one selected, so a delete acts on what the user sees.
  EXPECT_EQ(form->SelectedListIndex(), 1);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
}

// Moving in the tree by key shows the person moved to, so that leaving the view chooses in
// the list the person whose record is shown, and a delete acts on that one.
TEST_F(StraySelectionTest, movingInTheTreeByKey_showsThatPerson_andTheDeleteActsOnIt) {
  OpenThree();
  Click("ToolbarButton9712");
  ClickMember(QStringLiteral("Zeta"), QStringLiteral("Meier,Anna"));
  QTest::keyClick(Tree(), Qt::Key_Down);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Möller"));
  QTest::keyClick(Tree(), Qt::Key_Up);
  QTest::keyClick(Tree(), Qt::Key_Up);  // to the company node: no record
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  QTest::keyClick(Tree(), Qt::Key_Down);
  QTest::keyClick(Tree(), Qt::Key_Down);
  Click("ToolbarButton9712");
  EXPECT_EQ(form->SelectedListIndex(), 2);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Möller"));
  Trigger("Lschen2");
  EXPECT_EQ(data.Read(QStringLiteral("secure.qdx")), "M\xF6ller,Jens\r\n");
}

}  // namespace
}  // namespace mainwindowtest
