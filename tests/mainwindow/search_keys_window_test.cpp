// The search field used from the keyboard alone on a few hundred records: reaching the hits,
// choosing one, and the keys after a save or a cancel among the hits.
#include <QApplication>
#include <QLabel>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

class SearchKeysWindowTest : public MainWindowTest {
 protected:
  // Three hundred people, Name000,Vor000 to Name299,Vor299; every third lives in Freiburg.
  void OpenMany() {
    QByteArray names;
    QByteArray records;
    for (int i = 0; i < 300; ++i) {
      const QByteArray number = QByteArray::number(i).rightJustified(3, '0');
      const QByteArray name = "Name" + number;
      const QByteArray firstName = "Vor" + number;
      const QByteArray key = name + "," + firstName;
      names += key + "\r\n";
      records += viewsfixtures::Section(key.constData(), {{"Vorname", firstName.constData()},
                                                          {"Name", name.constData()},
                                                          {"Ort", i % 3 ? "Basel" : "Freiburg"}});
    }
    Open(names, records);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  QLineEdit* Field() const { return Find<QLineEdit>("SearchEdit"); }
  QString HitCount() const { return Find<QLabel>("SearchHits")->text(); }
  QWidget* Focused() const { return QApplication::focusWidget(); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Focused(), key, modifiers);
  }
  // Down in the list, which has the keyboard with nothing chosen: the first hit is chosen and
  // shown.
  void ExpectDownChoosesTheFirstHit(const char* after) {
    ASSERT_EQ(Focused(), List()) << after;
    ASSERT_EQ(form->SelectedListIndex(), -1) << after;
    Key(Qt::Key_Down);
    EXPECT_EQ(form->SelectedListIndex(), 0) << after;
    EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Name000")) << after;
  }
};

// Shift+Tab from the field, and a save or a cancel among the hits, leave the list with the
// keyboard and nothing chosen; Down then starts at the first hit, as in the whole list, not
// at the second.
TEST_F(SearchKeysWindowTest, downInTheListWithNothingChosen_choosesTheFirstHit) {
  OpenMany();
  Key(Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(Focused(), Field());
  QTest::keyClicks(Field(), QStringLiteral("freiburg"));
  ASSERT_EQ(HitCount(), QStringLiteral("100 Treffer"));
  Key(Qt::Key_Backtab);
  ExpectDownChoosesTheFirstHit("Shift+Tab");

  Key(Qt::Key_Down);
  Key(Qt::Key_F2);
  ASSERT_TRUE(form->EntryUnderway());
  Key(Qt::Key_F11);
  ExpectDownChoosesTheFirstHit("a new record given up");

  Key(Qt::Key_Down);
  Key(Qt::Key_F3);
  ASSERT_TRUE(form->EntryUnderway());
  Type(store::kPLZ, QStringLiteral("79098"));
  Key(Qt::Key_F12);
  ASSERT_FALSE(form->EntryUnderway());
  EXPECT_EQ(HitCount(), QStringLiteral("100 Treffer"));
  ExpectDownChoosesTheFirstHit("an edit saved");
  EXPECT_EQ(Field()->text(), QStringLiteral("freiburg"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace mainwindowtest
