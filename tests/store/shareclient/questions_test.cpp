// What reading a data file that is not there costs on a share: every question to the file
// system is a round trip to the server there, and the loads retry a missing or unreadable file
// thousands of times before they give up. Each attempt asks only what it must.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <chrono>
#include <thread>

#include "store/fileio.h"
#include "store/sharedaccess.h"
#include "tests/store/shareclient/filequestions.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

class FileQuestionsTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::CountFileQuestions(dir.Path()); }
  void TearDown() override {
    testsupport::StopCountingFileQuestions();
    store::ResetLoadFailureFlagForTesting();
  }

  testsupport::TempDataDir dir;
  testsupport::RecordingSink sink;
};

TEST_F(FileQuestionsTest, whetherAnEntryExists_isOneQuestion) {
  EXPECT_FALSE(store::EntryExists(dir.File("secure.qdx")));
  EXPECT_EQ(testsupport::FileQuestions(), 1);

  ASSERT_TRUE(QFile::link(dir.File("weg.qdx"), dir.File("names.qdx")));
  testsupport::CountFileQuestions(dir.Path());
  EXPECT_TRUE(store::EntryExists(dir.File("names.qdx")));  // a link that leads nowhere
  EXPECT_EQ(testsupport::FileQuestions(), 1);
}

TEST_F(FileQuestionsTest, missingRecordStore_eachProbeIsOneOpen) {
  const store::RecordStore records = store::OpenRecordStore(dir.Path(), sink, 50);
  // And once, at the first failure, whether the address book is a new one: the record store
  // not there, and the name index not there either.
  EXPECT_EQ(testsupport::FileQuestions(), 50 + 2);
  EXPECT_EQ(sink.texts, QStringList{store::StoreProbeFailureMessage()});
  EXPECT_EQ(records.Value("Meier,Anna", u"Name"), "Error");
}

TEST_F(FileQuestionsTest, missingList_eachAttemptIsOneOpen_andMissingIsAskedOnce) {
  const store::LoadResult names = store::LoadSortedList(dir.File("names.qdx"), sink, 50);
  EXPECT_EQ(testsupport::FileQuestions(), 51);
  EXPECT_FALSE(names.loaded);
  EXPECT_TRUE(names.missing);
  EXPECT_EQ(sink.texts, QStringList{store::LoadFailureMessage()});
}

// Six thousand attempts at 20 ms a round trip froze the window for two minutes before it said
// that the name index is not there, and a thousand probes of the record store for twenty
// seconds. The retries now end after a few seconds, with the same message.
TEST_F(FileQuestionsTest, onASlowShare_aMissingFileIsGivenUpWithinSeconds) {
  testsupport::SetRoundTripMs(20);
  QElapsedTimer clock;
  clock.start();
  const store::LoadResult names = store::LoadSortedList(dir.File("names.qdx"), sink);
  const qint64 loadMs = clock.restart();
  store::OpenRecordStore(dir.Path(), sink);
  const qint64 probeMs = clock.elapsed();

  EXPECT_FALSE(names.loaded);
  EXPECT_TRUE(names.missing);
  EXPECT_EQ(sink.texts,
            (QStringList{store::LoadFailureMessage(), store::StoreProbeFailureMessage()}));
  for (const qint64 ms : {loadMs, probeMs}) {
    EXPECT_GE(ms, store::kRetryMs);  // the file was still retried for as long as a rewrite takes
    EXPECT_LT(ms, store::kRetryMs + 10000);  // 121 s and 20 s before
  }
}

// A read of a large store over a slow share can itself outlast the retries' time; one that
// failed (the file was replaced meanwhile) is still tried again.
TEST_F(FileQuestionsTest, aFailedAttemptThatOutlastsTheRetryTime_isTriedAgain) {
  dir.Write("adresse.qdx", "[Meier,Anna]\r\nName=Meier\r\n");
  int opens = 0;
  store::SetFaultHook([&opens](store::FileOp op, const QString& path) {
    if (op != store::FileOp::Open || !path.endsWith(QLatin1String("adresse.qdx")) || opens++ > 0)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(store::kRetryMs + 100));
    return true;
  });
  const store::RecordStore records = store::OpenRecordStore(dir.Path(), sink);
  store::SetFaultHook({});
  EXPECT_EQ(opens, 2);
  EXPECT_TRUE(sink.texts.isEmpty());
  EXPECT_EQ(records.Value("Meier,Anna", u"Name"), "Meier");
}

TEST_F(FileQuestionsTest, listBehindALinkThatLeadsNowhere_isUnreadableNotMissing) {
  ASSERT_TRUE(QFile::link(dir.File("weg.qdx"), dir.File("secure.qdx")));
  testsupport::CountFileQuestions(dir.Path());
  const store::LoadResult deleted = store::LoadSortedList(dir.File("secure.qdx"), sink, 50);
  EXPECT_EQ(testsupport::FileQuestions(), 51);
  EXPECT_FALSE(deleted.loaded);
  EXPECT_FALSE(deleted.missing);
}

}  // namespace
