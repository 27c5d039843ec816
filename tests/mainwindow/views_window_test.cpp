// The internal-number view and the company tree, driven through the real main window.
#include <QTreeWidget>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

class ViewsTest : public MainWindowTest {
 protected:
  QTreeWidget* Tree() const { return Find<QTreeWidget>("TreeView1"); }
  void ClickNode(QTreeWidgetItem* node) {
    Tree()->scrollToItem(node);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Tree()->visualItemRect(node).center());
  }
  QTreeWidgetItem* Node(const QString& company, int member = -1) const {
    QTreeWidgetItem* root = Tree()->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
      if (root->child(i)->text(0) == company)
        return member < 0 ? root->child(i) : root->child(i)->child(member);
    }
    ADD_FAILURE() << company.toStdString();
    return nullptr;
  }
};

const int kDetailFields[] = {store::kPosition, store::kFirma, store::kStrasse,
                             store::kPLZ,      store::kOrt,   store::kTelefon1,
                             store::kTelefon2, store::kFax,   store::kKurzwahl};
const int kShownFields[] = {store::kVorname, store::kName,  store::kKurzzeichen,
                            store::kHandy,   store::kEMail, store::kIRuf};

TEST_F(ViewsTest, internalNumberView_listsDecoratedEntries_hidesDetailFields_andBack) {
  Open("Alt,Bea\r\nBauer,Carl\r\nFehlt,Ganz\r\n",
       Person("Alt", "Bea", "Zeta", "12") + Person("Bauer", "Carl", "Zeta"));
  ClickRow(1);
  Click("Button3");

  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea @ 12", "Fehlt,Ganz @ Error"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(Edit(store::kVorname)->text(), "Carl");  // the shown record stays
  for (int field : kDetailFields)
    EXPECT_TRUE(Edit(field)->isHidden()) << field;
  for (int field : kShownFields)
    EXPECT_FALSE(Edit(field)->isHidden()) << field;

  ClickRow(0);
  EXPECT_EQ(Edit(store::kFirma)->text(), "Zeta");  // hidden fields are filled too
  EXPECT_EQ(Edit(store::kIRuf)->text(), "12");

  Click("Button3");
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Bauer,Carl", "Fehlt,Ganz"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(Edit(store::kVorname)->text(), "Bea");
  for (int field : kDetailFields)
    EXPECT_FALSE(Edit(field)->isHidden()) << field;
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(ViewsTest, companyTree_shape_commandsDisabled_memberShowsRecord) {
  Open("Adam,Eva\r\nBerg,Ute\r\nChrist,Max\r\nDorn,Ida\r\nFehlt,Ganz\r\n",
       Person("Adam", "Eva", "Zeta") + Person("Berg", "Ute", "") + Person("Christ", "Max", "ACME") +
           Person("Dorn", "Ida", "Acme"));
  Click("ToolbarButton9712");

  EXPECT_FALSE(Tree()->isHidden());
  EXPECT_TRUE(List()->isHidden());
  for (const char* name : {"ToolbarButton972", "ToolbarButton9710", "ToolbarButton979", "Button3"})
    EXPECT_FALSE(Button(name)->isEnabled()) << name;
  EXPECT_FALSE(Item("Bearbeiten2")->isEnabled());
  EXPECT_FALSE(Item("Lschen2")->isEnabled());
  EXPECT_TRUE(Button("ToolbarButton9713")->isEnabled());

  ASSERT_EQ(Tree()->topLevelItemCount(), 1);
  QTreeWidgetItem* root = Tree()->topLevelItem(0);
  EXPECT_EQ(root->text(0), "Firmen");
  EXPECT_TRUE(root->isExpanded());
  QStringList shape;
  for (int i = 0; i < root->childCount(); ++i) {
    shape.append(root->child(i)->text(0));
    EXPECT_FALSE(root->child(i)->isExpanded());
    for (int j = 0; j < root->child(i)->childCount(); ++j)
      shape.append("  " + root->child(i)->child(j)->text(0));
  }
  EXPECT_EQ(shape, (QStringList{"Zeta", "  Adam,Eva", QString::fromUtf8("Keiner Firma zugehörig"),
                                "  Berg,Ute", "ACME", "  Christ,Max", "Acme", "  Dorn,Ida", "Error",
                                "  Error,Error"}));

  ClickNode(Node("ACME", 0));
  EXPECT_EQ(Edit(store::kFirma)->text(), "ACME");
  EXPECT_EQ(Edit(store::kName)->text(), "Christ");
  ClickNode(Node("ACME"));
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  // A listed record without a section: every field reads "Error", and no notice.
  ClickNode(Node("Error", 0));
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, "Error"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(ViewsTest, expandAll_keepsFields_collapseAll_emptiesThem) {
  Open("Adam,Eva\r\nBerg,Ute\r\n", Person("Adam", "Eva", "Zeta") + Person("Berg", "Ute", "Zeta"));
  Click("ToolbarButton9712");
  ClickNode(Node("Zeta", 1));
  ASSERT_EQ(Edit(store::kName)->text(), "Berg");

  Click("ToolbarButton9713");
  EXPECT_TRUE(Node("Zeta")->isExpanded());
  EXPECT_EQ(Edit(store::kName)->text(), "Berg");

  Click("ToolbarButton9713");
  EXPECT_TRUE(Tree()->topLevelItem(0)->isExpanded());
  EXPECT_FALSE(Node("Zeta")->isExpanded());
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
}

TEST_F(ViewsTest, leavingTheTree_selectsTheClickedMemberInTheList) {
  Open("Adam,Eva\r\nBerg,Ute\r\nChrist,Max\r\n", Person("Adam", "Eva", "Zeta") +
                                                     Person("Berg", "Ute", "Eck") +
                                                     Person("Christ", "Max", "Zeta"));
  Click("ToolbarButton9712");
  ClickNode(Node("Zeta", 1));
  Click("ToolbarButton9712");

  EXPECT_TRUE(Tree()->isHidden());
  EXPECT_FALSE(List()->isHidden());
  EXPECT_EQ(form->SelectedListIndex(), 2);
  EXPECT_EQ(Edit(store::kName)->text(), "Christ");
  for (const char* name : {"ToolbarButton972", "ToolbarButton9710", "ToolbarButton979", "Button3"})
    EXPECT_TRUE(Button(name)->isEnabled()) << name;
  EXPECT_TRUE(Item("Lschen2")->isEnabled());
  EXPECT_FALSE(Button("ToolbarButton9713")->isEnabled());

  // With a company node chosen, the list has no selection.
  Click("ToolbarButton9712");
  ClickNode(Node("Eck"));
  Click("ToolbarButton9712");
  EXPECT_EQ(form->SelectedListIndex(), -1);
}

}  // namespace
}  // namespace mainwindowtest
