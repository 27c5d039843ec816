// The main window as it opens: named controls, geometry, icons and hints, the browsing state.
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTreeView>

#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

using LayoutTest = MainWindowTest;

const char* const kToolButtons[] = {"ToolbarButton971",  "ToolbarButton972",  "ToolbarButton974",
                                    "ToolbarButton975",  "ToolbarButton976",  "ToolbarButton977",
                                    "ToolbarButton978",  "ToolbarButton973",  "ToolbarButton9711",
                                    "Button1",           "Button3",           "ToolbarButton9712",
                                    "ToolbarButton9713", "ToolbarButton9710", "ToolbarButton979"};

TEST_F(LayoutTest, opensAtDesignPlaceWithCaptionAndEmptySelection) {
  Open("Meier,Anna\r\nAbel,Bert\r\n");
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Pellumo! Network Edition"));
  EXPECT_EQ(form->size(), QSize(811, 560));
  EXPECT_EQ(form->pos(), QPoint(249, 157));
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  EXPECT_TRUE(Find<QTreeView>("TreeView1")->isHidden());
}

TEST_F(LayoutTest, everyControlAndMenuItemHasItsDesignName) {
  Open("");
  for (const char* name : {"Panel1", "Panel2", "Panel3", "GroupBox1", "GroupBox2", "GroupBox3",
                           "Label16", "ListBox1", "TreeView1", "MainMenu1", "PopupMenu1"}) {
    EXPECT_NE(form->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  }
  for (const char* name : {"Datei1",
                           "NeuerDatensatzerstellen1",
                           "Datensatzbearbeiten1",
                           "Dateneingabeabbrechen1",
                           "Dateneingabebeenden1",
                           "ReporterstellenDrucken1",
                           "N3",
                           "Beenden1",
                           "Beabeiten1",
                           "Rckgngig1",
                           "Ausschneiden1",
                           "Kopieren1",
                           "Einfgen1",
                           "N4",
                           "Bearbeiten2",
                           "Lschen2",
                           "GelschteDatenstzeendgltigverwerfen1",
                           "G1",
                           "N1",
                           "Info1",
                           "Bearbeiten1",
                           "Lschen1"}) {
    EXPECT_NE(form->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  }
  for (int i = 0; i < store::kFieldCount; ++i) {
    ASSERT_NE(Edit(i), nullptr);
    EXPECT_FALSE(Edit(i)->isEnabled());
  }
  EXPECT_EQ(Find<QGroupBox>("GroupBox1")->title(), QStringLiteral("Angaben zur Person / Firma"));
  EXPECT_EQ(Find<QGroupBox>("GroupBox3")->title(), QStringLiteral("Telefon / Fax / E-Mail"));
}

TEST_F(LayoutTest, toolButtonsAreFlatWithIconAndHint) {
  Open("");
  for (const char* name : kToolButtons) {
    QToolButton* button = Button(name);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->autoRaise()) << name;
    EXPECT_FALSE(button->icon().isNull()) << name;
    EXPECT_FALSE(button->icon().pixmap(16, 16).isNull()) << name;
    EXPECT_EQ(button->size(), QSize(23, 22)) << name;
  }
  EXPECT_EQ(Button("ToolbarButton974")->toolTip(), QStringLiteral("Datensätze drucken"));
  EXPECT_EQ(Button("Button1")->toolTip(), QStringLiteral("Dateneingabe beenden"));
  EXPECT_EQ(Button("ToolbarButton979")->toolTip(), QStringLiteral("Datensatz löschen"));
  EXPECT_TRUE(Button("ToolbarButton9713")->toolTip().isEmpty());
  for (const char* name : {"Button3", "ToolbarButton9712", "ToolbarButton9713"}) {
    EXPECT_TRUE(Button(name)->isCheckable()) << name;
  }
  EXPECT_FALSE(Button("ToolbarButton971")->isCheckable());
}

TEST_F(LayoutTest, postalCodeTakesFiveCharactersOtherFieldsWhatCanBeReadBack) {
  Open("");
  EXPECT_EQ(Edit(store::kPLZ)->maxLength(), 5);
  EXPECT_EQ(Edit(store::kStrasse)->maxLength(), 1023);
  Click("ToolbarButton971");
  Type(store::kPLZ, QStringLiteral("1234567"));
  EXPECT_EQ(Edit(store::kPLZ)->text(), QStringLiteral("12345"));
}

TEST_F(LayoutTest, widerWindowWidensOnlyTheListArea) {
  Open("");
  form->resize(900, 560);
  EXPECT_EQ(Find<QFrame>("Panel2")->geometry(), QRect(376, 40, 506, 41));
  EXPECT_EQ(Find<QFrame>("Panel3")->geometry(), QRect(376, 88, 506, 417));
  EXPECT_EQ(List()->geometry(), QRect(8, 8, 490, 401));
  EXPECT_EQ(Find<QTreeView>("TreeView1")->geometry(), QRect(8, 8, 490, 401));
  EXPECT_EQ(Find<QFrame>("Panel1")->width(), 513);
  form->resize(811, 560);
  EXPECT_EQ(List()->width(), 401);
}

}  // namespace
}  // namespace mainwindowtest
