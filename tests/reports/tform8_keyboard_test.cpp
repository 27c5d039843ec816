// The report generator used without a mouse: where Tab goes, what Space does on the check
// lists, and what F12 and Escape do in each state.
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "reports/tform12.h"
#include "reports/tquickreport11.h"

#include "tests/reports/form8_fixture.h"

namespace reporttest {
namespace {

class Form8KeyboardTest : public Form8Test {
 protected:
  void ShowActive() {
    Show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  QWidget* Focused() const { return QApplication::focusWidget(); }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    ASSERT_NE(Focused(), nullptr);
    QTest::keyClick(Focused(), key, modifiers);
  }
};

TEST_F(Form8KeyboardTest, tabLeavesTheWritableBlockView_withoutTypingIntoTheReport) {
  // On the first showing the block view is still writable.
  ShowActive();
  auto* view = Get<QPlainTextEdit>("RichEdit1");
  ASSERT_FALSE(view->isReadOnly());
  view->setFocus(Qt::TabFocusReason);

  Press(Qt::Key_Tab);
  EXPECT_NE(Focused(), view);
  view->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_NE(Focused(), view);

  // Nothing was typed: no changed report to ask about when the window closes.
  EXPECT_TRUE(form->BlockLines().isEmpty()) << form->BlockLines().join('|').toStdString();
  EXPECT_FALSE(form->BlockModified());
  Press(Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(Form8KeyboardTest, spaceTicksTheFocusedEntry_theBuildFollows_escapeAsksBeforeLosingIt) {
  ShowActive();
  Press(Qt::Key_F12);  // no build before a new report
  EXPECT_EQ(form->GridRowCount(), 2);
  EXPECT_TRUE(form->BlockLines().isEmpty());

  NewReport();
  QListWidget* fields = List("CheckListBox1");
  fields->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Space);  // the first field, "Name"
  EXPECT_FALSE(Checked(fields).contains(QStringLiteral("Name")));
  EXPECT_EQ(Checked(fields).size(), 14);
  Press(Qt::Key_Return);  // Enter ticks nothing and closes nothing
  EXPECT_EQ(Checked(fields).size(), 14);
  EXPECT_TRUE(form->isVisible());

  QListWidget* records = List("CheckListBox2");
  records->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Down);
  Press(Qt::Key_Space);  // the second record
  EXPECT_EQ(Checked(records), (QStringList{"Beck,Bea", "Zander,Zoe"}));

  Press(Qt::Key_F12);
  EXPECT_EQ(form->GridColumnCount(), 15);  // the number column and fourteen fields
  EXPECT_EQ(form->GridRowCount(), 3);      // the header and two records
  EXPECT_EQ(form->GridCell(1, 0), QStringLiteral("Vorname"));
  EXPECT_EQ(form->GridCell(1, 2), QStringLiteral("Zoe"));
  // The focus left the disabled selection for a control that takes keys.
  ASSERT_NE(Focused(), nullptr);
  EXPECT_TRUE(Focused()->isEnabled());

  // Escape asks about the built report; "Abbrechen" keeps the window and the report.
  const QStringList built = form->BlockLines();
  dialogs.AnswerNext(QStringLiteral("Abbrechen"));
  Press(Qt::Key_Escape);
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("\u00c4nderungen in diesem Report speichern ?"));
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->BlockLines(), built);
  EXPECT_TRUE(form->BlockModified());
}

// The table is printed from its preview: printing there, and setting up the page, must not
// need the mouse.
TEST_F(Form8KeyboardTest, tabReachesThePrintCommandOfThePreview_andSpaceRunsIt) {
  TForm12 form12;
  TQuickReport11 quickReport11;
  form->SetPrintWindows(&form12, &quickReport11);
  ShowActive();
  NewReport();
  Build();
  Get<QTabWidget>("PageControl1")->setCurrentIndex(0);  // "Tabelle"

  dialogs.modalAnswers.enqueue([](QDialog& options) {
    options.show();
    QApplication::setActiveWindow(&options);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&options));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // OK is the default
    return options.result();
  });
  QStringList reached;  // the commands whose buttons Tab reaches
  int printRuns = 0;
  dialogs.modalAnswers.enqueue([&](QDialog& preview) {
    QAction* print = nullptr;
    for (QAction* action : preview.findChildren<QAction*>()) {
      if (action->text() == QStringLiteral("Print"))
        print = action;
    }
    EXPECT_NE(print, nullptr);
    if (!print)
      return int(QDialog::Rejected);
    QObject::connect(print, &QAction::triggered, &preview, [&] { ++printRuns; });
    // Printing asks where to; that question is declined.
    QTimer decline;
    QObject::connect(&decline, &QTimer::timeout, &preview, [&] {
      auto* asking = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (asking && asking != &preview)
        asking->reject();
    });
    decline.start(50);

    preview.resize(1280, 800);  // room for the whole tool bar
    preview.show();
    QApplication::setActiveWindow(&preview);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&preview));
    for (int press = 0; press < 40 && QApplication::focusWidget(); ++press) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      auto* button = qobject_cast<QToolButton*>(QApplication::focusWidget());
      if (button && button->defaultAction())
        reached.append(button->defaultAction()->text());
      if (button && button->defaultAction() == print) {
        QTest::keyClick(button, Qt::Key_Space);
        break;
      }
    }
    preview.reject();
    return int(QDialog::Rejected);
  });
  Trigger("Reportdrucken1");

  EXPECT_EQ(dialogs.modalWindows, (QStringList{"Form12", "ReportPreview"}));
  EXPECT_EQ(printRuns, 1);
  EXPECT_TRUE(reached.contains(QStringLiteral("Page setup"))) << reached.join('|').toStdString();
}

}  // namespace
}  // namespace reporttest
