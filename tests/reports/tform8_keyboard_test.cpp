// The report generator used without a mouse: where Tab goes, what Space does on the check
// lists, and what F12 and Escape do in each state.
#include <QApplication>
#include <QTest>

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

}  // namespace
}  // namespace reporttest
