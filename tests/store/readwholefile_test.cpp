#include <gtest/gtest.h>

#include "store/fileio.h"
#include "tests/support/datadir.h"

namespace {

constexpr qsizetype kLarge = 1 << 20;

struct ReadWholeFileTest : ::testing::Test {
  testsupport::TempDataDir dir;
};

TEST_F(ReadWholeFileTest, aSnapshotStillHeldKeepsItsBytesWhenTheFileIsReadAgain) {
  QByteArray oldBytes(kLarge, 'o');
  oldBytes[0] = '\0';
  oldBytes[kLarge - 1] = '\xFF';
  dir.Write("adresse.qdx", oldBytes);
  const store::ReadResult held = store::ReadWholeFile(dir.File("adresse.qdx"));
  ASSERT_EQ(held.status, store::ReadStatus::Ok);
  EXPECT_EQ(held.bytes, oldBytes);

  dir.Write("adresse.qdx", QByteArray(kLarge, 'n'));
  const store::ReadResult second = store::ReadWholeFile(dir.File("adresse.qdx"));
  EXPECT_EQ(second.bytes, QByteArray(kLarge, 'n'));
  EXPECT_NE(second.bytes.constData(), held.bytes.constData());
  EXPECT_EQ(held.bytes, oldBytes);
}

TEST_F(ReadWholeFileTest, consecutiveReadsOfAChangingFileGiveExactlyItsBytes) {
  // Shrinking and growing: no byte of an earlier read may show in a later one.
  const qsizetype sizes[] = {kLarge, kLarge - 4097, kLarge - 1, kLarge + 300000, kLarge / 2 + 1};
  for (qsizetype size : sizes) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
      bytes[i] = char((i * 7 + size) & 0xFF);
    dir.Write("adresse.qdx", bytes);
    const store::ReadResult read = store::ReadWholeFile(dir.File("adresse.qdx"));
    ASSERT_EQ(read.status, store::ReadStatus::Ok);
    EXPECT_EQ(read.bytes.size(), size);
    EXPECT_TRUE(read.bytes == bytes) << size;
  }
}

TEST_F(ReadWholeFileTest, aFailedReadReportsFailureAndTheNextReadSucceeds) {
  dir.Write("adresse.qdx", QByteArray(kLarge, 'k'));
  EXPECT_EQ(store::ReadWholeFile(dir.File("adresse.qdx")).bytes, QByteArray(kLarge, 'k'));
  store::SetFaultHook([](store::FileOp op, const QString&) { return op == store::FileOp::Read; });
  const store::ReadResult failed = store::ReadWholeFile(dir.File("adresse.qdx"));
  store::SetFaultHook({});
  EXPECT_EQ(failed.status, store::ReadStatus::Failed);
  EXPECT_TRUE(failed.bytes.isEmpty());
  dir.Write("adresse.qdx", QByteArray(kLarge, 'm'));
  EXPECT_EQ(store::ReadWholeFile(dir.File("adresse.qdx")).bytes, QByteArray(kLarge, 'm'));
}

}  // namespace
