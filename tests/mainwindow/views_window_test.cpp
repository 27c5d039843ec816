// The internal-number view and the company tree, driven through the real main window.
#include <QScrollBar>
#include <QTreeView>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

class ViewsTest : public MainWindowTest {
 protected:
  static QString Text(const QModelIndex& node) { return node.data().toString(); }
  QModelIndex Node(const QString& company, int member = -1) const {
    const QModelIndex root = Root();
    for (int i = 0; i < Nodes()->rowCount(root); ++i) {
      const QModelIndex node = Nodes()->index(i, 0, root);
      if (Text(node) == company)
        return member < 0 ? node : Nodes()->index(member, 0, node);
    }
    ADD_FAILURE() << company.toStdString();
    return QModelIndex();
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

  ASSERT_EQ(Nodes()->rowCount(), 1);
  const QModelIndex root = Root();
  EXPECT_EQ(Text(root), "Firmen");
  EXPECT_TRUE(Tree()->isExpanded(root));
  QStringList shape;
  for (int i = 0; i < Nodes()->rowCount(root); ++i) {
    const QModelIndex company = Nodes()->index(i, 0, root);
    shape.append(Text(company));
    EXPECT_FALSE(Tree()->isExpanded(company));
    for (int j = 0; j < Nodes()->rowCount(company); ++j)
      shape.append("  " + Text(Nodes()->index(j, 0, company)));
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
  EXPECT_TRUE(Tree()->isExpanded(Node("Zeta")));
  EXPECT_EQ(Edit(store::kName)->text(), "Berg");

  Click("ToolbarButton9713");
  EXPECT_TRUE(Tree()->isExpanded(Root()));
  EXPECT_FALSE(Tree()->isExpanded(Node("Zeta")));
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

// Entering and leaving the company view reload the list from an unchanged name index: the
// entries stay, the selection goes, and the list starts at the top again.
TEST_F(ViewsTest, companyViewThereAndBack_unchangedIndex_dropsSelectionAndScrollsToTop) {
  QByteArray names;
  QStringList keys;
  for (int i = 0; i < 60; ++i) {
    const QByteArray key = "Name" + QByteArray::number(100 + i) + ",Vor";
    names += key + "\r\n";
    keys.append(QString::fromLatin1(key));
  }
  Open(names, Person("Name150", "Vor", "Zeta"));
  ClickRow(50);
  ASSERT_EQ(form->SelectedListIndex(), 50);
  ASSERT_GT(List()->verticalScrollBar()->value(), 0);

  Click("ToolbarButton9712");
  Click("ToolbarButton9712");
  EXPECT_EQ(Entries(), keys);
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(List()->verticalScrollBar()->value(), 0);
  EXPECT_EQ(Edit(store::kName)->text(), "Name150");  // the shown record stays
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace mainwindowtest
