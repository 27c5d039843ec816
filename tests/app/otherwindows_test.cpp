// The program's windows as main() wires them: every window exists once, the main window's
// report and info commands open theirs modally, and closing stores every window's placement.
#include <gtest/gtest.h>
#include <QAction>
#include <QListWidget>
#include <QSettings>
#include <QToolButton>

#include "app/otherwindows.h"
#include "mainwindow/tform1.h"
#include "reports/tform8.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

class OtherWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("names.qdx", "Meier,Anna\r\nAdler,Bernd\r\n");
    dir_.Write("adresse.qdx", "[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\n");
    form_ = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(dir_.Path()));
    app::CreateOtherWindows(*form_);
  }

  testsupport::TempDataDir dir_;
  testsupport::ScriptedDialogs dialogs_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(OtherWindowsTest, everyWindowExistsOnceBesideTheMainWindow) {
  for (const char* name : {"Form12", "Form3", "Form4", "Form5", "Form7", "Form8", "AboutBox"}) {
    EXPECT_EQ(form_->findChildren<QWidget*>(QString::fromLatin1(name)).size(), 1) << name;
  }
  EXPECT_NE(form_->findChild<QObject*>(QStringLiteral("QuickReport11")), nullptr);
}

TEST_F(OtherWindowsTest, reportCommandShowsTheReportGeneratorWithTheMainList) {
  QStringList seenEntries;
  dialogs_.modalAnswers.enqueue([&](QDialog& dialog) {
    auto* form8 = qobject_cast<TForm8*>(&dialog);
    EXPECT_NE(form8, nullptr);
    if (form8) {
      form8->FormShow();
      auto* records = form8->findChild<QListWidget*>(QStringLiteral("CheckListBox2"));
      for (int row = 0; records && row < records->count(); ++row) {
        seenEntries.append(records->item(row)->text());
      }
    }
    return int(QDialog::Rejected);
  });
  auto* button = form_->findChild<QToolButton*>(QStringLiteral("ToolbarButton974"));
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isEnabled());
  button->click();
  EXPECT_EQ(dialogs_.modalWindows, QStringList{"Form8"});
  EXPECT_EQ(seenEntries, (QStringList{"Adler,Bernd", "Meier,Anna"}));
}

TEST_F(OtherWindowsTest, infoCommandShowsTheInfoDialog) {
  auto* info = form_->findChild<QAction*>(QStringLiteral("Info1"));
  ASSERT_NE(info, nullptr);
  info->trigger();
  EXPECT_EQ(dialogs_.modalWindows, QStringList{"AboutBox"});
}

TEST_F(OtherWindowsTest, closingTheMainWindowStoresEveryWindowsPlacement) {
  form_->show();
  form_->move(120, 90);
  ASSERT_TRUE(form_->close());
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrel"),
                     QStringLiteral("Pellumo! NetworkEdition"));
  settings.beginGroup(QStringLiteral("Forms"));
  const QStringList stored = settings.childGroups();
  for (const char* name :
       {"Form1", "Form12", "Form3", "Form4", "Form5", "Form7", "Form8", "AboutBox"}) {
    EXPECT_TRUE(stored.contains(QString::fromLatin1(name))) << name;
  }
  EXPECT_FALSE(stored.contains(QStringLiteral("QuickReport11")));
}

TEST_F(OtherWindowsTest, printOptionsWindowIsSizeable_itsPlacementKeepsAllSixValues) {
  auto* form12 = form_->findChild<QWidget*>(QStringLiteral("Form12"));
  ASSERT_NE(form12, nullptr);
  EXPECT_EQ(form12->size(), QSize(246, 138));
  EXPECT_NE(form12->minimumSize(), form12->maximumSize());
  form_->show();
  form12->resize(300, 160);
  ASSERT_TRUE(form_->close());
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrel"),
                     QStringLiteral("Pellumo! NetworkEdition"));
  settings.beginGroup(QStringLiteral("Forms/Form12"));
  EXPECT_EQ(settings.childKeys(), (QStringList{"Height", "Left", "State", "Tag", "Top", "Width"}));
  EXPECT_EQ(settings.value(QStringLiteral("Width")).toString(), QStringLiteral("300"));
  EXPECT_EQ(settings.value(QStringLiteral("Height")).toString(), QStringLiteral("160"));
}

}  // namespace
