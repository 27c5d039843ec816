#include "store/fileio.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "store/replacedfiles.h"
#include "tests/support/datadir.h"

namespace {

struct FileIoTest : ::testing::Test {
  void TearDown() override { store::SetFaultHook({}); }
  QStringList Entries() const {
    return QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  }
  testsupport::TempDataDir dir;
};

TEST_F(FileIoTest, replace_writesTheBytesAndLeavesOnlyTheTarget) {
  const QString path = dir.File("adresse.qdx");
  dir.Write("adresse.qdx", "old\r\n");
  QByteArray bytes(300000, 'a');
  bytes[0] = '\0';  // every byte value survives
  bytes[1] = '\xFF';
  ASSERT_TRUE(store::WriteFileAtomic(path, bytes));
  EXPECT_EQ(dir.Read("adresse.qdx"), bytes);
  ASSERT_TRUE(store::WriteFileAtomic(path, QByteArray()));
  EXPECT_TRUE(dir.Exists("adresse.qdx"));
  EXPECT_EQ(dir.Read("adresse.qdx"), QByteArray());
  EXPECT_EQ(Entries(), QStringList{"adresse.qdx"});
}

TEST_F(FileIoTest, pieces_areWrittenOneAfterTheOther) {
  const QString path = dir.File("adresse.qdx");
  dir.Write("adresse.qdx", "old old old old\r\n");
  const QByteArray big(100000, 'b');
  ASSERT_TRUE(store::WriteFileAtomic(path, {QByteArrayView("[A]\r\n"), QByteArrayView(),
                                            QByteArrayView(big), QByteArrayView("x")}));
  EXPECT_EQ(dir.Read("adresse.qdx"), "[A]\r\n" + big + "x");
  ASSERT_TRUE(store::WriteFileAtomic(path, {QByteArrayView("short")}));
  EXPECT_EQ(dir.Read("adresse.qdx"), QByteArray("short"));  // nothing of the longer file left
  EXPECT_EQ(Entries(), QStringList{"adresse.qdx"});
}

TEST_F(FileIoTest, failureAtEveryStep_leavesTargetAsItWasAndNoTemporaryFile) {
  const QString path = dir.File("names.qdx");
  for (store::FileOp failing : {store::FileOp::Open, store::FileOp::Write, store::FileOp::Rename}) {
    SCOPED_TRACE(int(failing));
    dir.Write("names.qdx", "Abel,Karl\r\n");
    store::SetFaultHook([failing](store::FileOp op, const QString&) { return op == failing; });
    QString detail;
    EXPECT_FALSE(store::WriteFileAtomic(path, "Meier,Anna\r\n", &detail));
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\n"));
    EXPECT_EQ(Entries(), QStringList{"names.qdx"});
    store::SetFaultHook({});
  }
}

// The two steps apart: nothing is visible before the commit, and a replacement given up
// leaves no temporary file behind.
TEST_F(FileIoTest, pendingReplace_visibleOnlyAfterCommit_givenUpLeavesNothing) {
  const QString path = dir.File("names.qdx");
  dir.Write("names.qdx", "Abel,Karl\r\n");
  {
    store::PendingReplace replace(path);
    EXPECT_FALSE(replace.Commit());  // nothing written yet
    ASSERT_TRUE(replace.Write({QByteArrayView("Meier,Anna\r\n")}));
    EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\n"));
    EXPECT_EQ(Entries().size(), 2);
  }
  EXPECT_EQ(Entries(), QStringList{"names.qdx"});
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\n"));
  store::PendingReplace replace(path);
  ASSERT_TRUE(replace.Write({QByteArrayView("Meier,Anna\r\n")}));
  ASSERT_TRUE(replace.Commit());
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Entries(), QStringList{"names.qdx"});
}

#ifdef Q_OS_LINUX
// A large replaced file is let go of in the background: every replacement is read back
// whole, a failed one changes nothing, and no file stays open afterwards.
TEST_F(FileIoTest, largeFilesReplacedOneAfterAnother_readBackWhole_noFileLeftOpen) {
  auto openFiles = [] {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files).size();
  };
  const qsizetype before = openFiles();
  const QString path = dir.File("adresse.qdx");
  dir.Write("adresse.qdx", QByteArray(3 << 20, 'o'));
  for (int round = 0; round < 6; ++round) {
    const QByteArray bytes(int((2 << 20) + round), char('a' + round));
    ASSERT_TRUE(store::WriteFileAtomic(path, bytes));
    EXPECT_EQ(dir.Read("adresse.qdx"), bytes);
    EXPECT_EQ(Entries(), QStringList{"adresse.qdx"});
  }
  store::SetFaultHook([](store::FileOp op, const QString&) { return op == store::FileOp::Rename; });
  EXPECT_FALSE(store::WriteFileAtomic(path, QByteArray(2 << 20, 'x')));
  store::SetFaultHook({});
  EXPECT_EQ(dir.Read("adresse.qdx"), QByteArray((2 << 20) + 5, 'f'));
  EXPECT_EQ(Entries(), QStringList{"adresse.qdx"});
  store::WaitForReplacedFiles();
  EXPECT_EQ(openFiles(), before);

  // While a change holds on to them (around its lock), replaced files stay open; they are
  // let go of when the last hold goes.
  {
    const store::HoldReplacedFiles outer;
    {
      const store::HoldReplacedFiles inner;
      ASSERT_TRUE(store::WriteFileAtomic(path, QByteArray(2 << 20, 'g')));
      ASSERT_TRUE(store::WriteFileAtomic(path, QByteArray(2 << 20, 'h')));
    }
    store::WaitForReplacedFiles();
    EXPECT_EQ(openFiles(), before + 2);
    EXPECT_EQ(dir.Read("adresse.qdx"), QByteArray(2 << 20, 'h'));
  }
  store::WaitForReplacedFiles();
  EXPECT_EQ(openFiles(), before);
}
#endif

TEST_F(FileIoTest, missingDirectory_failsWithoutCreatingAnything) {
  const QString path = dir.File("gone/names.qdx");
  QString detail;
  EXPECT_FALSE(store::WriteFileAtomic(path, "x", &detail));
  EXPECT_FALSE(detail.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(dir.File("gone")));
}

TEST_F(FileIoTest, replacedFileKeepsItsPermissions_newFileIsReadableAndWritable) {
  const QString path = dir.File("export.csv");
  ASSERT_TRUE(store::WriteFileAtomic(path, "a"));
  const QFile::Permissions fresh = QFile::permissions(path);
  EXPECT_TRUE(fresh & QFile::ReadOwner);
  EXPECT_TRUE(fresh & QFile::WriteOwner);

  const QFile::Permissions chosen = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther | QFile::ReadUser | QFile::WriteUser;
  ASSERT_TRUE(QFile::setPermissions(path, chosen));
  const QFile::Permissions before = QFile::permissions(path);
  ASSERT_TRUE(store::WriteFileAtomic(path, "b"));
  EXPECT_EQ(QFile::permissions(path), before);
  EXPECT_EQ(dir.Read("export.csv"), QByteArray("b"));
}

// The usual umask gives 0644 anyway; 0600 and 0640 tell whether the replaced file's
// permissions were carried over.
TEST_F(FileIoTest, replace_keepsRestrictivePermissions) {
  const QString path = dir.File("secure.qdx");
  for (const QFile::Permissions chosen :
       {QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner),
        QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup)}) {
    dir.Write("secure.qdx", "Alt,Otto\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, chosen));
    const QFile::Permissions before = QFile::permissions(path);
    ASSERT_TRUE(store::WriteFileAtomic(path, "Abel,Karl\r\n"));
    EXPECT_EQ(QFile::permissions(path), before);
    EXPECT_EQ(dir.Read("secure.qdx"), QByteArray("Abel,Karl\r\n"));
  }
}

// A power cut must find the old file or the new one: the new bytes reach the disk before the
// rename, the rename reaches it after. A failed flush leaves the target as it was.
TEST_F(FileIoTest, replace_flushesTheFileBeforeTheRenameAndTheDirectoryAfterIt) {
  const QString path = dir.File("adresse.qdx");
  dir.Write("adresse.qdx", "old\r\n");
  QList<store::FileOp> ops;
  store::SetFaultHook([&](store::FileOp op, const QString&) {
    ops.append(op);
    return false;
  });
  ASSERT_TRUE(store::WriteFileAtomic(path, "new\r\n"));
  EXPECT_EQ(ops,
            (QList<store::FileOp>{store::FileOp::Open, store::FileOp::Write, store::FileOp::Sync,
                                  store::FileOp::Rename, store::FileOp::SyncDirectory}));
  store::SetFaultHook([](store::FileOp op, const QString&) { return op == store::FileOp::Sync; });
  EXPECT_FALSE(store::WriteFileAtomic(path, "newer\r\n"));
  EXPECT_EQ(dir.Read("adresse.qdx"), QByteArray("new\r\n"));
  EXPECT_EQ(Entries(), QStringList{"adresse.qdx"});
}

#ifdef Q_OS_UNIX
TEST_F(FileIoTest, linkThatLeadsNowhere_readsAsFailedNotMissing_andIsNotReplaced) {
  ASSERT_TRUE(QFile::link(dir.File("weg.qdx"), dir.File("names.qdx")));
  EXPECT_EQ(store::ReadWholeFile(dir.File("names.qdx")).status, store::ReadStatus::Failed);
  EXPECT_TRUE(store::EntryExists(dir.File("names.qdx")));
  EXPECT_TRUE(store::ResolvedPath(dir.File("names.qdx")).isEmpty());
  EXPECT_FALSE(store::WriteFileAtomic(dir.File("names.qdx"), "x"));
  EXPECT_FALSE(QFileInfo::exists(dir.File("weg.qdx")));
  EXPECT_TRUE(QFileInfo(dir.File("names.qdx")).isSymbolicLink());
}
#endif

TEST_F(FileIoTest, readOnlyTarget_isNotReplaced) {
  const QString path = dir.File("adresse.qdx");
  dir.Write("adresse.qdx", "old\r\n");
  // Permission bits do not bind root, so root marks the file immutable instead.
  const bool root = geteuid() == 0;
  if (root ? QProcess::execute("chattr", {"+i", path}) != 0
           : !QFile::setPermissions(path, QFile::ReadOwner)) {
    GTEST_SKIP() << "cannot make a file read-only here";
  }
  const bool written = store::WriteFileAtomic(path, "new\r\n");
  if (root)
    QProcess::execute("chattr", {"-i", path});
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  EXPECT_FALSE(written);
  EXPECT_EQ(dir.Read("adresse.qdx"), QByteArray("old\r\n"));
  EXPECT_EQ(Entries(), QStringList{"adresse.qdx"});
}

TEST_F(FileIoTest, readWholeFile_missingOrUnreadable) {
  EXPECT_EQ(store::ReadWholeFile(dir.File("none")).status, store::ReadStatus::Missing);
  dir.Write("a.qdx", "x");
  store::SetFaultHook([](store::FileOp op, const QString&) { return op == store::FileOp::Read; });
  const store::ReadResult failed = store::ReadWholeFile(dir.File("a.qdx"));
  EXPECT_EQ(failed.status, store::ReadStatus::Failed);
  EXPECT_TRUE(failed.bytes.isEmpty());
  store::SetFaultHook({});
  const store::ReadResult ok = store::ReadWholeFile(dir.File("a.qdx"));
  EXPECT_EQ(ok.status, store::ReadStatus::Ok);
  EXPECT_EQ(ok.bytes, QByteArray("x"));
}

}  // namespace
