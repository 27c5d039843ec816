// The company tree under the mouse: only a click of the primary button on a node chooses a
// person, and the person chosen in the tree is always the one the fields show, so that leaving
// the view hands edit and delete the record the user sees.
#include <QTreeView>

#include "store/datafiles.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

class TreeMouseTest : public MainWindowTest {
 protected:
  void OpenZeta() {
    Open("A,a\r\nB,b\r\nC,c\r\n",
         Person("A", "a", "Zeta") + Person("B", "b", "Zeta") + Person("C", "c", "Zeta"));
    Click("ToolbarButton9712");
    Tree()->expand(Member(0).parent());
  }
  QModelIndex Member(int row) const {
    QAbstractItemModel* nodes = Tree()->model();
    return nodes->index(row, 0, nodes->index(0, 0, nodes->index(0, 0)));
  }
  QPoint At(const QModelIndex& node) const { return Tree()->visualRect(node).center(); }
  // The person chosen in the tree, and the name the fields show.
  QString ChosenAndShown() const {
    const QModelIndexList nodes = Tree()->selectionModel()->selectedIndexes();
    return (nodes.isEmpty() ? QString() : nodes.first().data().toString()) + " / " +
           Edit(store::kName)->text();
  }
  // Leaves the company view and deletes the entry chosen in the list with F8.
  void LeaveAndDelete() {
    Click("ToolbarButton9712");
    Trigger("Lschen2");
  }
};

TEST_F(TreeMouseTest, secondaryOrMiddleButtonOnAnotherPerson_choosesNoOne_deleteTakesTheShown) {
  OpenZeta();
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, At(Member(0)));
  ASSERT_EQ(ChosenAndShown(), "A,a / A");
  QTest::mouseClick(Tree()->viewport(), Qt::RightButton, Qt::NoModifier, At(Member(1)));
  EXPECT_EQ(ChosenAndShown(), "A,a / A");
  QTest::mouseClick(Tree()->viewport(), Qt::MiddleButton, Qt::NoModifier, At(Member(2)));
  EXPECT_EQ(ChosenAndShown(), "A,a / A");

  LeaveAndDelete();
  EXPECT_EQ(Names(), "B,b\r\nC,c\r\n");
  EXPECT_EQ(data.Read("secure.qdx"), "A,a\r\n");
}

TEST_F(TreeMouseTest, pressOnOnePersonReleasedOnAnother_showsThePersonChosen) {
  OpenZeta();
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, At(Member(0)));
  QTest::mousePress(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, At(Member(1)));
  QTest::mouseMove(Tree()->viewport(), At(Member(2)));
  QTest::mouseRelease(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, At(Member(2)));
  const QString chosenAndShown = ChosenAndShown();
  EXPECT_TRUE(chosenAndShown == "B,b / B" || chosenAndShown == "C,c / C")
      << chosenAndShown.toStdString();

  LeaveAndDelete();
  const QString deleted = QString::fromLatin1(data.Read("secure.qdx")).trimmed();
  EXPECT_EQ(deleted, chosenAndShown.section(" / ", 0, 0));
}

TEST_F(TreeMouseTest, pressBelowTheLastNode_keepsThePersonChosen) {
  OpenZeta();
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, At(Member(1)));
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(20, Tree()->viewport()->height() - 3));
  EXPECT_EQ(ChosenAndShown(), "B,b / B");
  Click("ToolbarButton9712");
  EXPECT_EQ(form->SelectedListIndex(), 1);
}

}  // namespace
}  // namespace mainwindowtest
