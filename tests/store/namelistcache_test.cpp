// The main window's loads of the name index: read from disk every time, decoded only when the
// bytes changed, otherwise exactly as store::LoadSortedList.
#include <gtest/gtest.h>

#include <QFile>

#include "store/fileio.h"
#include "store/namelistcache.h"
#include "store/sharedaccess.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

class NameListCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { store::ResetLoadFailureFlagForTesting(); }
  void TearDown() override {
    store::SetFaultHook({});
    store::ResetLoadFailureFlagForTesting();
  }
  QString Path() const { return data.File(QStringLiteral("names.qdx")); }

  testsupport::TempDataDir data;
  testsupport::RecordingSink sink;
  store::NameListCache cache;
};

TEST_F(NameListCacheTest, unchangedFile_sameListShared_changedBytesOfTheSameLength_readAfresh) {
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nMeier,Anna\r\n");
  const store::LoadResult first = cache.Load(Path(), sink);
  ASSERT_TRUE(first.loaded);
  EXPECT_EQ(first.lines, (QStringList{"Abel,Bert", "Meier,Anna"}));

  // Rewritten with the same bytes (another workstation's save of the same list).
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nMeier,Anna\r\n");
  const store::LoadResult again = cache.Load(Path(), sink);
  EXPECT_EQ(again.lines.constData(), first.lines.constData());

  // Same length, one letter different: a new list.
  data.Write(QStringLiteral("names.qdx"), "Abel,Bern\r\nMeier,Anna\r\n");
  const store::LoadResult changed = cache.Load(Path(), sink);
  EXPECT_EQ(changed.lines, (QStringList{"Abel,Bern", "Meier,Anna"}));

  // Forgotten: the same bytes are decoded again into a list of their own.
  cache.Forget();
  const store::LoadResult reread = cache.Load(Path(), sink);
  EXPECT_EQ(reread.lines, changed.lines);
  EXPECT_NE(reread.lines.constData(), changed.lines.constData());
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(NameListCacheTest, loadsAsTheStoreDoes_unsortedSorted_emptyFileEmpty) {
  data.Write(QStringLiteral("names.qdx"), "Zorn,Udo\r\n\xC4rger,Jan\r\nabel,Bert\r\n");
  EXPECT_EQ(cache.Load(Path(), sink).lines,
            store::LoadSortedList(Path(), sink).lines);  // the store's order, umlauts included
  EXPECT_EQ(cache.Load(Path(), sink).lines.first(), "abel,Bert");

  data.Write(QStringLiteral("names.qdx"), "");
  const store::LoadResult empty = cache.Load(Path(), sink);
  EXPECT_TRUE(empty.loaded);
  EXPECT_TRUE(empty.lines.isEmpty());
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(NameListCacheTest, unreadableFile_oneMessageAfterAllAttempts_listNotKept) {
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\n");
  const store::LoadResult before = cache.Load(Path(), sink);
  int reads = 0;
  store::SetFaultHook([&reads](store::FileOp op, const QString& path) {
    const bool names = op == store::FileOp::Open && path.endsWith(QStringLiteral("names.qdx"));
    reads += names;
    return names;
  });
  const store::LoadResult failed = cache.Load(Path(), sink);
  EXPECT_FALSE(failed.loaded);
  EXPECT_TRUE(failed.lines.isEmpty());
  EXPECT_EQ(reads, store::kLoadAttempts);
  EXPECT_EQ(sink.texts, QStringList{store::LoadFailureMessage()});
  EXPECT_TRUE(store::LoadFailureFlag());

  store::SetFaultHook({});
  data.Write(QStringLiteral("names.qdx"), "");  // a missing file is no failure to the cache
  QFile::remove(Path());
  const store::LoadResult missing = cache.Load(Path(), sink);
  EXPECT_FALSE(missing.loaded);
  EXPECT_TRUE(missing.missing);
}

}  // namespace
