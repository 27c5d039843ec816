// Two workstations on one address book: two main windows, each with its own address book
// object on the same directory, whose users interleave their steps.
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QLockFile>
#include <QPushButton>
#include <QThread>
#include <QTreeView>

#include "mainwindow/tform3.h"
#include "store/datafiles.h"
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kNames = "Abel,Bert\r\nMeier,Anna\r\nZorn,Zoe\r\n";
const QByteArray kStore = Person("Abel", "Bert", "Abel GmbH") +
                          Person("Meier", "Anna", "Meier AG") + Person("Zorn", "Zoe", "Zorn KG");

const char* const kUpdateNotice =
    "Daten können nicht aktualisiert werden!\r Möglicherweise arbeiten Sie mit ungültigen "
    "Einträgen.\r Klicken Sie einen Namen an, um eine Datenaktualisierung zu erzielen!";

// Window A is the fixture's form; window B is a second workstation on the same directory.
class TwoPlacesTest : public MainWindowTest {
 protected:
  void TearDown() override {
    store::DataFiles::SetDefaultLockTimeouts(10000, 30000);
    if (b) {
      dialogs.AnswerNext(QStringLiteral("&Nein"));
      b->close();
    }
    MainWindowTest::TearDown();
  }

  void OpenBoth(const QByteArray& names, const QByteArray& records) {
    Open(names, records);
    b = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(data.Path()));
    b->show();
  }

  // Steps of workstation B, as its user takes them.
  template <typename T>
  T* InB(const char* name) const {
    T* widget = b->findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void TriggerInB(const char* name) {
    QAction* item = InB<QAction>(name);
    ASSERT_TRUE(item->isEnabled()) << name;
    item->trigger();
  }
  void ClickRowInB(const QString& entry) {
    auto* list = InB<QListView>("ListBox1");
    const int row = int(b->ListEntries().indexOf(entry));
    ASSERT_GE(row, 0) << entry.toStdString();
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(index).center());
  }
  void TypeInB(int field, const QString& text) {
    auto* edit = InB<QLineEdit>(store::Fields()[field].control);
    edit->setFocus();
    edit->selectAll();
    edit->insert(text);
  }
  // B renames, edits or deletes a record of the list, start to end.
  void EditInB(const QString& entry, int field, const QString& text) {
    ClickRowInB(entry);
    TriggerInB("Datensatzbearbeiten1");
    TypeInB(field, text);
    TriggerInB("Dateneingabebeenden1");
    ASSERT_FALSE(b->EntryUnderway());
  }
  void DeleteInB(const QString& entry) {
    ClickRowInB(entry);
    TriggerInB("Lschen2");
  }

  int RowOf(const QString& entry) const { return int(Entries().indexOf(entry)); }

  std::unique_ptr<TForm1> b;
};

// --- A shows a record that B then changes ---

TEST_F(TwoPlacesTest, editedElsewhere_editHereStartsFromTheValuesSavedThere) {
  OpenBoth(kNames, kStore);
  ClickRow(RowOf("Meier,Anna"));
  EditInB("Meier,Anna", store::kOrt, "Bonn");
  Trigger("Datensatzbearbeiten1");
  ASSERT_TRUE(form->EntryUnderway());
  EXPECT_EQ(Edit(store::kOrt)->text(), "Bonn");
  Type(store::kPLZ, "53111");
  Trigger("Dateneingabebeenden1");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), kNames);
  EXPECT_TRUE(
      Store().contains("[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nPosition=\r\n"
                       "Kurzzeichen=\r\nFirma=Meier AG\r\nStrasse=\r\nPLZ=53111\r\n"
                       "Ort=Bonn\r\n"));
}

// The record shown here was renamed or deleted at the other workstation. Whether the list
// then still agrees with the name index up to its last line or not, edit and delete tell the
// user, empty the fields and act on nothing.
TEST_F(TwoPlacesTest, shownRecordRenamedElsewhere_editHereTellsAndEmptiesTheFields) {
  OpenBoth(kNames, kStore);
  ClickRow(RowOf("Meier,Anna"));
  EditInB("Meier,Anna", store::kVorname, "Anne");
  ASSERT_EQ(Names(), "Abel,Bert\r\nMeier,Anne\r\nZorn,Zoe\r\n");
  Trigger("Datensatzbearbeiten1");

  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anne", "Zorn,Zoe"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anne\r\nZorn,Zoe\r\n");
}

TEST_F(TwoPlacesTest, shownRecordDeletedElsewhere_deleteHereTellsAndDeletesNothingElse) {
  OpenBoth(kNames, kStore);
  ClickRow(RowOf("Meier,Anna"));
  DeleteInB("Meier,Anna");
  ASSERT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  Trigger("Lschen2");
  Trigger("Lschen2");  // nothing chosen now: nothing happens

  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(data.Read("secure.qdx"), "Meier,Anna\r\n");

  // The last entry: the list still agrees with the name index up to the index's last line.
  dialogs.boxes.clear();
  ClickRow(RowOf("Zorn,Zoe"));
  DeleteInB("Zorn,Zoe");
  Trigger("Lschen2");
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));
  EXPECT_EQ(Entries(), QStringList{"Abel,Bert"});
  EXPECT_EQ(data.Read("secure.qdx"), "Meier,Anna\r\nZorn,Zoe\r\n");
}

TEST_F(TwoPlacesTest, shownRecordTakenIntoAnEditElsewhere_editHereTells_thatEditSavesUntouched) {
  OpenBoth(kNames, kStore);
  ClickRow(RowOf("Meier,Anna"));
  ClickRowInB("Meier,Anna");
  TriggerInB("Datensatzbearbeiten1");
  TypeInB(store::kOrt, "Bonn");
  Trigger("Datensatzbearbeiten1");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  TriggerInB("Dateneingabebeenden1");
  EXPECT_FALSE(b->EntryUnderway());
  EXPECT_EQ(Names(), kNames);
  EXPECT_TRUE(Store().contains("Firma=Meier AG\r\nStrasse=\r\nPLZ=\r\nOrt=Bonn\r\n"));
}

// B acts in the moment after A's edit looked at the name index and before it takes the record
// out (A reads the record meanwhile, which over a share takes a while): A's edit does not
// start, and the user is told.
class TwoPlacesRaceTest : public TwoPlacesTest {
 protected:
  void StartEditWhileBActs(const std::function<void()>& inB) {
    OpenBoth(kNames, kStore);
    ClickRow(RowOf("Meier,Anna"));
    ClickRowInB("Meier,Anna");
    bool acted = false;
    store::SetFaultHook([&](store::FileOp op, const QString& path) {
      if (!acted && op == store::FileOp::Read && path.endsWith(QLatin1String("adresse.qdx")) &&
          QThread::currentThread() == qApp->thread()) {
        acted = true;
        inB();
      }
      return false;
    });
    Trigger("Datensatzbearbeiten1");
    store::SetFaultHook({});
    ASSERT_TRUE(acted);
    EXPECT_FALSE(form->EntryUnderway());
    EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
    EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  }
};

TEST_F(TwoPlacesRaceTest, takenIntoAnEditThere_editHereDoesNotStart_thatEditSavesUntouched) {
  StartEditWhileBActs([this] {
    TriggerInB("Datensatzbearbeiten1");
    TypeInB(store::kOrt, "Bonn");
  });
  TriggerInB("Dateneingabebeenden1");
  EXPECT_EQ(Names(), kNames);
  EXPECT_TRUE(Store().contains("Firma=Meier AG\r\nStrasse=\r\nPLZ=\r\nOrt=Bonn\r\n"));
}

TEST_F(TwoPlacesRaceTest, deletedThere_editHereDoesNotListItAgain) {
  StartEditWhileBActs([this] { TriggerInB("Lschen2"); });
  EXPECT_EQ(data.Read("secure.qdx"), "Meier,Anna\r\n");
  EXPECT_FALSE(Entries().contains("Meier,Anna"));
}

// --- the restore dialog open at A while B changes the deleted records ---

class TwoPlacesRestoreTest : public TwoPlacesTest {
 protected:
  // A opens the restore dialog, ticks keys, B acts meanwhile, A presses "&Wiederherstellen".
  void RestoreInA(const QStringList& ticked, const std::function<void()>& meanwhile) {
    AnswerRestoreDialog(ticked, meanwhile);
    Trigger("G1");
  }
  // B restores keys through its own restore dialog.
  void RestoreInB(const QStringList& ticked) {
    AnswerRestoreDialog(ticked);
    TriggerInB("G1");
  }
  QByteArray Secure() const { return data.Read("secure.qdx"); }
};

const QByteArray kDeleted = "Berg,Ute\r\nCarl,Max\r\nDorn,Ida\r\n";
const QByteArray kAll =
    kStore + Person("Berg", "Ute", "B") + Person("Carl", "Max", "C") + Person("Dorn", "Ida", "D");

// B restores one of the keys A ticked: A's restore moves the others and says that one could
// not be restored; it does not claim that new data exist for that person.
TEST_F(TwoPlacesRestoreTest, tickedKeyRestoredElsewhere_othersAreMoved_failureTold) {
  data.Write("secure.qdx", kDeleted);
  OpenBoth(kNames, kAll);
  RestoreInA({"Berg,Ute", "Carl,Max"}, [this] { RestoreInB({"Berg,Ute"}); });

  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreFailedMessage()});
  EXPECT_EQ(Names(), "Abel,Bert\r\nBerg,Ute\r\nCarl,Max\r\nMeier,Anna\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "Dorn,Ida\r\n");
  EXPECT_EQ(Entries(),
            (QStringList{"Abel,Bert", "Berg,Ute", "Carl,Max", "Meier,Anna", "Zorn,Zoe"}));
}

// --- views at A while B changes a record of them ---

TEST_F(TwoPlacesTest, companyMemberRenamedElsewhere_clickTells_treeBuiltAgain) {
  OpenBoth(kNames, kStore);
  Click("ToolbarButton9712");
  auto* tree = Find<QTreeView>("TreeView1");
  EditInB("Meier,Anna", store::kVorname, "Anne");
  const QModelIndex root = tree->model()->index(0, 0);
  const QModelIndex company = tree->model()->index(1, 0, root);  // Meier AG
  ASSERT_EQ(company.data().toString(), "Meier AG");
  tree->expand(company);
  const QModelIndex member = tree->model()->index(0, 0, company);
  ASSERT_EQ(member.data().toString(), "Meier,Anna");
  tree->selectionModel()->setCurrentIndex(member, QItemSelectionModel::ClearAndSelect);
  form->TreeView1Click();

  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));
  const QModelIndex rebuilt = tree->model()->index(1, 0, tree->model()->index(0, 0));
  EXPECT_EQ(tree->model()->index(0, 0, rebuilt).data().toString(), "Meier,Anne");
}

// --- A's edit is open while B purges ---

// A key in both lists (a delete whose name index write failed, or an older program) is
// edited here while the other workstation purges: the record under edit keeps its values when
// the edit is given up, and its key is no longer offered as deleted.
TEST_F(TwoPlacesTest, keyAlsoDeleted_editOpenHere_purgeElsewhere_cancelKeepsTheRecord) {
  data.Write("secure.qdx", "MEIER,Anna\r\nMeier,Anna\r\nZorn,Udo\r\n");
  OpenBoth(kNames, kStore);
  ClickRow(RowOf("Meier,Anna"));
  Trigger("Datensatzbearbeiten1");
  dialogs.AnswerNext("&Ja");
  TriggerInB("GelschteDatenstzeendgltigverwerfen1");
  Trigger("Dateneingabeabbrechen1");
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
  EXPECT_EQ(data.Read("secure.qdx"), "");
}

// --- B holds the lock past the wait ---

TEST_F(TwoPlacesTest, lockHeldElsewhere_deleteEditCancelRestorePurge_tellItAndChangeNothing) {
  store::DataFiles::SetDefaultLockTimeouts(100, 60000);
  data.Write("secure.qdx", "Berg,Ute\r\n");
  OpenBoth(kNames, kStore + Person("Berg", "Ute", "B"));
  QLockFile held(store::DataFiles(data.Path()).LockPath());
  ASSERT_TRUE(held.tryLock(0));

  ClickRow(RowOf("Meier,Anna"));
  Trigger("Lschen2");
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LockBusyMessage()});
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));

  dialogs.boxes.clear();
  ClickRow(RowOf("Meier,Anna"));
  Trigger("Datensatzbearbeiten1");
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LockBusyMessage()});
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}));

  dialogs.boxes.clear();
  dialogs.AnswerNext("&Ja");
  Trigger("GelschteDatenstzeendgltigverwerfen1");
  EXPECT_EQ(dialogs.Texts().value(1), store::LockBusyMessage());

  dialogs.boxes.clear();
  AnswerRestoreDialog({"Berg,Ute"});
  Trigger("G1");
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LockBusyMessage()});

  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(data.Read("secure.qdx"), "Berg,Ute\r\n");
  EXPECT_EQ(Store(), kStore + Person("Berg", "Ute", "B"));

  // An edit started before the lock was taken elsewhere: cancel keeps the entry open.
  held.unlock();
  dialogs.boxes.clear();
  ClickRow(RowOf("Meier,Anna"));
  Trigger("Datensatzbearbeiten1");
  ASSERT_TRUE(form->EntryUnderway());
  Type(store::kOrt, "Bonn");
  ASSERT_TRUE(held.tryLock(0));
  Trigger("Dateneingabeabbrechen1");
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LockBusyMessage()});
  ExpectEntryIntact(store::kOrt, "Bonn");
  held.unlock();
  Trigger("Dateneingabeabbrechen1");
  EXPECT_EQ(Names(), kNames);
}

}  // namespace
}  // namespace mainwindowtest
