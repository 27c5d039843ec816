// Windows and dialogs that hold a list for a while: the user opens one, another workstation
// changes the data files, and then the user acts in it. What the user is shown, and the bytes
// of the three files afterwards.
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>

#include "mainwindow/tform3.h"
#include "store/datafiles.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"
#include "tests/support/recordvalues.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const char* const kUpdateNotice =
    "Daten können nicht aktualisiert werden!\r Möglicherweise arbeiten Sie mit ungültigen "
    "Einträgen.\r Klicken Sie einen Namen an, um eine Datenaktualisierung zu erzielen!";

const QByteArray kNames = "Abel,Bert\r\nMeier,Anna\r\nZorn,Zoe\r\n";
const QByteArray kDeleted = "Berg,Ute\r\nCarl,Max\r\nDorn,Ida\r\n";
const QByteArray kStore = Person("Abel", "Bert", "Abel GmbH", "11") +
                          Person("Meier", "Anna", "Meier AG", "22") +
                          Person("Zorn", "Zoe", "Zorn KG") + Person("Berg", "Ute", "B") +
                          Person("Carl", "Max", "C") + Person("Dorn", "Ida", "D");

using testsupport::Values;

// The fixture's window is this workstation; "there" is another one on the same directory.
class StaleViewsTest : public MainWindowTest {
 protected:
  void OpenWithDeleted() {
    data.Write("secure.qdx", kDeleted);
    Open(kNames, kStore);
  }
  store::DataFiles& There() {
    if (!there)
      there = std::make_unique<store::DataFiles>(data.Path());
    return *there;
  }
  QByteArray Secure() const { return data.Read("secure.qdx"); }
  int RowOf(const QString& entry) const { return int(Entries().indexOf(entry)); }
  void Key(int key) { QTest::keyClick(form.get(), Qt::Key(key)); }
  // Meier,Anna chosen and taken into an edit here (F3).
  void EditMeier() {
    ClickRow(RowOf("Meier,Anna"));
    Key(Qt::Key_F3);
    ASSERT_TRUE(form->EntryUnderway());
  }

  std::unique_ptr<store::DataFiles> there;
};

// --- the restore dialog open while the deleted records change elsewhere ---

TEST_F(StaleViewsTest, restoreDialog_tickedKeyPurgedElsewhere_notBroughtBack_failureTold) {
  OpenWithDeleted();
  AnswerRestoreDialog({"Berg,Ute", "Carl,Max"}, [this] { There().PurgeRecords({"Carl,Max"}); });
  Trigger("G1");

  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreFailedMessage()});
  EXPECT_EQ(Names(), "Abel,Bert\r\nBerg,Ute\r\nMeier,Anna\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "Dorn,Ida\r\n");
  EXPECT_FALSE(Store().contains("[Carl,Max]"));
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Berg,Ute", "Meier,Anna", "Zorn,Zoe"}));
}

TEST_F(StaleViewsTest,
       restoreDialog_tickedKeyPurgedAndSavedAnewElsewhere_listedOnce_newValuesKept) {
  OpenWithDeleted();
  AnswerRestoreDialog({"Carl,Max", "Dorn,Ida"}, [this] {
    There().PurgeRecords({"Carl,Max"});
    const QString none;
    ASSERT_EQ(There().SaveRecord("Carl,Max", Values("Carl", "Max", "Neustadt"), &none),
              store::DataFiles::SaveOutcome::Saved);
  });
  Trigger("G1");

  EXPECT_EQ(dialogs.Texts().size(), 1);
  EXPECT_EQ(Names(), "Abel,Bert\r\nCarl,Max\r\nDorn,Ida\r\nMeier,Anna\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "Berg,Ute\r\n");
  EXPECT_TRUE(Store().contains("Ort=Neustadt\r\n"));
}

TEST_F(StaleViewsTest, restoreDialog_keyRestoredAndDeletedAgainElsewhere_restoredOnce) {
  OpenWithDeleted();
  AnswerRestoreDialog({"Carl,Max"}, [this] {
    ASSERT_EQ(There().RestoreRecords({"Carl,Max"}), store::DataFiles::RestoreOutcome::Restored);
    ASSERT_TRUE(There().DeleteRecord("Carl,Max"));
  });
  Trigger("G1");

  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), "Abel,Bert\r\nCarl,Max\r\nMeier,Anna\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "Berg,Ute\r\nDorn,Ida\r\n");
}

// Restored there and taken into an edit there: the key is in neither list while that edit is
// open. Restoring it here would list it while it is edited.
TEST_F(StaleViewsTest, restoreDialog_keyRestoredAndUnderEditElsewhere_notListedHere) {
  OpenWithDeleted();
  AnswerRestoreDialog({"Carl,Max"}, [this] {
    ASSERT_EQ(There().RestoreRecords({"Carl,Max"}), store::DataFiles::RestoreOutcome::Restored);
    ASSERT_TRUE(There().RemoveFromNames("Carl,Max"));
  });
  Trigger("G1");

  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreFailedMessage()});
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Secure(), "Berg,Ute\r\nDorn,Ida\r\n");
  const QString carl = "Carl,Max";
  EXPECT_EQ(There().SaveRecord(carl, Values("Carl", "Max", "Bonn"), &carl),
            store::DataFiles::SaveOutcome::Saved);
}

// --- the orphan dialog open while those records change elsewhere ---

const QByteArray kOrphans = Person("Ohne", "Eins", "O1") + Person("Ohne", "Zwei", "O2");

TEST_F(StaleViewsTest, orphanDialog_keysRelistedDeletedOrPurgedElsewhere_eachListedOnceAtMost) {
  data.Write("secure.qdx", kDeleted);
  Open(kNames, kStore + kOrphans);
  AnswerRestoreDialog({"Ohne,Eins", "Ohne,Zwei"}, [this] {
    ASSERT_EQ(There().RelistOrphans({"Ohne,Eins", "Ohne,Zwei"}),
              store::DataFiles::RestoreOutcome::Restored);
    ASSERT_TRUE(There().DeleteRecord("Ohne,Zwei"));
  });
  Trigger("VerwaisteDatenstzewiederherstellen1");
  EXPECT_EQ(restoreDialogEntries, (QStringList{"Ohne,Eins", "Ohne,Zwei"}));
  EXPECT_EQ(dialogs.Texts().size(), 1);
  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anna\r\nOhne,Eins\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), kDeleted + "Ohne,Zwei\r\n");

  // Listed, deleted and purged there while the dialog is open here: its record is not listed
  // without values.
  dialogs.boxes.clear();
  data.Write("adresse.qdx", Store() + Person("Ohne", "Drei", "O3"));
  AnswerRestoreDialog({"Ohne,Drei"}, [this] {
    ASSERT_EQ(There().RelistOrphans({"Ohne,Drei"}), store::DataFiles::RestoreOutcome::Restored);
    ASSERT_TRUE(There().DeleteRecord("Ohne,Drei"));
    There().PurgeRecords({"Ohne,Drei"});
  });
  Trigger("VerwaisteDatenstzewiederherstellen1");
  EXPECT_EQ(restoreDialogEntries, QStringList{"Ohne,Drei"});
  EXPECT_EQ(dialogs.Texts().size(), 1);
  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anna\r\nOhne,Eins\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), kDeleted + "Ohne,Zwei\r\n");
  EXPECT_FALSE(Store().contains("[Ohne,Drei]"));
}

// --- the views shown while the record under the cursor changes elsewhere ---

TEST_F(StaleViewsTest, internalNumberView_recordDeletedElsewhere_clickTellsAndRebuilds) {
  Open(kNames, kStore);
  Click("Button3");
  ASSERT_EQ(Entries(), (QStringList{"Abel,Bert @ 11", "Meier,Anna @ 22"}));
  ClickRow(1);
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  ClickRow(1);  // the entry is still shown here
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(Entries(), QStringList{"Abel,Bert @ 11"});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));

  // Shown, then edited there: F3 here starts from the values saved there.
  dialogs.boxes.clear();
  ClickRow(0);
  const QString abel = "Abel,Bert";
  ASSERT_TRUE(There().RemoveFromNames(abel));
  store::RecordValues values = Values("Abel", "Bert", "Bonn");
  values[store::kIRuf] = "12";
  ASSERT_EQ(There().SaveRecord(abel, values, &abel), store::DataFiles::SaveOutcome::Saved);
  Key(Qt::Key_F3);
  ASSERT_TRUE(form->EntryUnderway());
  EXPECT_EQ(Edit(store::kOrt)->text(), "Bonn");
  Key(Qt::Key_F12);
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "Meier,Anna\r\n");
}

TEST_F(StaleViewsTest, internalNumberView_recordPurgedElsewhere_F8DeletesNothing) {
  Open(kNames, kStore);
  Click("Button3");
  ClickRow(1);
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  There().PurgeRecords({"Meier,Anna"});
  Key(Qt::Key_F8);
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Entries(), QStringList{"Abel,Bert @ 11"});
  EXPECT_EQ(form->SelectedListIndex(), -1);
}

TEST_F(StaleViewsTest, companyTree_memberPurgedElsewhere_clickTells_noErrorValuesShown) {
  Open(kNames, kStore);
  Click("ToolbarButton9712");
  const QModelIndex company = Nodes()->index(1, 0, Root());
  ASSERT_EQ(company.data().toString(), "Meier AG");
  Tree()->expand(company);
  const QModelIndex member = Nodes()->index(0, 0, company);
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  There().PurgeRecords({"Meier,Anna"});
  ClickNode(member);
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));
  EXPECT_EQ(Store().indexOf("[Meier,Anna]"), -1);
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
}

// --- an edit open here while the record changes elsewhere ---

TEST_F(StaleViewsTest, editOpen_sameKeySavedAnewElsewhere_refusedThere_saveHereKeepsItsValues) {
  Open(kNames, kStore);
  ASSERT_NO_FATAL_FAILURE(EditMeier());
  const QString none;
  EXPECT_EQ(There().SaveRecord("Meier,Anna", Values("Meier", "Anna", "Dort"), &none),
            store::DataFiles::SaveOutcome::KeyUnlisted);
  EXPECT_FALSE(There().DeleteRecord("Meier,Anna"));
  There().PurgeRecords({"Meier,Anna"});
  Type(store::kOrt, "Hier");
  Key(Qt::Key_F12);
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), kNames);
  EXPECT_TRUE(Store().contains("Firma=Meier AG\r\nStrasse=\r\nPLZ=\r\nOrt=Hier\r\n"));
  EXPECT_EQ(Secure(), "");
}

TEST_F(StaleViewsTest, editOpen_cancelAfterChangesElsewhere_listsTheRecordOnceWithItsValues) {
  Open(kNames, kStore);
  ASSERT_NO_FATAL_FAILURE(EditMeier());
  ASSERT_TRUE(There().DeleteRecord("Zorn,Zoe"));
  There().PurgeRecords({"Zorn,Zoe"});
  Key(Qt::Key_F11);
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anna\r\n");
  EXPECT_TRUE(Store().contains("[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\n"));
  EXPECT_EQ(Entries().count("Meier,Anna"), 1);
}

// While the record is edited here no list names it, so the orphan dialog of another
// workstation offers it, and may list it again there. The edit here still saves.
TEST_F(StaleViewsTest, editOpen_recordRelistedByTheOrphanDialogElsewhere_saveHereStillSaves) {
  OpenWithDeleted();
  ASSERT_NO_FATAL_FAILURE(EditMeier());
  ASSERT_EQ(There().OrphanedKeys(), QStringList{"Meier,Anna"});
  ASSERT_EQ(There().RelistOrphans({"Meier,Anna"}), store::DataFiles::RestoreOutcome::Restored);
  Type(store::kOrt, "Hier");
  Key(Qt::Key_F12);
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join("|").toStdString();
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), kNames);
  EXPECT_TRUE(Store().contains("Firma=Meier AG\r\nStrasse=\r\nPLZ=\r\nOrt=Hier\r\n"));
  EXPECT_EQ(Entries().count("Meier,Anna"), 1);
}

// The same, and then deleted there, or deleted and purged: the record under edit here is not
// listed as live beside its deleted key, nor listed without a section, when the edit is given up.
TEST_F(StaleViewsTest, editOpen_recordRelistedAndDeletedElsewhere_cancelLeavesItDeleted) {
  OpenWithDeleted();
  ASSERT_NO_FATAL_FAILURE(EditMeier());
  ASSERT_EQ(There().RelistOrphans({"Meier,Anna"}), store::DataFiles::RestoreOutcome::Restored);
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  Key(Qt::Key_F11);
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), kDeleted + "Meier,Anna\r\n");
  EXPECT_EQ(Entries().count("Meier,Anna"), 0);
}

TEST_F(StaleViewsTest, editOpen_recordRelistedDeletedAndPurgedElsewhere_cancelListsNothing) {
  OpenWithDeleted();
  ASSERT_NO_FATAL_FAILURE(EditMeier());
  ASSERT_EQ(There().RelistOrphans({"Meier,Anna"}), store::DataFiles::RestoreOutcome::Restored);
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  There().PurgeRecords({"Meier,Anna"});
  ASSERT_FALSE(Store().contains("[Meier,Anna]"));
  Key(Qt::Key_F11);
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), kDeleted);
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
}

// --- the search filtering while a hit changes elsewhere ---

TEST_F(StaleViewsTest, searchHitPurgedElsewhere_clickTells_F8DeletesNothing_escapeShowsTheRest) {
  Open(kNames, kStore);
  Trigger("Suchen1");
  QTest::keyClicks(Find<QLineEdit>("SearchEdit"), "Meier");
  ASSERT_EQ(Entries(), QStringList{"Meier,Anna"});
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  There().PurgeRecords({"Meier,Anna"});
  ClickRow(0);
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(FieldTexts(), QStringList(store::kFieldCount, QString()));
  EXPECT_TRUE(Entries().isEmpty());
  Key(Qt::Key_F8);
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "");
  QTest::keyClick(Find<QLineEdit>("SearchEdit"), Qt::Key_Escape);
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
}

TEST_F(StaleViewsTest, searchHitDeletedElsewhere_F8Tells_deletesNothingTwice) {
  Open(kNames, kStore);
  Trigger("Suchen1");
  QTest::keyClicks(Find<QLineEdit>("SearchEdit"), "Meier");
  ClickRow(0);
  ASSERT_TRUE(There().DeleteRecord("Meier,Anna"));
  Key(Qt::Key_F8);
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kUpdateNotice)});
  EXPECT_EQ(Names(), "Abel,Bert\r\nZorn,Zoe\r\n");
  EXPECT_EQ(Secure(), "Meier,Anna\r\n");
  EXPECT_TRUE(Entries().isEmpty());
  QTest::keyClick(Find<QLineEdit>("SearchEdit"), Qt::Key_Escape);
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Zorn,Zoe"}));
}

}  // namespace
}  // namespace mainwindowtest
