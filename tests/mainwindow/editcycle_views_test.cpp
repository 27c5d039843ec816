// The edit cycle in the company view and the internal-number view: a new record leaves both
// views, an edit leaves the internal-number view first, and the name index never receives a
// decorated entry.
#include <QTreeView>

#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

using EditCycleViewsTest = MainWindowTest;

const QByteArray kNames = "Abel,Bert\r\nMeier,Anna\r\nZorn,Zoe\r\n";
const QByteArray kStore =
    Section("Abel,Bert", {{store::kVorname, "Bert"}, {store::kName, "Abel"}}) +
    Section("Meier,Anna", {{store::kVorname, "Anna"},
                           {store::kName, "Meier"},
                           {store::kFirma, "Acme"},
                           {store::kIRuf, "123"}}) +
    Section("Zorn,Zoe", {{store::kVorname, "Zoe"}, {store::kName, "Zorn"}, {store::kIRuf, "7"}});

TEST_F(EditCycleViewsTest, newRecordInTheCompanyViewShowsTheDisabledList) {
  Open(kNames, kStore);
  Click("ToolbarButton9712");
  ASSERT_TRUE(List()->isHidden());
  Click("ToolbarButton971");
  EXPECT_TRUE(Find<QTreeView>("TreeView1")->isHidden());
  EXPECT_FALSE(List()->isHidden());
  EXPECT_FALSE(List()->isEnabled());
  EXPECT_FALSE(Button("ToolbarButton9712")->isChecked());
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  EXPECT_TRUE(Edit(store::kName)->isEnabled());
  EXPECT_TRUE(Edit(store::kVorname)->hasFocus());
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));
}

TEST_F(EditCycleViewsTest, newRecordInTheInternalNumberViewReturnsToPlainKeys) {
  Open(kNames, kStore);
  Click("Button3");
  ASSERT_EQ(Entries(), (QStringList{"Meier,Anna @ 123", "Zorn,Zoe @ 7"}));
  Click("ToolbarButton971");
  EXPECT_FALSE(Button("Button3")->isChecked());
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));
  EXPECT_FALSE(Edit(store::kFirma)->isHidden());
}

TEST_F(EditCycleViewsTest, editInTheInternalNumberViewLeavesTheViewFirst) {
  Open(kNames, kStore);
  Click("Button3");
  ClickRow(0);  // Meier,Anna @ 123
  Click("ToolbarButton972");
  EXPECT_FALSE(Button("Button3")->isChecked());
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\nZorn,Zoe\r\n"));
  EXPECT_EQ(Edit(store::kFirma)->text(), QStringLiteral("Acme"));
  Click("Button1");
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));
}

TEST_F(EditCycleViewsTest, saveWhileTheInternalNumberViewIsShownRebuildsThatView) {
  Open(kNames, kStore);
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Type(store::kIRuf, QStringLiteral("55"));
  Click("Button3");  // the view can be switched during an entry
  // Enter in the first name passes over the fields the view hides.
  Edit(store::kName)->setFocus();
  QTest::keyClick(Edit(store::kName), Qt::Key_Return);
  EXPECT_TRUE(Edit(store::kKurzzeichen)->hasFocus());
  // The duplicate test still sees records the view does not list.
  Type(store::kName, QStringLiteral("abel"));
  Type(store::kVorname, QStringLiteral("bert"));
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("Datensatz für diese Person existiert bereits!")});
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Click("Button1");
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\nMeier,Anna\r\nNeu,Nina\r\nZorn,Zoe\r\n"));
  EXPECT_EQ(Entries(), (QStringList{"Meier,Anna @ 123", "Neu,Nina @ 55", "Zorn,Zoe @ 7"}));
}

// The company view can be entered during an edit; a person in its tree must not replace the
// values being typed, and leaving the view must not enable delete or edit for another record.
TEST_F(EditCycleViewsTest, companyViewDuringAnEdit_keepsTheTypedValuesAndDeletesNothing) {
  Open(kNames, kStore);
  ClickRow(1);
  Click("ToolbarButton972");  // Meier,Anna
  Type(store::kOrt, QStringLiteral("Bonn"));
  Click("ToolbarButton9712");
  auto* tree = Find<QTreeView>("TreeView1");
  tree->expandAll();
  const QModelIndex noCompany = tree->model()->index(0, 0, tree->model()->index(0, 0));
  const QModelIndex abel = tree->model()->index(0, 0, noCompany);
  ASSERT_EQ(abel.data().toString(), QStringLiteral("Abel,Bert"));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                    tree->visualRect(abel).center());
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  EXPECT_EQ(Edit(store::kOrt)->text(), QStringLiteral("Bonn"));

  Click("ToolbarButton9712");
  for (const char* button : {"ToolbarButton972", "ToolbarButton9710", "ToolbarButton979"})
    EXPECT_FALSE(Button(button)->isEnabled()) << button;
  EXPECT_FALSE(Item("Lschen2")->isEnabled());
  EXPECT_FALSE(Item("Bearbeiten2")->isEnabled());
  Click("Button1");
  EXPECT_FALSE(data.Exists(QStringLiteral("secure.qdx")));
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));
  EXPECT_TRUE(Store().contains("Ort=Bonn"));
  // Browsing again: the commands are back.
  EXPECT_TRUE(Button("ToolbarButton979")->isEnabled());
  EXPECT_TRUE(Item("Lschen2")->isEnabled());
}

// Looking up a company during an entry: folding the whole tree leaves the typed values alone,
// and once the entry is saved the company view keeps edit and delete off.
TEST_F(EditCycleViewsTest, companyViewDuringANewRecord_foldingKeepsTheInput_commandsStayOff) {
  Open(kNames, kStore);
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Type(store::kFirma, QStringLiteral("Acme"));
  Click("ToolbarButton9712");
  Click("ToolbarButton9713");  // expand all
  Click("ToolbarButton9713");  // collapse all
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Neu"));
  EXPECT_EQ(Edit(store::kFirma)->text(), QStringLiteral("Acme"));
  Click("Button1");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_TRUE(Store().contains("[Neu,Nina]\r\nVorname=Nina\r\nName=Neu\r\n"));
  ASSERT_TRUE(Find<QTreeView>("TreeView1")->isVisible());
  for (const char* button : {"ToolbarButton972", "ToolbarButton9710", "ToolbarButton979"})
    EXPECT_FALSE(Button(button)->isEnabled()) << button;
  EXPECT_FALSE(Item("Lschen2")->isEnabled());
  EXPECT_FALSE(Item("Bearbeiten2")->isEnabled());
  EXPECT_TRUE(Button("ToolbarButton971")->isEnabled());
  Click("ToolbarButton9712");  // back to the list: the commands are on again
  EXPECT_TRUE(Button("ToolbarButton979")->isEnabled());
  EXPECT_TRUE(Item("Bearbeiten2")->isEnabled());
}

// The company view entered during an entry from the internal-number view keeps that view's
// button down; a save there lists plain keys behind the tree, as every reload of the company
// view does, so the report and the vCard export still see every record.
TEST_F(EditCycleViewsTest, saveInTheCompanyViewEnteredFromTheNumberView_listsPlainKeys) {
  Open(kNames, kStore);
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Click("Button3");
  Click("ToolbarButton9712");
  Click("Button1");
  ASSERT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\nMeier,Anna\r\nNeu,Nina\r\nZorn,Zoe\r\n"));
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Neu,Nina", "Zorn,Zoe"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
}

}  // namespace
}  // namespace mainwindowtest
