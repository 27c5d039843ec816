// A user without a mouse reaches every command of the main window: the commands that have
// neither a menu item nor a key (the list views, the spreadsheet export) are in the Tab chain
// and run with the space bar.
#include <gtest/gtest.h>
#include <QApplication>
#include <QListView>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "mainwindow/tform1.h"
#include "store/addressbook.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

class KeyboardReachTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("names.qdx", "Meier,Anna\r\nAdler,Bernd\r\n");
    dir_.Write("adresse.qdx",
               "[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nIRuf=12\r\n"
               "[Adler,Bernd]\r\nVorname=Bernd\r\nName=Adler\r\n");
    form_ = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(dir_.Path()));
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QApplication::processEvents();
  }
  void TearDown() override {
    dialogs_.AnswerNext(QStringLiteral("&Nein"));
    form_->close();
  }

  // Presses Tab from the list until the focus reaches the named control; false when the
  // focus went round without reaching it.
  bool TabTo(const char* name) {
    auto* list = form_->findChild<QListView*>(QStringLiteral("ListBox1"));
    list->setFocus(Qt::OtherFocusReason);
    for (int press = 0; press < 60; ++press) {
      QWidget* focused = QApplication::focusWidget();
      if (!focused)
        return false;
      QTest::keyClick(focused, Qt::Key_Tab);
      if (QApplication::focusWidget() && QApplication::focusWidget()->objectName() == name)
        return true;
    }
    return false;
  }

  testsupport::TempDataDir dir_;
  testsupport::ScriptedDialogs dialogs_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(KeyboardReachTest, tabReachesTheInternalNumberView_andSpaceShowsIt) {
  ASSERT_TRUE(TabTo("Button3"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_TRUE(form_->findChild<QToolButton*>(QStringLiteral("Button3"))->isChecked());
  // The view shows each entry with its internal number.
  EXPECT_TRUE(form_->ListEntries().contains(QStringLiteral("Meier,Anna @ 12")))
      << form_->ListEntries().join(QLatin1Char('|')).toStdString();
}

TEST_F(KeyboardReachTest, tabReachesTheCompanyViewAndTheSpreadsheetExport) {
  EXPECT_TRUE(TabTo("ToolbarButton9712"));
  ASSERT_TRUE(TabTo("ToolbarButton973"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  ASSERT_EQ(dialogs_.fileDialogs.size(), 1);  // the export asks where to save
  EXPECT_EQ(dialogs_.fileDialogs[0].title, QStringLiteral("Speichern unter"));
}

TEST_F(KeyboardReachTest, aClickOnAViewButtonLeavesTheFocusInTheList) {
  auto* list = form_->findChild<QListView*>(QStringLiteral("ListBox1"));
  list->setFocus(Qt::OtherFocusReason);
  QTest::mouseClick(form_->findChild<QToolButton*>(QStringLiteral("Button3")), Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), list);
}

}  // namespace
