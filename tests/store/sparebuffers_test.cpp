#include "store/sparebuffers.h"

#include <gtest/gtest.h>

#include "store/fileio.h"
#include "tests/support/datadir.h"

namespace {

constexpr qsizetype kLarge = 1 << 20;

struct SpareBuffersTest : ::testing::Test {
  void SetUp() override { store::ReleaseSpareBuffers(); }
  void TearDown() override { store::ReleaseSpareBuffers(); }
  testsupport::TempDataDir dir;
};

TEST_F(SpareBuffersTest, aBufferIsReusedOnlyOnceNoOneElseHoldsIt) {
  QByteArray first(kLarge, 'a');
  const char* memory = first.constData();
  store::KeepSpareBuffer("slot", first);
  // Still held: the caller's array must not be written over.
  EXPECT_TRUE(store::TakeSpareBuffer("slot", kLarge).isNull());
  EXPECT_EQ(first, QByteArray(kLarge, 'a'));
  first = QByteArray();
  // Another slot's name or a size far below the kept one gets nothing.
  EXPECT_TRUE(store::TakeSpareBuffer("other", kLarge).isNull());
  EXPECT_TRUE(store::TakeSpareBuffer("slot", kLarge / 4).isNull());
  const QByteArray again = store::TakeSpareBuffer("slot", kLarge - 10);
  EXPECT_EQ(again.constData(), memory);
  EXPECT_EQ(again.size(), kLarge - 10);
  // Taken once: the slot is empty until the buffer is kept again.
  EXPECT_TRUE(store::TakeSpareBuffer("slot", kLarge - 10).isNull());
  // Larger than the kept capacity, or too small to be worth keeping.
  store::KeepSpareBuffer("slot", again);
  EXPECT_TRUE(store::TakeSpareBuffer("slot", 2 * kLarge).isNull());
  QByteArray small(100, 's');
  store::KeepSpareBuffer("small", small);
  small = QByteArray();
  EXPECT_TRUE(store::TakeSpareBuffer("small", 100).isNull());
}

TEST_F(SpareBuffersTest, aSnapshotStillHeldKeepsItsBytesWhenTheFileIsReadAgain) {
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

TEST_F(SpareBuffersTest, readingIntoReusedMemoryGivesExactlyTheFilesBytes) {
  // Shrinking, growing within the kept capacity, and a file grown past it: no byte of an
  // earlier read may show in a later one.
  const qsizetype sizes[] = {kLarge, kLarge - 4097, kLarge - 1, kLarge + 300000, kLarge / 2 + 1};
  const char* previous = nullptr;
  int reused = 0;
  for (qsizetype size : sizes) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
      bytes[i] = char((i * 7 + size) & 0xFF);
    dir.Write("adresse.qdx", bytes);
    const store::ReadResult read = store::ReadWholeFile(dir.File("adresse.qdx"));
    ASSERT_EQ(read.status, store::ReadStatus::Ok);
    EXPECT_EQ(read.bytes.size(), size);
    EXPECT_TRUE(read.bytes == bytes) << size;
    reused += read.bytes.constData() == previous;
    previous = read.bytes.constData();
  }
  EXPECT_GE(reused, 2);  // the memory really is reused, or this test shows nothing
}

TEST_F(SpareBuffersTest, aFailedReadLeavesTheKeptBufferAndReportsFailure) {
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
