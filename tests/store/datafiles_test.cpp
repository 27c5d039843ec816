#include "store/datafiles.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <thread>

#include "store/fileio.h"
#include "store/messages.h"
#include "store/recordstore.h"
#include "store/usererror.h"
#include "tests/support/datadir.h"
#include "tests/support/thrownmessage.h"

namespace {

using testsupport::ThrownMessage;

using store::DataFiles;
using testsupport::TempDataDir;

store::RecordValues Values(const QString& name, const QString& first) {
  store::RecordValues v;
  v[store::kName] = name;
  v[store::kVorname] = first;
  v[store::kPLZ] = QStringLiteral("12345");
  v[store::kOrt] = QString::fromUtf8("Köln");
  return v;
}

class DataFilesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    store::SetFaultHook({});
    store::SetLockRefusalForTesting({});
  }
  QByteArray Names() const { return dir.Read("names.qdx"); }
  QByteArray Secure() const { return dir.Read("secure.qdx"); }
  QByteArray Store() const { return dir.Read("adresse.qdx"); }
  TempDataDir dir;
  DataFiles files{dir.Path()};
};

TEST_F(DataFilesTest, saveRecord_writesFifteenKeysInStoreOrderAndListsTheKeySorted) {
  dir.Write("names.qdx", "Zander,Ina\r\nAbel,Karl\r\n");
  dir.Write("adresse.qdx", "");
  EXPECT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna")), DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(Store(), QByteArray("[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nPosition=\r\n"
                                "Kurzzeichen=\r\nFirma=\r\nStrasse=\r\nPLZ=12345\r\nOrt=K\xF6ln\r\n"
                                "Telefon1=\r\nTelefon2=\r\nFax=\r\nHandy=\r\nEMail=\r\n"
                                "Kurzwahl=\r\nIRuf=\r\n"));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nZander,Ina\r\n"));
  EXPECT_FALSE(dir.Exists("secure.qdx"));

  // Saving again (after an edit took the key out) replaces the values in place.
  files.RemoveFromNames("Meier,Anna");
  store::RecordValues changed = Values("Meier", "Anna");
  changed[store::kOrt] = QStringLiteral("Bonn");
  EXPECT_EQ(files.SaveRecord("Meier,Anna", changed), DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(store::RecordStore(Store()).Record("Meier,Anna")[store::kOrt], "Bonn");
  EXPECT_EQ(Store().count("[Meier,Anna]"), 1);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nZander,Ina\r\n"));
}

TEST_F(DataFilesTest, saveRecord_keyListedInOtherLetterCaseOrSoftDeleted_isRefused) {
  dir.Write("names.qdx", "M\xDCLLER,ANNA\r\n");
  dir.Write("secure.qdx", "Alt,Otto\r\n");
  dir.Write("adresse.qdx", "[M\xDCLLER,ANNA]\r\nName=M\xDCLLER\r\n[Alt,Otto]\r\nName=Alt\r\n");
  const QByteArray store = Store();
  EXPECT_EQ(files.SaveRecord(QString::fromUtf8("Müller,Anna"), Values("x", "y")),
            DataFiles::SaveOutcome::KeyExists);
  EXPECT_EQ(files.SaveRecord("ALT,OTTO", Values("x", "y")), DataFiles::SaveOutcome::KeyExists);
  EXPECT_EQ(Store(), store);
  EXPECT_EQ(Names(), QByteArray("M\xDCLLER,ANNA\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Alt,Otto\r\n"));
}

TEST_F(DataFilesTest, twoObjects_neitherChangeIsLost) {
  dir.Write("names.qdx", "Abel,Karl\r\nMeier,Anna\r\n");
  dir.Write("adresse.qdx", "");
  DataFiles other(dir.Path());
  files.RemoveFromNames("Meier,Anna");                      // this workstation starts an edit
  other.SaveRecord("Zander,Ina", Values("Zander", "Ina"));  // the other one adds a record
  other.DeleteRecord("Abel,Karl");                          // and deletes one
  files.SaveRecord("Meier,Anna", Values("Meier", "Anna"));  // this one finishes its edit
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\nZander,Ina\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Abel,Karl\r\n"));
  const store::RecordStore rs(Store());
  EXPECT_TRUE(rs.HasSection("Zander,Ina"));
  EXPECT_TRUE(rs.HasSection("Meier,Anna"));
}

TEST_F(DataFilesTest, nameIndexPutOutOfOrderElsewhere_isSortedAgainByTheNextChange) {
  // A change trusts the order of the index it wrote last only while the file holds exactly
  // those bytes: here another program writes the same keys, as many bytes, in another order.
  dir.Write("names.qdx", "Abel,Karl\r\nZander,Ina\r\n");
  dir.Write("adresse.qdx", "");
  const QByteArray reversed("Zander,Ina\r\nMeier,Anna\r\nAbel,Karl\r\n");
  files.SaveRecord("Meier,Anna", Values("Meier", "Anna"));
  dir.Write("names.qdx", reversed);
  files.SaveRecord("Otto,Eva", Values("Otto", "Eva"));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nOtto,Eva\r\nZander,Ina\r\n"));

  files.RemoveFromNames("Otto,Eva");  // an edit starts, and the file is changed meanwhile
  dir.Write("names.qdx", reversed);
  files.AddToNames("Otto,Eva");
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nOtto,Eva\r\nZander,Ina\r\n"));

  files.DeleteRecord("Otto,Eva");
  dir.Write("names.qdx", reversed);
  files.RestoreRecords({"Otto,Eva"});
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nOtto,Eva\r\nZander,Ina\r\n"));
}

TEST_F(DataFilesTest, twoProcesses_neitherChangeIsLost) {
  constexpr int kCount = 30;
  dir.Write("names.qdx", "");
  QProcess writer;
  writer.start(QStringLiteral(STORE_TEST_WRITER),
               {dir.Path(), QStringLiteral("Fremd"), QString::number(kCount)});
  ASSERT_TRUE(writer.waitForStarted());
  for (int i = 0; i < kCount; ++i) {
    const QString name = QStringLiteral("Hier") + QString::number(i);
    ASSERT_EQ(files.SaveRecord(name + ",Test", Values(name, "Test")),
              DataFiles::SaveOutcome::Saved);
    if (i % 3 == 2)
      files.DeleteRecord(name + ",Test");
  }
  ASSERT_TRUE(writer.waitForFinished(60000));
  ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().constData();

  const QStringList names = QString::fromLatin1(Names()).split("\r\n", Qt::SkipEmptyParts);
  const QStringList secure = QString::fromLatin1(Secure()).split("\r\n", Qt::SkipEmptyParts);
  const store::RecordStore rs(Store());
  for (const QString& prefix : {QStringLiteral("Hier"), QStringLiteral("Fremd")}) {
    for (int i = 0; i < kCount; ++i) {
      const QString key = prefix + QString::number(i) + ",Test";
      EXPECT_EQ(names.count(key), i % 3 == 2 ? 0 : 1) << key.toStdString();
      EXPECT_EQ(secure.count(key), i % 3 == 2 ? 1 : 0) << key.toStdString();
      EXPECT_EQ(rs.Value(key, u"Name"), prefix + QString::number(i));
    }
  }
  EXPECT_EQ(names.size(), 2 * (kCount - kCount / 3));
}

TEST_F(DataFilesTest, lockHeldByAnother_boundedWaitThenMessageAndNothingWritten) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  QLockFile held(files.LockPath());
  ASSERT_TRUE(held.tryLock(0));
  files.SetLockTimeouts(150, 60000);
  // Not that a file cannot be written: that another workstation is changing the address book.
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); }),
            store::LockBusyMessage());
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), store::LockBusyMessage());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_FALSE(dir.Exists("adresse.qdx"));
  held.unlock();
  files.AddToNames("Meier,Anna");
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_FALSE(QFile::exists(files.LockPath()));  // released at once
}

TEST_F(DataFilesTest, staleLockOfADeadWorkstation_isTakenOver) {
  // A lock left behind by a workstation that is gone (another host, so no process check).
  dir.Write(".adressbuch.lock", "4242\nPellumo\nanderer-rechner\n");
  dir.Write("names.qdx", "");
  files.SetLockTimeouts(3000, 100);
  QThread::msleep(300);
  files.AddToNames("Meier,Anna");
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
}

TEST_F(DataFilesTest, unreadableExistingListFile_isNeverRewritten) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("secure.qdx", "Alt,Otto\r\n");
  int writes = 0;
  store::SetFaultHook([&](store::FileOp op, const QString& path) {
    writes += op == store::FileOp::Write;
    return op == store::FileOp::Read && path.endsWith("secure.qdx");
  });
  EXPECT_EQ(ThrownMessage([&] { files.DeleteRecord("Abel,Karl"); }), store::LoadFailureMessage());
  EXPECT_EQ(ThrownMessage([&] { files.PurgeRecords({"Alt,Otto"}); }), store::LoadFailureMessage());
  EXPECT_EQ(ThrownMessage([&] { files.RestoreRecords({"Alt,Otto"}); }),
            store::LoadFailureMessage());
  EXPECT_EQ(writes, 0);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Alt,Otto\r\n"));
}

TEST_F(DataFilesTest, delete_missingSecureCountsAsEmpty_movesExactlyOneLine) {
  dir.Write("names.qdx", "Abel,Karl\r\nMeier,Anna\r\n");
  dir.Write("adresse.qdx", "[Meier,Anna]\r\nName=Meier\r\n");
  EXPECT_TRUE(files.DeleteRecord("Meier,Anna"));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Store(), QByteArray("[Meier,Anna]\r\nName=Meier\r\n"));
  // Deleted elsewhere meanwhile: nothing is written twice.
  EXPECT_FALSE(files.DeleteRecord("Meier,Anna"));
  EXPECT_EQ(Secure(), QByteArray("Meier,Anna\r\n"));
}

TEST_F(DataFilesTest, writeFailures_giveTheGermanMessageAndLeaveTheFilesUnchanged) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\n");
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Rename && path.endsWith("adresse.qdx");
  });
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); }),
            store::CannotWriteMessage(files.StorePath()));
  EXPECT_EQ(Store(), QByteArray("[Abel,Karl]\r\nName=Abel\r\n"));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));

  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.endsWith("names.qdx");
  });
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }),
            store::CannotCreateMessage(files.NamesPath()));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no leftovers
}

// With a large store: whichever side fails, the user gets that file's message, the name index never
// lists the key without its record, no temporary file is left, and the save done again completes.
TEST_F(DataFilesTest, largeStore_failureOnEitherSideOfTheSave_indexNeverAheadOfTheStore) {
  QByteArray store;
  QByteArray names;
  for (int i = 0; i < 20000; ++i) {
    const QByteArray key = "Name" + QByteArray::number(100000 + i) + ",V";
    store += "[" + key + "]\r\nVorname=V\r\nName=Name\r\nOrt=" + QByteArray(40, 'o') + "\r\n";
    names += key + "\r\n";
  }
  ASSERT_GE(store.size(), 1 << 20);
  struct Fault {
    store::FileOp op;
    const char* file;
  };
  for (const Fault fault :
       {Fault{store::FileOp::Write, "adresse.qdx"}, Fault{store::FileOp::Rename, "adresse.qdx"},
        Fault{store::FileOp::Write, "names.qdx"}, Fault{store::FileOp::Rename, "names.qdx"}}) {
    SCOPED_TRACE(std::string(fault.file) + " " + std::to_string(int(fault.op)));
    dir.Write("adresse.qdx", store);
    dir.Write("names.qdx", names);
    store::SetFaultHook([fault](store::FileOp op, const QString& path) {
      return op == fault.op && path.endsWith(fault.file);
    });
    const QString message =
        ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); });
    store::SetFaultHook({});
    const bool storeFailed = QByteArray(fault.file) == "adresse.qdx";
    EXPECT_EQ(message, storeFailed ? store::CannotWriteMessage(files.StorePath())
                                   : store::CannotCreateMessage(files.NamesPath()));
    EXPECT_EQ(Names(), names);
    // Both new files are made before either is renamed: only a name index that cannot be
    // renamed leaves the record in the store (listed nowhere, so an orphan to restore).
    const bool namesRenameFailed = !storeFailed && fault.op == store::FileOp::Rename;
    EXPECT_EQ(store::RecordStore(Store()).HasSection("Meier,Anna"), namesRenameFailed);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    ASSERT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna")),
              DataFiles::SaveOutcome::Saved);
    EXPECT_EQ(store::RecordStore(Store()).Record("Meier,Anna")[store::kOrt],
              QString::fromUtf8("Köln"));
    EXPECT_EQ(Names(), names.left(names.indexOf("Name100000")) + "Meier,Anna\r\n" +
                           names.mid(names.indexOf("Name100000")));
  }
}

// Makes a directory read-only for as long as it lives. Permission bits do not bind root, so
// root marks the directory immutable instead.
class ReadOnlyDirectory {
 public:
  explicit ReadOnlyDirectory(const QString& path) : path_(path) {
    if (geteuid() == 0) {
      immutable_ = QProcess::execute("chattr", {"+i", path_}) == 0;
      ok_ = immutable_;
    } else {
      ok_ = QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
    }
  }
  ~ReadOnlyDirectory() {
    if (immutable_)
      QProcess::execute("chattr", {"-i", path_});
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  bool ok() const { return ok_; }

 private:
  QString path_;
  bool immutable_ = false;
  bool ok_ = false;
};

TEST_F(DataFilesTest, readOnlyDirectory_failsWithMessageAndChangesNothing) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  files.SetLockTimeouts(100, 60000);
  QString addMessage, saveMessage;
  {
    ReadOnlyDirectory readOnly(dir.Path());
    if (!readOnly.ok())
      GTEST_SKIP() << "cannot make a directory read-only here";
    addMessage = ThrownMessage([&] { files.AddToNames("Meier,Anna"); });
    saveMessage = ThrownMessage([&] { files.SaveRecord("Meier,Anna", Values("Meier", "Anna")); });
  }
  EXPECT_EQ(addMessage, store::CannotCreateMessage(files.NamesPath()));
  EXPECT_EQ(saveMessage, store::CannotWriteMessage(files.StorePath()));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_FALSE(dir.Exists("adresse.qdx"));
}

TEST_F(DataFilesTest, restore_refusesLiveKeys_skipsKeysNoLongerDeleted_neverListsTwice) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("secure.qdx", "Zander,Ina\r\nabel,karl\r\nMeier,Anna\r\nOtto,Max\r\n");
  EXPECT_EQ(files.RestoreRecords({"Meier,Anna", "abel,karl"}), DataFiles::RestoreOutcome::KeyLive);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Zander,Ina\r\nabel,karl\r\nMeier,Anna\r\nOtto,Max\r\n"));

  EXPECT_EQ(files.RestoreRecords({"Zander,Ina", "Weg,Ist", "Meier,Anna", "Meier,Anna"}),
            DataFiles::RestoreOutcome::NotDeleted);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nZander,Ina\r\n"));
  EXPECT_EQ(Secure(), QByteArray("abel,karl\r\nOtto,Max\r\n"));

  EXPECT_EQ(files.RestoreRecords({"Otto,Max"}), DataFiles::RestoreOutcome::Restored);
  EXPECT_EQ(Secure(), QByteArray("abel,karl\r\n"));
}

// A restore of many records puts each key in its place in one pass over the name index, also
// when the user ticked them in another order than the list's.
TEST_F(DataFilesTest, restoreOfManyKeys_putsEachInItsPlace) {
  constexpr int kRecords = 2000;  // each live one with a deleted namesake to restore
  QByteArray names, expected;
  QStringList keys;  // in reverse order
  for (int i = kRecords - 1; i >= 0; --i)
    keys.append(QStringLiteral("K%1,B").arg(1000000 + i));
  for (int i = 0; i < kRecords; ++i) {
    const QByteArray stem = "K" + QByteArray::number(1000000 + i);
    names += stem + ",A\r\n";
    expected += stem + ",A\r\n" + stem + ",B\r\n";
  }
  dir.Write("names.qdx", names);
  dir.Write("secure.qdx", keys.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");

  EXPECT_EQ(files.RestoreRecords(keys), DataFiles::RestoreOutcome::Restored);
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(Secure(), QByteArray());
}

// Older programs appended a deleted key without looking, so a deleted-records file may list
// it twice. A restore takes every copy: the live record is no longer offered as deleted.
TEST_F(DataFilesTest, restore_keyListedTwiceAsDeleted_leavesNoCopyBehind) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("secure.qdx", "Meier,Anna\r\nOtto,Max\r\nMeier,Anna\r\n");
  EXPECT_EQ(files.RestoreRecords({"Meier,Anna"}), DataFiles::RestoreOutcome::Restored);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Otto,Max\r\n"));
}

TEST_F(DataFilesTest, purge_removesExactlyItsKeys_aKeyDeletedMeanwhileSurvives) {
  dir.Write("names.qdx", "Live,Again\r\n");
  dir.Write("secure.qdx", "Alt,Otto\r\nLive,Again\r\nNeu,Geloescht\r\n");
  dir.Write("adresse.qdx",
            "[Alt,Otto]\r\nName=Alt\r\n[Live,Again]\r\nName=Live\r\n[Neu,Geloescht]\r\nName=Neu\r\n"
            "[Abel,Karl]\r\nName=Abel\r\n");
  // The purge was asked about the two keys it saw; Neu,Geloescht was deleted after that.
  files.PurgeRecords({"Alt,Otto", "Live,Again"});
  EXPECT_EQ(Secure(), QByteArray("Neu,Geloescht\r\n"));
  EXPECT_EQ(Store(), QByteArray("[Live,Again]\r\nName=Live\r\n[Neu,Geloescht]\r\nName=Neu\r\n"
                                "[Abel,Karl]\r\nName=Abel\r\n"));
  EXPECT_EQ(Names(), QByteArray("Live,Again\r\n"));

  files.PurgeRecords({"Neu,Geloescht"});
  EXPECT_TRUE(dir.Exists("secure.qdx"));
  EXPECT_EQ(Secure(), QByteArray());
  EXPECT_EQ(Store(), QByteArray("[Live,Again]\r\nName=Live\r\n[Abel,Karl]\r\nName=Abel\r\n"));
}

TEST_F(DataFilesTest, lockFreeForMomentsOnly_isTakenWithinTheWait) {
  // Another workstation keeps taking the lock for 80 ms and leaves it free for 6 ms at a
  // time, as a busy office does. A change waiting 2 s must find one of those moments.
  dir.Write("names.qdx", "Abel,Karl\r\n");
  std::atomic<bool> done{false};
  std::atomic<bool> started{false};
  std::thread other([&] {
    while (!done) {
      QLockFile lock(files.LockPath());
      while (!lock.tryLock(0) && !done)
        QThread::msleep(1);
      started = true;
      QThread::msleep(80);
      lock.unlock();
      QThread::msleep(6);
    }
  });
  while (!started)
    QThread::msleep(1);
  files.SetLockTimeouts(2000, 60000);
  const QString message = ThrownMessage([&] { files.AddToNames("Meier,Anna"); });
  done = true;
  other.join();
  EXPECT_EQ(message, QString());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
}

TEST_F(DataFilesTest, shareRefusingAnExistingLockFile_isALockHeld) {
  // A share reached through SFTP answers "operation not permitted" instead of "exists" when
  // the lock file it is asked to create is there already.
  dir.Write("names.qdx", "Abel,Karl\r\n");
  const QString lockPath = files.LockPath();
  store::SetLockRefusalForTesting([lockPath] { return QFile::exists(lockPath); });
  QLockFile held(lockPath);
  ASSERT_TRUE(held.tryLock(0));
  std::thread holder([&] {
    QThread::msleep(200);
    held.unlock();
  });
  files.SetLockTimeouts(5000, 60000);
  const QString waited = ThrownMessage([&] { files.AddToNames("Meier,Anna"); });
  holder.join();
  EXPECT_EQ(waited, QString());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));

  // Held past the wait: the other workstation is busy, no file failed.
  ASSERT_TRUE(held.tryLock(0));
  files.SetLockTimeouts(150, 60000);
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Zander,Ina", Values("Zander", "Ina")); }),
            store::LockBusyMessage());
  held.unlock();

  // Refused with no lock file there: a directory that takes no new file fails at once.
  store::SetLockRefusalForTesting([] { return true; });
  files.SetLockTimeouts(5000, 60000);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Zander,Ina"); }),
            store::CannotCreateMessage(files.NamesPath()));
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
}

TEST_F(DataFilesTest, restoreCutShortByAFailedWrite_isCompletedWhenRunAgain) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("secure.qdx", "Alt,Otto\r\nZander,Ina\r\n");
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Rename && path.endsWith("secure.qdx");
  });
  EXPECT_EQ(ThrownMessage([&] { files.RestoreRecords({"Alt,Otto"}); }),
            store::CannotCreateMessage(files.SecurePath()));
  // The name index is written first: the key is in both files rather than in none.
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nAlt,Otto\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Alt,Otto\r\nZander,Ina\r\n"));
  store::SetFaultHook({});
  EXPECT_EQ(files.RestoreRecords({"Alt,Otto"}), DataFiles::RestoreOutcome::Restored);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nAlt,Otto\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Zander,Ina\r\n"));
  // A key live in another spelling is still refused.
  dir.Write("secure.qdx", "abel,karl\r\n");
  EXPECT_EQ(files.RestoreRecords({"abel,karl"}), DataFiles::RestoreOutcome::KeyLive);
}

// A store another program saved in UTF-8 gives back at most 1023 bytes of a value, and an
// umlaut takes two of them: a value that would come back cut is refused with nothing written,
// one that just fits is saved whole. A Windows-1252 store takes the same value as it is.
TEST_F(DataFilesTest, utf8Store_valueLongerThanItGivesBack_refusedAndNothingWritten) {
  const QByteArray before = "\xEF\xBB\xBF[Alt,Otto]\r\nName=Alt\r\n";
  dir.Write("names.qdx", "Alt,Otto\r\n");
  dir.Write("adresse.qdx", before);
  store::RecordValues tooLong = Values("Meier", "Anna");
  tooLong[store::kStrasse] = QString(600, QChar(0xFC));
  EXPECT_EQ(ThrownMessage([&] { files.SaveRecord("Meier,Anna", tooLong); }),
            store::TooLongForUtf8Message(store::kStrasse));
  EXPECT_EQ(Store(), before);
  EXPECT_EQ(Names(), "Alt,Otto\r\n");
  EXPECT_TRUE(store::TooLongForUtf8Message(store::kStrasse).startsWith(u"Das Feld \"Straße\""));

  store::RecordValues fits = tooLong;
  fits[store::kStrasse] = QString(511, QChar(0xFC)) + QLatin1Char('x');  // 1023 bytes
  ASSERT_EQ(files.SaveRecord("Meier,Anna", fits), DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(store::RecordStore(Store()).Value("Meier,Anna", u"Strasse"), fits[store::kStrasse]);

  TempDataDir cp1252;
  cp1252.Write("names.qdx", "");
  ASSERT_EQ(DataFiles(cp1252.Path()).SaveRecord("Meier,Anna", tooLong),
            DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(store::RecordStore(cp1252.Read("adresse.qdx")).Value("Meier,Anna", u"Strasse"),
            tooLong[store::kStrasse]);
}

}  // namespace
