// Working in the hits of a search as the user does: moving through them from the keyboard,
// deleting, editing and adding records among them, the other views, the report generator and
// the exports while the list is filtered.
#include <QApplication>
#include <QLabel>

#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

// Three hundred people; the surnames begin with A to Y, twelve each ("Aname000" to
// "Yname299"), and every third person lives in Freiburg, the others in Basel.
class SearchHitsWindowTest : public MainWindowTest {
 protected:
  static QByteArray Surname(int i) {
    return QByteArray(1, char('A' + i / 12)) + "name" +
           QByteArray::number(i).rightJustified(3, '0');
  }
  static QByteArray FirstName(int i) {
    return "Vor" + QByteArray::number(i).rightJustified(3, '0');
  }
  static QByteArray Key(int i) { return Surname(i) + "," + FirstName(i); }
  static QString KeyText(int i) { return QString::fromLatin1(Key(i)); }
  static bool InFreiburg(int i) { return i % 3 == 0; }

  // The name index without the people `left`.
  static QByteArray NamesWithout(std::initializer_list<int> left) {
    QByteArray names;
    for (int i = 0; i < 300; ++i) {
      if (std::find(left.begin(), left.end(), i) == left.end())
        names += Key(i) + "\r\n";
    }
    return names;
  }
  // The keys of the people in Freiburg, in list order.
  static QStringList FreiburgKeys() {
    QStringList keys;
    for (int i = 0; i < 300; i += 3)
      keys.append(KeyText(i));
    return keys;
  }

  void OpenMany() {
    QByteArray records;
    for (int i = 0; i < 300; ++i) {
      records += Section(Key(i), {{store::kVorname, FirstName(i)},
                                  {store::kName, Surname(i)},
                                  {store::kOrt, InFreiburg(i) ? "Freiburg" : "Basel"}});
    }
    Open(NamesWithout({}), records);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void Filter(const QString& text) {
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), Field());
    QTest::keyClicks(Field(), text);
  }
  QLineEdit* Field() const { return Find<QLineEdit>("SearchEdit"); }
  QString HitCount() const { return Find<QLabel>("SearchHits")->text(); }
  void KeyInList(Qt::Key key) { QTest::keyClick(List(), key); }
  // The entries as the list draws them, which must be those it hands out.
  QStringList Drawn() const {
    QStringList drawn;
    for (int row = 0; row < List()->model()->rowCount(); ++row)
      drawn.append(Row(row).data().toString());
    return drawn;
  }
  // The entry chosen in the list, and the record shown is that entry's.
  void ExpectChosen(const QString& key, const char* after) {
    const int row = form->SelectedListIndex();
    ASSERT_GE(row, 0) << after;
    EXPECT_EQ(Row(row).data().toString(), key) << after;
    EXPECT_EQ(form->ListEntry(row), key) << after;
    EXPECT_EQ(List()->currentIndex().row(), row) << after;
    EXPECT_EQ(Edit(store::kName)->text() + QLatin1Char(',') + Edit(store::kVorname)->text(), key)
        << after;
  }
};

// Down, Up, Home, End, PageDown, a first letter and Enter in the list of hits choose a hit and
// show its record, never a record between the hits.
TEST_F(SearchHitsWindowTest, theKeysOfTheListMoveAmongTheHitsAndShowEach) {
  OpenMany();
  Filter(QStringLiteral("freiburg"));
  ASSERT_EQ(HitCount(), QStringLiteral("100 Treffer"));
  ASSERT_EQ(Entries(), FreiburgKeys());
  ASSERT_EQ(Drawn(), FreiburgKeys());
  QTest::keyClick(Field(), Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), List());
  ExpectChosen(KeyText(0), "Down in the field");

  KeyInList(Qt::Key_Down);
  ExpectChosen(KeyText(3), "Down");
  KeyInList(Qt::Key_Down);
  ExpectChosen(KeyText(6), "Down again");
  KeyInList(Qt::Key_Up);
  ExpectChosen(KeyText(3), "Up");
  KeyInList(Qt::Key_End);
  ExpectChosen(KeyText(297), "End");
  KeyInList(Qt::Key_Home);
  ExpectChosen(KeyText(0), "Home");
  KeyInList(Qt::Key_PageDown);
  const int page = form->SelectedListIndex();
  EXPECT_GT(page, 1);
  ExpectChosen(FreiburgKeys().value(page), "PageDown");

  // "K" is the twelve people 120 to 131: the hits among them are 120, 123, 126 and 129.
  QTest::keyClicks(List(), QStringLiteral("k"));
  ExpectChosen(KeyText(120), "a first letter");
  QTest::qWait(QApplication::keyboardInputInterval() + 50);
  QTest::keyClicks(List(), QStringLiteral("k"));
  ExpectChosen(KeyText(123), "the same letter again");
  QTest::qWait(QApplication::keyboardInputInterval() + 50);
  QTest::keyClicks(List(), QStringLiteral("b"));
  ExpectChosen(KeyText(12), "a letter before");

  KeyInList(Qt::Key_Return);
  ExpectChosen(KeyText(12), "Enter");
  EXPECT_EQ(Entries(), FreiburgKeys());
  EXPECT_EQ(HitCount(), QStringLiteral("100 Treffer"));
  EXPECT_EQ(Names(), NamesWithout({}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// F8 on a hit deletes that record, and F8 on the hit that took its place deletes that one; the
// keys then still move among the hits left.
TEST_F(SearchHitsWindowTest, deletingOneHitAfterAnother_deletesTheRecordsChosen) {
  OpenMany();
  Filter(QStringLiteral("freiburg"));
  ASSERT_EQ(Entries(), FreiburgKeys());  // handed out before the deletes, and after them
  ClickRow(5);
  ExpectChosen(KeyText(15), "a click");
  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(Names(), NamesWithout({15}));
  EXPECT_EQ(HitCount(), QStringLiteral("99 Treffer"));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(Edit(store::kName)->text(), QString());
  QStringList left = FreiburgKeys();
  left.removeAll(KeyText(15));
  EXPECT_EQ(Entries(), left);

  ClickRow(5);
  ExpectChosen(KeyText(18), "the next hit");
  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(Names(), NamesWithout({15, 18}));
  EXPECT_EQ(HitCount(), QStringLiteral("98 Treffer"));
  left.removeAll(KeyText(18));
  EXPECT_EQ(Entries(), left);
  EXPECT_EQ(Drawn(), left);

  ClickRow(4);
  ExpectChosen(KeyText(12), "a click after two deletes");
  KeyInList(Qt::Key_Down);
  ExpectChosen(KeyText(21), "Down over the deleted hits");
  KeyInList(Qt::Key_End);
  ExpectChosen(KeyText(297), "End");
  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(Names(), NamesWithout({15, 18, 297}));
  EXPECT_EQ(HitCount(), QStringLiteral("97 Treffer"));

  QTest::keyClick(Field(), Qt::Key_Escape);
  EXPECT_EQ(Entries().size(), 297);
  EXPECT_EQ(Drawn(), Entries());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// An edit of a hit is saved under its new name: one that no longer matches leaves the hits,
// one that still matches stands at its place among them. A new record that matches joins them,
// and an edit given up puts its hit back.
TEST_F(SearchHitsWindowTest, savingAndGivingUpAmongTheHits_keepsTheHitsInStepWithTheNameIndex) {
  OpenMany();
  Filter(QStringLiteral("freiburg"));
  ClickRow(2);
  ExpectChosen(KeyText(6), "a click");
  QTest::keyClick(form.get(), Qt::Key_F3);
  ASSERT_TRUE(form->EntryUnderway());
  EXPECT_EQ(HitCount(), QStringLiteral("99 Treffer"));
  QStringList hits = FreiburgKeys();
  hits.removeAll(KeyText(6));
  EXPECT_EQ(Entries(), hits);
  Type(store::kName, QStringLiteral("Zebra"));
  Type(store::kOrt, QStringLiteral("Basel"));
  QTest::keyClick(form.get(), Qt::Key_F12);
  ASSERT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), NamesWithout({6}) + "Zebra,Vor006\r\n");
  EXPECT_EQ(HitCount(), QStringLiteral("99 Treffer"));
  EXPECT_EQ(Entries(), hits);
  EXPECT_EQ(Drawn(), hits);

  // Renamed from "Aname009" to "Cname009", still in Freiburg: it now stands after the B people,
  // before "Cname024", the first C.
  ClickRow(2);
  ExpectChosen(KeyText(9), "a click after the save");
  QTest::keyClick(form.get(), Qt::Key_F3);
  Type(store::kName, QStringLiteral("Cname009"));
  QTest::keyClick(form.get(), Qt::Key_F12);
  ASSERT_FALSE(form->EntryUnderway());
  hits.removeAll(KeyText(9));
  hits.insert(hits.indexOf(KeyText(24)), QStringLiteral("Cname009,Vor009"));
  EXPECT_EQ(Entries(), hits);
  EXPECT_EQ(Drawn(), hits);
  EXPECT_EQ(HitCount(), QStringLiteral("99 Treffer"));
  ClickRow(int(hits.indexOf(QStringLiteral("Cname009,Vor009"))));
  ExpectChosen(QStringLiteral("Cname009,Vor009"), "the renamed hit");
  KeyInList(Qt::Key_Down);
  ExpectChosen(KeyText(24), "Down from the renamed hit");

  QTest::keyClick(form.get(), Qt::Key_F2);
  ASSERT_TRUE(form->EntryUnderway());
  FillNames(QStringLiteral("Bname999"), QStringLiteral("Neu"));
  Type(store::kOrt, QStringLiteral("Freiburg"));
  QTest::keyClick(form.get(), Qt::Key_F12);
  ASSERT_FALSE(form->EntryUnderway());
  hits.insert(hits.indexOf(QStringLiteral("Cname009,Vor009")), QStringLiteral("Bname999,Neu"));
  EXPECT_EQ(Entries(), hits);
  EXPECT_EQ(Drawn(), hits);
  EXPECT_EQ(HitCount(), QStringLiteral("100 Treffer"));

  // One that does not match is listed, but not among the hits.
  QTest::keyClick(form.get(), Qt::Key_F2);
  FillNames(QStringLiteral("Bname998"), QStringLiteral("Neu"));
  Type(store::kOrt, QStringLiteral("Basel"));
  QTest::keyClick(form.get(), Qt::Key_F12);
  ASSERT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Entries(), hits);
  EXPECT_EQ(HitCount(), QStringLiteral("100 Treffer"));
  EXPECT_TRUE(Names().contains("\r\nBname998,Neu\r\nBname999,Neu\r\n"));

  ClickRow(0);
  QTest::keyClick(form.get(), Qt::Key_F3);
  ASSERT_TRUE(form->EntryUnderway());
  Type(store::kName, QStringLiteral("Xyz"));
  QTest::keyClick(form.get(), Qt::Key_F11);
  ASSERT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Entries(), hits);
  EXPECT_EQ(Drawn(), hits);
  EXPECT_EQ(HitCount(), QStringLiteral("100 Treffer"));
  ClickRow(0);
  ExpectChosen(KeyText(0), "the edit given up");

  QTest::keyClick(Field(), Qt::Key_Escape);
  EXPECT_EQ(Entries().size(), 302);
  EXPECT_EQ(Drawn(), Entries());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// The other views leave the hits and come back to the whole list; Escape and Ctrl+F.
TEST_F(SearchHitsWindowTest, theViewsEscapeAndCtrlF_leaveTheHitsForTheWholeList) {
  OpenMany();
  Filter(QStringLiteral("freiburg"));
  ClickRow(3);
  ExpectChosen(KeyText(9), "a click");

  Click("ToolbarButton9712");
  EXPECT_EQ(Field()->text(), QString());
  EXPECT_EQ(HitCount(), QString());
  Click("ToolbarButton9712");
  EXPECT_EQ(Entries().size(), 300);
  EXPECT_EQ(Drawn(), Entries());

  Filter(QStringLiteral("freiburg"));
  Click("Button3");
  EXPECT_EQ(Field()->text(), QString());
  EXPECT_EQ(Entries(), QStringList());  // nobody has an internal number
  EXPECT_EQ(HitCount(), QString());
  Click("Button3");
  EXPECT_EQ(Entries().size(), 300);
  EXPECT_EQ(Drawn(), Entries());

  Filter(QStringLiteral("freiburg"));
  ClickRow(4);
  ExpectChosen(KeyText(12), "a click");
  QTest::keyClick(Field(), Qt::Key_Escape);
  EXPECT_EQ(Entries().size(), 300);
  ExpectChosen(KeyText(12), "Escape");
  QTest::keyClick(List(), Qt::Key_Down);
  ExpectChosen(KeyText(13), "Down in the whole list");
  EXPECT_EQ(Names(), NamesWithout({}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// The report generator and the vCard export take the hits; the CSV export the whole name index.
TEST_F(SearchHitsWindowTest, reportAndExportsWhileFiltered) {
  OpenMany();
  QStringList seen;
  form->SetReportGeneratorHook([&] { seen = form->ListEntries(); });
  Filter(QStringLiteral("freiburg"));
  ClickRow(1);
  QTest::keyClick(form.get(), Qt::Key_F8);
  Click("ToolbarButton974");
  QStringList hits = FreiburgKeys();
  hits.removeAll(KeyText(3));
  EXPECT_EQ(seen, hits);

  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("adressen.vcf")));
  Trigger("VCardExport1");
  const QByteArray cards = data.Read(QStringLiteral("adressen.vcf"));
  EXPECT_EQ(cards.count("BEGIN:VCARD"), 99);
  EXPECT_FALSE(cards.contains("Vor003"));
  EXPECT_FALSE(cards.contains("Vor001"));

  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("adressen.csv")));
  Click("ToolbarButton973");
  EXPECT_EQ(data.Read(QStringLiteral("adressen.csv")).count("\r\n"), 1 + 299);
  EXPECT_EQ(Entries(), hits);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace mainwindowtest
