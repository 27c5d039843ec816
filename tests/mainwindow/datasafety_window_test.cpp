// The main window at the edges of the data files: a name index that vanished or is damaged, a
// lock that another workstation holds, and records that a crash or a rename left listed nowhere.
#include <QCursor>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QLockFile>
#include <QMenu>
#include <QPushButton>
#include <optional>

#include "mainwindow/tform3.h"
#include "store/datafiles.h"
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kNames = "Alt,Bea\r\nBerg,Ute\r\n";
const QByteArray kStore = Person("Alt", "Bea", "A") + Person("Berg", "Ute", "B");

class DataSafetyWindowTest : public MainWindowTest {
 protected:
  void TearDown() override {
    store::DataFiles::SetDefaultLockTimeouts(10000, 30000);
    MainWindowTest::TearDown();
  }
  void NewEntry(const QString& name, const QString& firstName) {
    Click("ToolbarButton971");
    FillNames(name, firstName);
  }
  // Opens the orphan dialog from the menu; inside it ticks some entries, runs `meanwhile`
  // (another workstation) and presses "&Wiederherstellen".
  void RestoreOrphans(const QStringList& ticked, const std::function<void()>& meanwhile = {}) {
    AnswerRestoreDialog(ticked, meanwhile);
    Trigger("VerwaisteDatenstzewiederherstellen1");
    EXPECT_EQ(restoreDialogTitle, QString::fromUtf8("Gelöschte Datensätze wiederherstellen"));
  }
};

// A share that drops out takes the name index with it: the save is refused with the
// load-failure message and the entry stays as typed; no one-key index is written.
TEST_F(DataSafetyWindowTest, nameIndexVanished_saveShowsLoadFailure_entryKept_nothingWritten) {
  Open(kNames, kStore);
  NewEntry("Neu", "Nina");
  ASSERT_TRUE(QFile::remove(data.File("names.qdx")));
  Trigger("Dateneingabebeenden1");

  EXPECT_EQ(dialogs.Texts(), QStringList{store::LoadFailureMessage()});
  ExpectEntryIntact(store::kName, "Neu");
  ExpectEntryIntact(store::kVorname, "Nina");
  EXPECT_FALSE(data.Exists("names.qdx"));
  EXPECT_EQ(Store(), kStore);
  // Back again, the same entry saves.
  data.Write("names.qdx", kNames);
  Trigger("Dateneingabebeenden1");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\nNeu,Nina\r\n");
}

// The name index became a link that leads nowhere after the list was loaded: delete and edit
// of the chosen entry tell it once each and write nothing.
TEST_F(DataSafetyWindowTest, nameIndexDanglingLink_deleteAndEditTellItOnce_nothingWritten) {
  Open(kNames, kStore);
  ClickRow(0);
  ASSERT_TRUE(QFile::remove(data.File("names.qdx")));
  ASSERT_TRUE(QFile::link(data.File("gone.qdx"), data.File("names.qdx")));
  Trigger("Lschen2");
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LoadFailureMessage()});
  Trigger("Bearbeiten2");
  EXPECT_EQ(dialogs.Texts(), QStringList(2, store::LoadFailureMessage()));
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_FALSE(data.Exists("secure.qdx"));
  EXPECT_FALSE(data.Exists("gone.qdx"));
  EXPECT_EQ(Store(), kStore);
}

// Another workstation holds the lock past the wait: a wait cursor while the window waits,
// then the message that the address book is being changed elsewhere; the entry stays.
TEST_F(DataSafetyWindowTest, lockHeldElsewhere_waitCursorThenBusyMessage_entryKeptAsTyped) {
  store::DataFiles::SetDefaultLockTimeouts(150, 60000);
  Open(kNames, kStore);
  NewEntry("Neu", "Nina");
  QLockFile held(store::DataFiles(data.Path()).LockPath());
  ASSERT_TRUE(held.tryLock(0));
  const store::LockWaitNotice installed = store::CurrentLockWaitNotice();
  ASSERT_TRUE(installed.begin && installed.end);
  std::optional<Qt::CursorShape> whileWaiting;
  store::SetLockWaitNotice({[&] {
                              installed.begin();
                              if (const QCursor* cursor = QGuiApplication::overrideCursor())
                                whileWaiting = cursor->shape();
                            },
                            installed.end});
  Trigger("Dateneingabebeenden1");
  store::SetLockWaitNotice(installed);

  EXPECT_EQ(whileWaiting, Qt::WaitCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LockBusyMessage()});
  ExpectEntryIntact(store::kName, "Neu");
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
  held.unlock();
  Trigger("Dateneingabebeenden1");
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\nNeu,Nina\r\n");
}

// A line longer than any record key is not shown; a delete keeps it in the file.
TEST_F(DataSafetyWindowTest, overlongNameIndexLine_isNotShown_andSurvivesADelete) {
  const QByteArray junk(4 << 20, 'j');
  Open("Alt,Bea\r\n" + junk + "\r\nBerg,Ute\r\n", kStore);
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Berg,Ute"}));
  ClickRow(1);
  Click("ToolbarButton979");
  EXPECT_EQ(Entries(), QStringList{"Alt,Bea"});
  EXPECT_EQ(Names(), "Alt,Bea\r\n" + junk + "\r\n");
}

TEST_F(DataSafetyWindowTest, orphanMenuItem_standsBelowTheRestoreItem_offDuringAnEntry) {
  Open(kNames, kStore);
  QAction* item = Item("VerwaisteDatenstzewiederherstellen1");
  EXPECT_EQ(item->text(), QString::fromUtf8("&Verwaiste Datensätze wiederherstellen"));
  const QList<QAction*> actions = Find<QMenu>("Beabeiten1")->actions();
  ASSERT_EQ(actions.indexOf(item), actions.indexOf(Item("G1")) + 1);
  NewEntry("Neu", "Nina");
  EXPECT_FALSE(item->isEnabled());
  Click("ToolbarButton9711");
  EXPECT_TRUE(item->isEnabled());
}

// A rename leaves the old key's section listed nowhere; so does a crash during an edit. The
// dialog offers both, and a restore lists them again.
TEST_F(DataSafetyWindowTest, orphansOfARenameAndOfACrash_areOfferedAndListedAgain) {
  data.Write("secure.qdx", "Dorn,Ida\r\n");
  Open(kNames, kStore + Person("Carl", "Max", "C") + Person("Dorn", "Ida", "D"));
  ClickRow(0);
  Click("ToolbarButton972");
  Type(store::kVorname, "Beate");
  Trigger("Dateneingabebeenden1");
  ASSERT_EQ(Names(), "Alt,Beate\r\nBerg,Ute\r\n");

  RestoreOrphans({"Alt,Bea", "Carl,Max"});
  EXPECT_EQ(restoreDialogEntries, (QStringList{"Alt,Bea", "Carl,Max"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), "Alt,Bea\r\nAlt,Beate\r\nBerg,Ute\r\nCarl,Max\r\n");
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Alt,Beate", "Berg,Ute", "Carl,Max"}));
  EXPECT_EQ(data.Read("secure.qdx"), "Dorn,Ida\r\n");
}

TEST_F(DataSafetyWindowTest, orphanListedElsewhereMeanwhile_isRefused_nothingWritten) {
  Open(kNames, kStore + Person("Carl", "Max", "C"));
  RestoreOrphans({"Carl,Max"}, [this] { data.Write("names.qdx", kNames + "CARL,MAX\r\n"); });
  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreRefusedMessage()});
  EXPECT_EQ(Names(), kNames + "CARL,MAX\r\n");
}

}  // namespace
}  // namespace mainwindowtest
