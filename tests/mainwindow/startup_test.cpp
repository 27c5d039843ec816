// The start-up sequence: title, main window with its list, other windows, message loop.
#include <QApplication>

#include "mainwindow/startup.h"
#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { store::ResetLoadFailureFlagForTesting(); }
  void TearDown() override { store::ResetLoadFailureFlagForTesting(); }

  testsupport::TempDataDir data;
  testsupport::ScriptedDialogs dialogs;
};

TEST_F(StartupTest, withoutNameIndexShowsOneMessageAndRunsNoLoop) {
  int loops = 0;
  int created = 0;
  mainwindow::StartupSteps steps;
  steps.createOtherWindows = [&](TForm1&) { ++created; };
  steps.runMessageLoop = [&] { return ++loops; };
  EXPECT_EQ(mainwindow::RunProgram(data.Path(), steps), 0);
  EXPECT_EQ(loops, 0);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("Daten können nicht geladen werden. Sollte dies mehrfach "
                                       "vorkommen, setzen Sie sich bitte mit Ihrem "
                                       "Systemadministrator in Verbindung")});
}

TEST_F(StartupTest, showsTheMainWindowWithItsSortedListAndRunsTheLoop) {
  data.Write(QStringLiteral("names.qdx"),
             "\xD6zt\xFCrk,Ay\xFE"
             "e\r\nAbel,Bert\r\nOtto,Olga\r\n");
  QStringList seen;
  QString title;
  bool visible = false;
  QList<QObject*> order;
  mainwindow::StartupSteps steps;
  steps.createOtherWindows = [&](TForm1& form) {
    EXPECT_FALSE(form.isVisible());
    order.append(&form);
  };
  steps.runMessageLoop = [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* form = qobject_cast<TForm1*>(widget)) {
        seen = form->ListEntries();
        visible = form->isVisible();
      }
    }
    title = QApplication::applicationName();
    return 7;
  };
  EXPECT_EQ(mainwindow::RunProgram(data.Path(), steps), 7);
  EXPECT_EQ(order.size(), 1);
  EXPECT_TRUE(visible);
  EXPECT_EQ(title, QStringLiteral("Pellumo! NetworkEdition"));
  // German order: "Ö" sorts with "O".
  EXPECT_EQ(seen, (QStringList{"Abel,Bert", "Otto,Olga", "Öztürk,Ayþe"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(StartupTest, emptyNameIndexStartsWithAnEmptyList) {
  data.Write(QStringLiteral("names.qdx"), "");
  int loops = 0;
  mainwindow::StartupSteps steps;
  steps.runMessageLoop = [&] { return ++loops; };
  mainwindow::RunProgram(data.Path(), steps);
  EXPECT_EQ(loops, 1);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace mainwindowtest
