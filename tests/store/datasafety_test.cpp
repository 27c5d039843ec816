// The data files at the edges: vanished and linked files, crash leftovers, damaged name
// indexes, a lock held by another workstation, orphaned records, and the guards of the purge.
#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/listfile.h"
#include "store/messages.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/thrownmessage.h"

namespace {

using testsupport::ThrownMessage;

using store::DataFiles;
using testsupport::TempDataDir;

store::RecordValues Values(const QString& name, const QString& first) {
  store::RecordValues v;
  v[store::kName] = name;
  v[store::kVorname] = first;
  return v;
}

class DataSafetyTest : public ::testing::Test {
 protected:
  void TearDown() override { store::SetLockWaitNotice({}); }
  QByteArray Names() const { return dir.Read("names.qdx"); }
  QByteArray Secure() const { return dir.Read("secure.qdx"); }
  QByteArray Store() const { return dir.Read("adresse.qdx"); }
  QStringList Entries() const {
    return QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  }
  TempDataDir dir;
  DataFiles files{dir.Path()};
};

const QByteArray kStore = "[Abel,Karl]\r\nName=Abel\r\n[Alt,Otto]\r\nName=Alt\r\n";

// A share that drops out takes the name index with it: a change must not start a new one
// that lists none of the records.
TEST_F(DataSafetyTest, missingNameIndex_everyChangeStopsWithTheLoadFailureAndWritesNothing) {
  dir.Write("adresse.qdx", kStore);
  dir.Write("secure.qdx", "Alt,Otto\r\n");
  const QString failure = store::LoadFailureMessage();
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); }),
            failure);
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Abel,Karl"); }), failure);
  EXPECT_EQ(ThrownMessage([&] { files.RemoveFromNames("Abel,Karl"); }), failure);
  EXPECT_EQ(ThrownMessage([&] { files.DeleteRecord("Abel,Karl"); }), failure);
  EXPECT_EQ(ThrownMessage([&] { files.RestoreRecords({"Alt,Otto"}); }), failure);
  EXPECT_EQ(ThrownMessage([&] { files.PurgeRecords({"Alt,Otto"}); }), failure);
  EXPECT_EQ(ThrownMessage([&] { files.RelistOrphans({"Abel,Karl"}); }), failure);
  EXPECT_EQ(Entries(), (QStringList{"adresse.qdx", "secure.qdx"}));
  EXPECT_EQ(Store(), kStore);
  EXPECT_EQ(Secure(), QByteArray("Alt,Otto\r\n"));
}

// Only an address book whose lists name no key may get a new record store; otherwise every
// other record would read "Error" after the save.
TEST_F(DataSafetyTest, missingRecordStore_isCreatedOnlyWhileNoListNamesAKey) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); }),
            store::LoadFailureMessage());
  dir.Write("names.qdx", "");
  dir.Write("secure.qdx", "Alt,Otto\r\n");
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); }),
            store::LoadFailureMessage());
  EXPECT_EQ(ThrownMessage([&] { files.PurgeRecords({"Alt,Otto"}); }), store::LoadFailureMessage());
  EXPECT_EQ(Names(), QByteArray());
  EXPECT_EQ(Secure(), QByteArray("Alt,Otto\r\n"));
  EXPECT_FALSE(dir.Exists("adresse.qdx"));

  // A new address book: empty name index, no deleted-records file yet.
  QFile::remove(dir.File("secure.qdx"));
  EXPECT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna")), DataFiles::SaveOutcome::Saved);
  EXPECT_TRUE(store::RecordStore(Store()).HasSection("Meier,Anna"));
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
}

#ifdef Q_OS_UNIX
// A data file that is a link is written through: the link stays, the file it leads to gets the
// change, and the temporary file was made beside that file.
TEST_F(DataSafetyTest, linkedDataFiles_areWrittenThrough) {
  TempDataDir elsewhere;
  elsewhere.Write("liste.txt", "Abel,Karl\r\n");
  elsewhere.Write("daten.ini", kStore);
  ASSERT_TRUE(QFile::link(elsewhere.File("liste.txt"), dir.File("names.qdx")));
  ASSERT_TRUE(QFile::link(elsewhere.File("daten.ini"), dir.File("adresse.qdx")));

  ASSERT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna")), DataFiles::SaveOutcome::Saved);
  ASSERT_TRUE(files.DeleteRecord("Abel,Karl"));

  EXPECT_TRUE(QFileInfo(dir.File("names.qdx")).isSymbolicLink());
  EXPECT_TRUE(QFileInfo(dir.File("adresse.qdx")).isSymbolicLink());
  EXPECT_EQ(elsewhere.Read("liste.txt"), QByteArray("Meier,Anna\r\n"));
  EXPECT_TRUE(store::RecordStore(elsewhere.Read("daten.ini")).HasSection("Meier,Anna"));
  EXPECT_EQ(Secure(), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(QDir(elsewhere.Path()).entryList(QDir::Files), (QStringList{"daten.ini", "liste.txt"}));
}

// A link that leads nowhere is a file that cannot be read, not a missing one: it is never
// replaced by a new file from nothing.
TEST_F(DataSafetyTest, danglingLinkOrLinkLoop_stopsTheChangeAndWritesNothing) {
  dir.Write("adresse.qdx", kStore);
  dir.Write("names.qdx", "Abel,Karl\r\n");
  ASSERT_TRUE(QFile::link(dir.File("weg/secure.qdx"), dir.File("secure.qdx")));
  EXPECT_EQ(ThrownMessage([&] { files.DeleteRecord("Abel,Karl"); }), store::LoadFailureMessage());
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); }),
            store::LoadFailureMessage());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_TRUE(QFileInfo(dir.File("secure.qdx")).isSymbolicLink());
  EXPECT_FALSE(QFileInfo::exists(dir.File("weg")));

  // Two links that lead to each other, in place of the name index.
  QFile::remove(dir.File("secure.qdx"));
  QFile::remove(dir.File("names.qdx"));
  ASSERT_TRUE(QFile::link(dir.File("schleife"), dir.File("names.qdx")));
  ASSERT_TRUE(QFile::link(dir.File("names.qdx"), dir.File("schleife")));
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), store::LoadFailureMessage());
  EXPECT_TRUE(QFileInfo(dir.File("names.qdx")).isSymbolicLink());
  EXPECT_EQ(Store(), kStore);
  EXPECT_EQ(Entries(), (QStringList{"adresse.qdx", "names.qdx", "schleife"}));
}
#endif

// Temporary files of changes that crashed are removed by a later change while it holds the
// lock: only the program's own (named after a data file), only when older than ten minutes.
TEST_F(DataSafetyTest, crashLeftovers_olderThanTenMinutes_areRemovedByTheNextChange) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  const QStringList stale = {"adresse.qdx.0123abcd5.tmp", "names.qdx.deadbeef1f.tmp",
                             "secure.qdx.00000000ffffffff.tmp"};
  const QStringList kept = {
      "secure.qdx.12345678a.tmp",   // fresh: a workstation may still be writing it
      "names.qdx.tmp",              // not this program's pattern
      "export.csv.0123abcd5.tmp",   // another file's
      "names.qdx.0123abcd5.tmp.1",  // not ending in .tmp
      "names.qdx.0123ABCD5.tmp",    // the program writes lower-case digits only
  };
  for (const QString& name : stale + kept)
    dir.Write(name, "x");
  for (const QString& name : stale + kept.mid(1))
    dir.Age(name, 11 * 60);
  dir.Age(kept.first(), 5 * 60);

  // A change that does not get the lock removes nothing.
  QLockFile held(files.LockPath());
  ASSERT_TRUE(held.tryLock(0));
  files.SetLockTimeouts(50, 60000);
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), store::LockBusyMessage());
  EXPECT_EQ(Entries().size(), 2 + stale.size() + kept.size());  // and the lock file
  held.unlock();

  files.AddToNames("Meier,Anna");
  QStringList expected = kept;
  expected.append("names.qdx");
  expected.sort();
  EXPECT_EQ(Entries(), expected);
}

// A list line longer than the longest record key is no key: readers leave it out without
// decoding it, changes keep it in the file as it stands.
TEST_F(DataSafetyTest, overlongListLine_isNoKey_readersPassItOver_changesKeepIt) {
  const QByteArray longest(store::kMaxKeyLength, 'k');
  const QByteArray tooLong = QByteArray(store::kMaxKeyLength - 1, 'x') + ",y";
  ASSERT_EQ(tooLong.size(), store::kMaxKeyLength + 1);
  const QByteArray huge(3 << 20, 'h');
  dir.Write("names.qdx", "Abel,Karl\r\n" + tooLong + "\r\n" + huge + "\r\nZander,Ina\r\n");

  testsupport::RecordingSink sink;
  const store::LoadResult loaded = store::LoadSortedList(dir.File("names.qdx"), sink);
  EXPECT_TRUE(loaded.loaded);
  EXPECT_EQ(loaded.lines, (QStringList{"Abel,Karl", "Zander,Ina"}));
  EXPECT_EQ(store::DecodeListFile(QByteArray(longest + "\r\n" + tooLong)), QStringList{longest});

  // Taking a key out keeps the lines where they are; putting one in sorts the keys and lets
  // the long lines follow them, byte for byte.
  files.RemoveFromNames("Zander,Ina");
  EXPECT_EQ(Names(), "Abel,Karl\r\n" + tooLong + "\r\n" + huge + "\r\n");
  files.AddToNames("Meier,Anna");
  EXPECT_EQ(Names(), "Abel,Karl\r\nMeier,Anna\r\n" + tooLong + "\r\n" + huge + "\r\n");
  // Such a line names no record: a save may still create the record store.
  dir.Write("names.qdx", huge + "\r\n");
  EXPECT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna")), DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(Names(), "Meier,Anna\r\n" + huge + "\r\n");
}

// Another workstation holds the lock past the wait: the user is told so (not that a file
// cannot be written), and is shown that the program waits while it does.
TEST_F(DataSafetyTest, lockHeldPastTheWait_busyMessage_waitNoticeAroundTheWait) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("adresse.qdx", kStore);
  QStringList notices;
  store::SetLockWaitNotice({[&] { notices.append("begin"); }, [&] { notices.append("end"); }});
  files.AddToNames("Meier,Anna");
  EXPECT_TRUE(notices.isEmpty());  // no wait, nothing shown

  QLockFile held(files.LockPath());
  ASSERT_TRUE(held.tryLock(0));
  files.SetLockTimeouts(100, 60000);
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Zander,Ina", Values("Zander", "Ina")); }),
            store::LockBusyMessage());
  EXPECT_EQ(notices, (QStringList{"begin", "end"}));
  EXPECT_EQ(store::LockBusyMessage(),
            QString::fromUtf8("Das Adressbuch wird gerade an einem anderen Arbeitsplatz "
                              "geändert. Bitte versuchen Sie es in einem Moment noch einmal."));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_EQ(Store(), kStore);
}

// Something at the lock's place that is no workstation's lock (a directory, a link that leads
// nowhere) never goes away by waiting: the change fails at once as in a directory that cannot
// be written, not with the busy message, and writes nothing.
TEST_F(DataSafetyTest, lockPathThatIsNoLock_failsAtOnceAsUnwritable) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("adresse.qdx", kStore);
  QStringList notices;
  store::SetLockWaitNotice({[&] { notices.append("begin"); }, [&] { notices.append("end"); }});
  for (const bool asDirectory : {true, false}) {
    SCOPED_TRACE(asDirectory ? "directory" : "dangling link");
    QFile::remove(files.LockPath());
    QDir(files.LockPath()).removeRecursively();
    ASSERT_TRUE(asDirectory ? QDir().mkdir(files.LockPath())
                            : QFile::link(dir.File("gone/lock"), files.LockPath()));
    EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Zander,Ina", Values("Zander", "Ina")); }),
              store::CannotWriteMessage(files.StorePath()));
    EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }),
              store::CannotCreateMessage(files.NamesPath()));
    EXPECT_TRUE(notices.isEmpty());  // not waited for
    EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
    EXPECT_EQ(Store(), kStore);
  }
}

TEST_F(DataSafetyTest, orphanedSections_areFoundIgnoringCase_andListedAgainByDelta) {
  dir.Write("names.qdx", "Abel,Karl\r\nMEIER,Anna\r\n");
  dir.Write("secure.qdx", "alt,otto\r\n");
  dir.Write("adresse.qdx",
            "[Zeta,Zoe]\r\nName=Zeta\r\n[Abel,Karl]\r\nName=Abel\r\n[Meier,Anna]\r\nName=Meier\r\n"
            "[Alt,Otto]\r\nName=Alt\r\n[Weg,Ist]\r\nName=Weg\r\n[WEG,IST]\r\nName=WEG\r\n");
  EXPECT_EQ(files.OrphanedKeys(), (QStringList{"Weg,Ist", "Zeta,Zoe"}));

  // Listed meanwhile on another workstation (in another spelling): refused, nothing written.
  dir.Write("names.qdx", "Abel,Karl\r\nMEIER,Anna\r\nZETA,ZOE\r\n");
  EXPECT_EQ(files.RelistOrphans({"Weg,Ist", "Zeta,Zoe"}), DataFiles::RestoreOutcome::KeyLive);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMEIER,Anna\r\nZETA,ZOE\r\n"));

  // Deleted meanwhile: skipped, the others are listed; keys added meanwhile stay.
  dir.Write("names.qdx", "Abel,Karl\r\nMEIER,Anna\r\n");
  dir.Write("secure.qdx", "alt,otto\r\nzeta,zoe\r\n");
  EXPECT_EQ(files.RelistOrphans({"Weg,Ist", "Zeta,Zoe"}), DataFiles::RestoreOutcome::NotDeleted);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMEIER,Anna\r\nWeg,Ist\r\n"));
  EXPECT_EQ(Secure(), QByteArray("alt,otto\r\nzeta,zoe\r\n"));
  EXPECT_TRUE(files.OrphanedKeys().isEmpty());
}

// Between the dialog's opening and its OK another workstation listed the orphan, deleted it
// and purged it: its section is gone, and listing the key would show a record that reads
// "Error" in every field. It is skipped; an orphan still there is listed.
TEST_F(DataSafetyTest, orphanWhoseSectionWasPurgedMeanwhile_isNotListed) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("adresse.qdx", kStore + "[Weg,Ist]\r\nName=Weg\r\n");
  ASSERT_EQ(files.OrphanedKeys(), (QStringList{"Alt,Otto", "Weg,Ist"}));
  dir.Write("adresse.qdx", kStore);
  dir.Write("secure.qdx", "");
  EXPECT_EQ(files.RelistOrphans({"Alt,Otto", "Weg,Ist"}), DataFiles::RestoreOutcome::NotDeleted);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nAlt,Otto\r\n"));
  EXPECT_EQ(Store(), kStore);
}

// A purge of Meier,Anna must not erase the section of the live MEIER,Anna: the record store
// matches section names ignoring letter case.
TEST_F(DataSafetyTest, purge_keyLiveInAnotherSpelling_keepsTheSection) {
  dir.Write("names.qdx", "MEIER,Anna\r\n");
  dir.Write("secure.qdx", "Meier,Anna\r\n");
  dir.Write("adresse.qdx", "[MEIER,Anna]\r\nName=MEIER\r\n");
  files.PurgeRecords({"Meier,Anna"});
  EXPECT_EQ(Store(), QByteArray("[MEIER,Anna]\r\nName=MEIER\r\n"));
  EXPECT_EQ(Secure(), QByteArray());
  EXPECT_EQ(Names(), QByteArray("MEIER,Anna\r\n"));
}

// Older programs saved a first name with a blank at its end, and the record store drops
// blanks at both ends of a section name: "Meier,Anna " and " Abel,Karl" name the sections of
// the live Meier,Anna and Abel,Karl. Purging such a deleted twin keeps the live record, and
// the twin listed as live is no orphan to be listed a second time.
TEST_F(DataSafetyTest, purge_deletedKeyDifferingOnlyInEndBlanks_keepsTheLiveSection) {
  const QByteArray store = "[Meier,Anna]\r\nName=Meier\r\n[Abel,Karl]\r\nName=Abel\r\n";
  dir.Write("names.qdx", "Abel,Karl\r\nMeier,Anna\r\n");
  dir.Write("secure.qdx", "Meier,Anna \r\n Abel,Karl\r\n");
  dir.Write("adresse.qdx", store);
  files.PurgeRecords({"Meier,Anna ", " Abel,Karl"});
  EXPECT_EQ(Store(), store);
  EXPECT_EQ(Secure(), QByteArray());

  dir.Write("names.qdx", "Meier,Anna \r\n");
  dir.Write("secure.qdx", "abel,karl \r\n");
  EXPECT_TRUE(files.OrphanedKeys().isEmpty());
  EXPECT_EQ(files.RelistOrphans({"Meier,Anna"}), DataFiles::RestoreOutcome::KeyLive);
  EXPECT_EQ(Names(), QByteArray("Meier,Anna \r\n"));
}

// Restored on another workstation and taken into an edit there since the purge question was
// asked: the key is in neither list, and its section belongs to that edit.
TEST_F(DataSafetyTest, purge_keyNoLongerDeleted_keepsItsSectionAlsoWhenListedNowhere) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("secure.qdx", "");
  dir.Write("adresse.qdx", kStore);
  files.PurgeRecords({"Alt,Otto"});
  EXPECT_EQ(Store(), kStore);
}

}  // namespace
