// The search field of the main window: filtering as the user types, the hit count, showing a
// hit, Escape, the views, changes here and on another workstation while the list is filtered.
#include <QFile>
#include <QLabel>
#include <QListView>

#include "store/datafiles.h"
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

const QByteArray kNames = "Abel,Bert\r\nMeier,Anna\r\nM\xFCller,Karl\r\nZorn,Zoe\r\n";
const QByteArray kStore = Section("Abel,Bert", {{store::kVorname, "Bert"},
                                                {store::kName, "Abel"},
                                                {store::kOrt, "K\xF6ln"},
                                                {store::kTelefon1, "0221 12345"}}) +
                          Section("Meier,Anna", {{store::kVorname, "Anna"},
                                                 {store::kName, "Meier"},
                                                 {store::kFirma, "Stadtwerke"},
                                                 {store::kOrt, "Freiburg"},
                                                 {store::kTelefon1, "0761/93410-0"}}) +
                          Section("M\xFCller,Karl", {{store::kVorname, "Karl"},
                                                     {store::kName, "M\xFCller"},
                                                     {store::kFirma, "Mueller AG"},
                                                     {store::kOrt, "Basel"},
                                                     {store::kIRuf, "17"}}) +
                          Section("Zorn,Zoe", {{store::kVorname, "Zoe"},
                                               {store::kName, "Zorn"},
                                               {store::kStrasse,
                                                "Hauptstra\xDF"
                                                "e 5"},
                                               {store::kOrt, "Freiburg"}});

class SearchWindowTest : public MainWindowTest {
 protected:
  QLineEdit* Field() const { return Find<QLineEdit>("SearchEdit"); }
  QString HitCount() const { return Find<QLabel>("SearchHits")->text(); }
  void TypeKeys(const QString& keys) { QTest::keyClicks(Field(), keys); }
  // Replaces the field's text as typing or pasting does, in one change.
  void Search(const QString& text) {
    Field()->selectAll();
    Field()->insert(text);
  }
  static QStringList Keys(std::initializer_list<const char*> keys) {
    QStringList list;
    for (const char* key : keys)
      list.append(QString::fromUtf8(key));
    return list;
  }
  const QStringList all = Keys({"Abel,Bert", "Meier,Anna", "Müller,Karl", "Zorn,Zoe"});
};

TEST_F(SearchWindowTest, typingFiltersAfterEachKeyAndEscapeShowsTheWholeList) {
  Open(kNames, kStore);
  EXPECT_EQ(Field()->placeholderText(), QStringLiteral("Suchen"));
  Trigger("Suchen1");
  EXPECT_TRUE(Field()->hasFocus());

  TypeKeys(QStringLiteral("m"));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Müller,Karl"}));
  EXPECT_EQ(HitCount(), QStringLiteral("2 Treffer"));
  TypeKeys(QStringLiteral("u"));  // "mu": Müller, by its umlaut
  EXPECT_EQ(Entries(), Keys({"Müller,Karl"}));
  EXPECT_EQ(HitCount(), QStringLiteral("1 Treffer"));
  TypeKeys(QStringLiteral("x"));
  EXPECT_EQ(Entries(), QStringList());
  EXPECT_EQ(HitCount(), QStringLiteral("0 Treffer"));

  Search(QStringLiteral("freiburg"));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Zorn,Zoe"}));
  ClickRow(1);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));
  EXPECT_EQ(Edit(store::kStrasse)->text(), QStringLiteral("Hauptstraße 5"));

  // Escape shows the whole list, the chosen entry still chosen.
  QTest::keyClick(Field(), Qt::Key_Escape);
  EXPECT_EQ(Field()->text(), QString());
  EXPECT_EQ(Entries(), all);
  EXPECT_EQ(HitCount(), QString());
  EXPECT_EQ(form->SelectedListIndex(), 3);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// Down or Enter in the field goes on to the hits: the first is chosen and shown, the arrow
// keys go on from there; an entry chosen already stays chosen; without hits the field keeps
// the focus.
TEST_F(SearchWindowTest, downOrEnterInTheField_goesOnToTheHits) {
  Open(kNames, kStore);
  Trigger("Suchen1");
  TypeKeys(QStringLiteral("freiburg"));
  QTest::keyClick(Field(), Qt::Key_Down);
  QListView* list = Find<QListView>("ListBox1");
  EXPECT_TRUE(list->hasFocus());
  EXPECT_EQ(form->SelectedListIndex(), 0);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));

  Trigger("Suchen1");
  QTest::keyClick(Field(), Qt::Key_Return);
  EXPECT_TRUE(list->hasFocus());
  EXPECT_EQ(form->SelectedListIndex(), 1);
  EXPECT_EQ(Edit(store::kName)->text(), QStringLiteral("Zorn"));

  Trigger("Suchen1");
  TypeKeys(QStringLiteral("x"));
  ASSERT_EQ(Entries(), QStringList());
  QTest::keyClick(Field(), Qt::Key_Enter);
  EXPECT_TRUE(Field()->hasFocus());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(SearchWindowTest, findsByAnyFieldSpellingAndTelephoneDigits) {
  Open(kNames, kStore);
  const auto found = [&](const char* typed) {
    Search(QString::fromUtf8(typed));
    return Entries();
  };
  EXPECT_EQ(found("mueller"), Keys({"Müller,Karl"}));
  EXPECT_EQ(found("KOELN"), Keys({"Abel,Bert"}));
  EXPECT_EQ(found("strasse zoe"), Keys({"Zorn,Zoe"}));
  EXPECT_EQ(found("0761 934"), Keys({"Meier,Anna"}));
  EXPECT_EQ(found("+49761934100"), Keys({"Meier,Anna"}));
  EXPECT_EQ(found("stadtwerke anna freiburg"), Keys({"Meier,Anna"}));
  EXPECT_EQ(found("17"), Keys({"Müller,Karl"}));
  // Characters the store cannot hold can be typed; they find nothing and ask nothing.
  EXPECT_EQ(found("Meier \u260E"), QStringList());
  EXPECT_EQ(HitCount(), QStringLiteral("0 Treffer"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  Field()->clear();
  EXPECT_EQ(Entries(), all);
  // Searching changes no data file.
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
}

// A store that begins with a UTF-8 byte-order mark holds characters that Windows-1252 has no
// byte for; what the window shows of a record can be searched for.
TEST_F(SearchWindowTest, aStoreInUtf8_findsWhatItsRecordsHoldBeyondWindows1252) {
  const QByteArray store = "\xEF\xBB\xBF" +
                           Section("Abel,Bert", {{store::kVorname, "Bert"},
                                                 {store::kName, "Abel"},
                                                 {store::kFirma,
                                                  "\xC5\x81\xC3\xB3"
                                                  "d\xC5\xBA Sp."},
                                                 {store::kOrt, "K\xC3\xB6ln"}}) +
                           Section("Meier,Anna", {{store::kVorname, "Anna"},
                                                  {store::kName, "Meier"},
                                                  {store::kFirma,
                                                   "\xC5\x9A\xC3\xB3"
                                                   "d\xC5\xBC"},
                                                  {store::kOrt, "Freiburg"}});
  Open("Abel,Bert\r\nMeier,Anna\r\n", store);
  const auto found = [&](const char* typed) {
    Search(QString::fromUtf8(typed));
    return Entries();
  };
  EXPECT_EQ(found("köln"), Keys({"Abel,Bert"}));
  EXPECT_EQ(found("Łódź"), Keys({"Abel,Bert"}));
  EXPECT_EQ(found("łódź sp"), Keys({"Abel,Bert"}));
  EXPECT_EQ(HitCount(), QStringLiteral("1 Treffer"));
  ClickRow(0);
  EXPECT_EQ(Edit(store::kFirma)->text(), QString::fromUtf8("Łódź Sp."));
  // Spelled alike but for such characters is no hit.
  EXPECT_EQ(found("śódż"), Keys({"Meier,Anna"}));
  EXPECT_EQ(found("Łódź freiburg"), QStringList());
  EXPECT_EQ(found("\u260E"), QStringList());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Store(), store);
}

TEST_F(SearchWindowTest, aSaveOnAnotherWorkstationIsFoundAtTheNextKey) {
  Open(kNames, kStore);
  Search(QStringLiteral("frei"));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Zorn,Zoe"}));

  store::RecordValues values;
  values[store::kVorname] = QStringLiteral("Nina");
  values[store::kName] = QStringLiteral("Neu");
  values[store::kOrt] = QStringLiteral("Freiburg");
  store::DataFiles other(data.Path());
  ASSERT_EQ(other.SaveRecord(QStringLiteral("Neu,Nina"), values),
            store::DataFiles::SaveOutcome::Saved);
  other.DeleteRecord(QStringLiteral("Zorn,Zoe"));

  TypeKeys(QStringLiteral("b"));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Neu,Nina"}));
  EXPECT_EQ(HitCount(), QStringLiteral("2 Treffer"));
  ClickRow(1);
  EXPECT_EQ(Edit(store::kVorname)->text(), QStringLiteral("Nina"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(SearchWindowTest, nameIndexGoneWhileTyping_toldOnceAndTheKeysSearchTheListAsRead) {
  Open(kNames, kStore);
  TypeKeys(QStringLiteral("f"));
  ASSERT_TRUE(QFile::remove(data.Path() + QStringLiteral("/names.qdx")));  // the share drops out
  TypeKeys(QStringLiteral("rei"));
  EXPECT_EQ(dialogs.Texts(), QStringList({store::LoadFailureMessage()}));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Zorn,Zoe"}));

  // Back again, with a record another workstation added meanwhile: found at the next key.
  data.Write("names.qdx", kNames);
  store::RecordValues values;
  values[store::kVorname] = QStringLiteral("Nina");
  values[store::kName] = QStringLiteral("Neu");
  values[store::kOrt] = QStringLiteral("Freiburg");
  ASSERT_EQ(store::DataFiles(data.Path()).SaveRecord(QStringLiteral("Neu,Nina"), values),
            store::DataFiles::SaveOutcome::Saved);
  TypeKeys(QStringLiteral("b"));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Neu,Nina", "Zorn,Zoe"}));

  // Gone once more: told again, once.
  ASSERT_TRUE(QFile::remove(data.Path() + QStringLiteral("/names.qdx")));
  TypeKeys(QStringLiteral("ur"));
  EXPECT_EQ(dialogs.Texts(),
            QStringList({store::LoadFailureMessage(), store::LoadFailureMessage()}));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Neu,Nina", "Zorn,Zoe"}));
}

TEST_F(SearchWindowTest, deleteWhileFilteringKeepsTheFilterAndUpdatesTheHits) {
  Open(kNames, kStore);
  Search(QStringLiteral("freiburg"));
  ClickRow(0);
  QTest::keyClick(form.get(), Qt::Key_F8);  // the commands compare the whole list, not the hits
  EXPECT_EQ(Names(),
            "Abel,Bert\r\nM\xFC"
            "ller,Karl\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Field()->text(), QStringLiteral("freiburg"));
  EXPECT_EQ(Entries(), Keys({"Zorn,Zoe"}));
  EXPECT_EQ(HitCount(), QStringLiteral("1 Treffer"));
  EXPECT_EQ(form->SelectedListIndex(), -1);

  QTest::keyClick(Field(), Qt::Key_Escape);
  EXPECT_EQ(Entries(), Keys({"Abel,Bert", "Müller,Karl", "Zorn,Zoe"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(SearchWindowTest, editAndNewRecordWhileFilteringKeepTheFilterAndUpdateTheHits) {
  Open(kNames, kStore);
  Search(QStringLiteral("freiburg"));
  ClickRow(1);
  QTest::keyClick(form.get(), Qt::Key_F3);
  ASSERT_TRUE(form->EntryUnderway());
  EXPECT_FALSE(Field()->isEnabled());
  EXPECT_FALSE(Item("Suchen1")->isEnabled());
  EXPECT_EQ(Entries(), Keys({"Meier,Anna"}));
  Type(store::kOrt, QStringLiteral("Basel"));
  Click("Button1");
  ASSERT_FALSE(form->EntryUnderway());
  // Zorn,Zoe no longer lives in Freiburg: listed, but not a hit.
  EXPECT_EQ(Entries(), Keys({"Meier,Anna"}));
  EXPECT_EQ(Field()->text(), QStringLiteral("freiburg"));
  EXPECT_TRUE(Field()->isEnabled());
  EXPECT_EQ(Names(), kNames);

  // A new record that matches is among the hits after saving; nothing is selected.
  QTest::keyClick(form.get(), Qt::Key_F2);
  FillNames(QStringLiteral("Neu"), QStringLiteral("Nina"));
  Type(store::kOrt, QStringLiteral("Freiburg"));
  Click("Button1");
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Neu,Nina"}));
  EXPECT_EQ(HitCount(), QStringLiteral("2 Treffer"));
  EXPECT_EQ(form->SelectedListIndex(), -1);

  // An edit given up lists its record again among the hits.
  ClickRow(0);
  Click("ToolbarButton972");
  EXPECT_EQ(Entries(), Keys({"Neu,Nina"}));
  Click("ToolbarButton9711");
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Neu,Nina"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(SearchWindowTest, reportCommandKeepsTheFilterAndGetsTheHits) {
  Open(kNames, kStore);
  QStringList seen;
  form->SetReportGeneratorHook([&] { seen = form->ListEntries(); });
  Search(QStringLiteral("freiburg"));
  ClickRow(1);
  Click("ToolbarButton974");
  EXPECT_EQ(seen, Keys({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(form->SelectedListIndex(), 1);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(SearchWindowTest, theOtherViewsEmptyTheFieldAndTypingLeavesThem) {
  Open(kNames, kStore);
  Search(QStringLiteral("freiburg"));
  Click("Button3");
  EXPECT_EQ(Field()->text(), QString());
  EXPECT_EQ(Entries(), Keys({"Müller,Karl @ 17"}));

  Search(QStringLiteral("zoe"));
  EXPECT_FALSE(Button("Button3")->isChecked());
  EXPECT_EQ(Entries(), Keys({"Zorn,Zoe"}));

  Click("ToolbarButton9712");
  EXPECT_EQ(Field()->text(), QString());
  EXPECT_TRUE(List()->isHidden());
  Search(QStringLiteral("abel"));
  EXPECT_FALSE(Button("ToolbarButton9712")->isChecked());
  EXPECT_FALSE(List()->isHidden());
  EXPECT_EQ(Entries(), Keys({"Abel,Bert"}));
}

// Typing in the company view leaves it as its button does: the person chosen in the tree stays
// chosen among the hits, so that F3 and F8 act on the record the fields show.
TEST_F(SearchWindowTest, typingInTheCompanyView_keepsThePersonChosenInTheTreeChosenAmongTheHits) {
  Open(kNames, kStore);
  Click("ToolbarButton9712");
  Tree()->expandAll();
  const QModelIndexList meier =
      Nodes()->match(Root(), Qt::DisplayRole, QStringLiteral("Meier,Anna"), 1,
                     Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(meier.size(), 1);
  ClickNode(meier.first());
  ASSERT_EQ(Edit(store::kName)->text(), QStringLiteral("Meier"));

  Trigger("Suchen1");
  TypeKeys(QStringLiteral("frei"));
  EXPECT_TRUE(List()->isVisible());
  EXPECT_EQ(Entries(), Keys({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(form->SelectedListIndex(), 0);
  QTest::keyClick(form.get(), Qt::Key_F8);
  EXPECT_EQ(Names(),
            "Abel,Bert\r\nM\xFC"
            "ller,Karl\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Entries(), Keys({"Zorn,Zoe"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

}  // namespace
}  // namespace mainwindowtest
