// A data directory that cannot be written, and a lock left behind by a workstation that died.
#include <gtest/gtest.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <iostream>
#include <optional>
#include <thread>

#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/messages.h"
#include "tests/reliability/qtprint.h"
#include "tests/support/datadir.h"
#include "tests/support/thrownmessage.h"

namespace {

using store::DataFiles;
using testsupport::TempDataDir;
using testsupport::ThrownMessage;

QByteArray Section(const char* key) {
  return QByteArray("[") + key + "]\r\nVorname=x\r\nName=y\r\n";
}

class ReadOnlyDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("names.qdx", "Abel,Karl\r\nMeier,Anna\r\n");
    dir.Write("secure.qdx", "Alt,Otto\r\n");
    dir.Write("adresse.qdx", Section("Abel,Karl") + Section("Meier,Anna") + Section("Alt,Otto"));
    for (const char* name : {"names.qdx", "secure.qdx", "adresse.qdx"})
      QFile::setPermissions(dir.File(name), QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther);
    // Readable and enterable by everyone, writable by no one.
    QFile::setPermissions(dir.Path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    before = Files();
  }
  void TearDown() override {
    store::SetFaultHook({});
    QFile::setPermissions(dir.Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QStringList Files() const {
    QStringList files;
    const QDir d(dir.Path());
    for (const QString& name : d.entryList(QDir::Files | QDir::Hidden))
      files.append(name + QLatin1Char('=') + QString::fromLatin1(dir.Read(name).toHex()));
    return files;
  }

  // The changes of the windows with the message each must end with in this directory.
  struct Change {
    const char* command;
    const char* key;
    QString message;
  };
  QList<Change> Changes() const {
    const DataFiles files(dir.Path());
    return {{"save", "Neu,Nina", store::CannotWriteMessage(files.StorePath())},
            {"remove", "Abel,Karl", store::CannotCreateMessage(files.NamesPath())},
            {"add", "Neu,Nina", store::CannotCreateMessage(files.NamesPath())},
            {"delete", "Meier,Anna", store::CannotCreateMessage(files.SecurePath())},
            {"restore", "Alt,Otto", store::CannotCreateMessage(files.NamesPath())},
            {"purge", "Alt,Otto", store::CannotWriteMessage(files.StorePath())}};
  }

  TempDataDir dir;
  QStringList before;
};

// Root is not bound by permission bits, and CI runs as root: there the change runs in a
// child process that has dropped root's rights first, so the kernel refuses the writes as it
// does for every office user. Where rights cannot be dropped, the file layer is made to
// refuse every write as the directory would.
TEST_F(ReadOnlyDirectoryTest, everyChange_failsWithItsMessageAndChangesNothing) {
  bool simulated = false;
  for (const Change& change : Changes()) {
    SCOPED_TRACE(change.command);
    QStringList args = {QStringLiteral("run")};
    if (geteuid() == 0)
      args.append(QStringLiteral("--as-nobody"));
    args += {dir.Path(), QString::fromLatin1(change.command), QString::fromLatin1(change.key)};
    QProcess child;
    child.start(QStringLiteral(STRESS_DRIVER), args);
    ASSERT_TRUE(child.waitForFinished(30000));
    QString message = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    if (child.exitCode() == 4) {
      simulated = true;
      store::SetFaultHook(
          [](store::FileOp op, const QString&) { return op != store::FileOp::Read; });
      DataFiles files(dir.Path());
      files.SetLockTimeouts(200, 60000);
      const QString key = QString::fromLatin1(change.key);
      message = ThrownMessage([&] {
        const QString c = QString::fromLatin1(change.command);
        if (c == "save")
          files.SaveRecord(key, {});
        else if (c == "remove")
          files.RemoveFromNames(key);
        else if (c == "add")
          files.AddToNames(key);
        else if (c == "delete")
          files.DeleteRecord(key);
        else if (c == "restore")
          files.RestoreRecords({key});
        else
          files.PurgeRecords({key});
      });
      store::SetFaultHook({});
    }
    EXPECT_EQ(message, change.message);
    EXPECT_EQ(Files(), before) << "a file changed or was left behind";
  }
  if (simulated)
    std::cout << "[ note ] rights could not be dropped; the read-only directory was simulated"
              << std::endl;
  RecordProperty("simulated", simulated ? "yes" : "no");
}

// The same directory made writable again: every change works, so nothing was damaged.
TEST_F(ReadOnlyDirectoryTest, writableAgain_everyChangeWorks) {
  QFile::setPermissions(dir.Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  for (const Change& change : Changes()) {
    QProcess child;
    child.start(QStringLiteral(STRESS_DRIVER),
                {QStringLiteral("run"), dir.Path(), QString::fromLatin1(change.command),
                 QString::fromLatin1(change.key)});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), "ok") << change.command;
  }
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Alt,Otto\r\nNeu,Nina\r\n"));
  EXPECT_EQ(dir.Read("secure.qdx"), QByteArray("Meier,Anna\r\n"));
}

class DeadWorkstationTest : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("names.qdx", "Abel,Karl\r\n"); }
  void TearDown() override {
    if (holder.state() != QProcess::NotRunning) {
      holder.kill();
      holder.waitForFinished();
    }
  }
  // Another workstation takes the lock and keeps it.
  void StartHolder() {
    holder.start(QStringLiteral(STRESS_DRIVER), {QStringLiteral("holdlock"), files.LockPath()});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), QByteArray("locked"));
  }
  void KillHolder() {
    holder.kill();  // no chance to clean up: the lock file stays
    ASSERT_TRUE(holder.waitForFinished());
    ASSERT_TRUE(QFile::exists(files.LockPath()));
  }

  TempDataDir dir;
  DataFiles files{dir.Path()};
  QProcess holder;
};

TEST_F(DeadWorkstationTest, lockOfALiveWorkstation_isRespected_andTakenOverWhenItDies) {
  StartHolder();
  files.SetLockTimeouts(300, 60000);
  QElapsedTimer waited;
  waited.start();
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), store::LockBusyMessage());
  EXPECT_GE(waited.elapsed(), 290);  // the bounded wait, not an immediate failure
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\n"));

  KillHolder();
  // The holder ran on this machine and is gone: its lock is stale at once.
  files.SetLockTimeouts(5000, 60000);
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), QString());
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_FALSE(QFile::exists(files.LockPath()));
}

TEST_F(DeadWorkstationTest, lockOfAWorkstationOnAnotherMachine_isTakenOverAfterItsTimeout) {
  StartHolder();
  KillHolder();
  // The same lock as if the dead workstation had been another machine of the office: its
  // process cannot be looked up from here, so only the lock's age tells that it is stale.
  QFile lock(files.LockPath());
  ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
  QList<QByteArray> lines = lock.readAll().split('\n');
  lock.close();
  ASSERT_GE(lines.size(), 3);
  const QByteArray foreign = lines[0] + '\n' + lines[1] + "\nanderer-rechner\n";
  ASSERT_TRUE(QFile::remove(files.LockPath()));
  dir.Write(".adressbuch.lock", foreign);

  // Younger than its timeout: respected.
  files.SetLockTimeouts(300, 60000);
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), store::LockBusyMessage());
  EXPECT_EQ(dir.Read(".adressbuch.lock"), foreign);

  // A change that waits longer than the timeout takes it over once it is that old.
  constexpr int kStaleMs = 1500;
  files.SetLockTimeouts(10000, kStaleMs);
  const QDateTime written = QFileInfo(files.LockPath()).lastModified();
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), QString());
  EXPECT_GE(written.msecsTo(QDateTime::currentDateTime()), kStaleMs);
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_FALSE(QFile::exists(files.LockPath()));
}

// The lock of a workstation on another machine of the share: its process cannot be looked up
// from here.
const QByteArray kForeignLock = "4711\npellumo\nanderer-rechner\n";

// Workstations and the file server disagree about the time, often by minutes. A lock that the
// server dated ahead of this workstation's clock was taken a moment ago, not long ago: taking
// it over would let two changes write at once. It is judged by the file system's clock, the
// one that dated it, and becomes stale by that clock like any other.
TEST_F(DeadWorkstationTest, lockDatedAheadOfThisWorkstationsClock_isJudgedByTheFileSystemsClock) {
  dir.Write(".adressbuch.lock", kForeignLock);
  const QDateTime dated = QDateTime::currentDateTime().addMSecs(2000);
  QFile lock(files.LockPath());
  ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
  ASSERT_TRUE(lock.setFileTime(dated, QFileDevice::FileModificationTime));
  lock.close();
  const QStringList before = QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden);

  constexpr int kStaleMs = 1000;
  files.SetLockTimeouts(300, kStaleMs);
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), store::LockBusyMessage());
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\n"));
  // Asking the file system for its time leaves nothing behind.
  EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), before);

  files.SetLockTimeouts(10000, kStaleMs);
  EXPECT_EQ(ThrownMessage([&] { files.AddToNames("Meier,Anna"); }), QString());
  EXPECT_GE(dated.msecsTo(QDateTime::currentDateTime()), kStaleMs);
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_FALSE(QFile::exists(files.LockPath()));
}

// Runs one change of the stress driver (see its "run") in a process whose clock runs ahead of
// the file system's by `ahead` (libfaketime's notation, "+2m"): a workstation whose clock is
// off the file server's. Returns what it printed, or nothing without libfaketime.
std::optional<QString> RunWithClockAhead(const QString& ahead, const QStringList& arguments) {
  QString fakeTime;
  for (const QString& arch : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs)) {
    const QString candidate = QStringLiteral("/usr/lib/%1/faketime/libfaketime.so.1").arg(arch);
    if (QFile::exists(candidate))
      fakeTime = candidate;
  }
  if (fakeTime.isEmpty())
    return std::nullopt;
  QProcess change;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("LD_PRELOAD"), fakeTime);
  environment.insert(QStringLiteral("FAKETIME"), ahead);
  // Only the clock is off: file times are the file system's, as on a share.
  environment.insert(QStringLiteral("NO_FAKE_STAT"), QStringLiteral("1"));
  // Under AddressSanitizer the preloaded library comes before the sanitizer's.
  environment.insert(QStringLiteral("ASAN_OPTIONS"),
                     environment.value(QStringLiteral("ASAN_OPTIONS")) +
                         QStringLiteral(":verify_asan_link_order=0"));
  change.setProcessEnvironment(environment);
  change.start(QStringLiteral(STRESS_DRIVER), QStringList{QStringLiteral("run")} + arguments);
  if (!change.waitForFinished(30000))
    return QStringLiteral("did not finish");
  return QString::fromUtf8(change.readAllStandardOutput()).trimmed();
}

// The same with a real clock that is off: a workstation whose clock runs two minutes ahead
// meets the lock that another machine took a moment ago, on a share that does not pass the
// system's file locks between machines (sshfs). By its own clock that lock is two minutes old;
// the driver takes a lock over once it is a minute old.
TEST_F(DeadWorkstationTest, workstationWhoseClockIsAhead_waitsForALockTakenAMomentAgo) {
  dir.Write(".adressbuch.lock", kForeignLock);
  const std::optional<QString> printed = RunWithClockAhead(
      QStringLiteral("+2m"), {dir.Path(), QStringLiteral("add"), QStringLiteral("Meier,Anna")});
  if (!printed)
    GTEST_SKIP() << "libfaketime is not installed (Debian package faketime)";
  EXPECT_EQ(*printed, store::LockBusyMessage());
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(dir.Read(".adressbuch.lock"), kForeignLock);
}

// A change clears the temporary files that changes which crashed left behind, once they are
// ten minutes old, and never a young one. By the clock of a workstation that runs twenty
// minutes ahead, a temporary file made a moment ago is twenty minutes old.
TEST_F(DeadWorkstationTest, workstationWhoseClockIsAhead_keepsYoungTemporaryFiles) {
  dir.Write("names.qdx.0123abcd5.tmp", "Abel,Karl\r\n");
  const std::optional<QString> printed = RunWithClockAhead(
      QStringLiteral("+20m"), {dir.Path(), QStringLiteral("add"), QStringLiteral("Meier,Anna")});
  if (!printed)
    GTEST_SKIP() << "libfaketime is not installed (Debian package faketime)";
  EXPECT_EQ(*printed, QStringLiteral("ok"));
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_TRUE(QFile::exists(dir.File("names.qdx.0123abcd5.tmp")));
}

// A change that works longer than the stale time (a purge of fifty thousand deleted records
// took minutes, and a share can be slow) keeps its lock file young the whole time. A waiting
// workstation on another machine of the share may judge the lock by the file's age alone: an
// aged lock of a live change would be taken over, and both changes would write at once.
TEST_F(DeadWorkstationTest, changeThatWorksLongerThanTheStaleTime_keepsItsLockFileYoung) {
  constexpr int kStaleMs = 1000;
  files.SetLockTimeouts(5000, kStaleMs);
  std::atomic<bool> writing{false};
  std::atomic<bool> release{false};
  // The change is held up just before its new name index replaces the old one.
  store::SetFaultHook([&](store::FileOp op, const QString& path) {
    if (op == store::FileOp::Rename && path == files.NamesPath()) {
      writing = true;
      while (!release)
        QThread::msleep(5);
    }
    return false;
  });
  QString message = QStringLiteral("not run");
  std::thread change([&] { message = ThrownMessage([&] { files.AddToNames("Meier,Anna"); }); });
  while (!writing)
    QThread::msleep(5);

  qint64 oldest = 0;
  QElapsedTimer held;
  held.start();
  while (held.elapsed() < 3 * kStaleMs) {
    const QFileInfo lock(files.LockPath());
    if (lock.exists())
      oldest = std::max(oldest, lock.lastModified().msecsTo(QDateTime::currentDateTime()));
    QThread::msleep(20);
  }
  release = true;
  change.join();
  store::SetFaultHook({});

  EXPECT_LT(oldest, kStaleMs) << "the lock of a live change looked abandoned";
  EXPECT_EQ(message, QString());
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nMeier,Anna\r\n"));
  EXPECT_FALSE(QFile::exists(files.LockPath()));
}

}  // namespace
