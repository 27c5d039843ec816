// The prepared search: hits in list order, following a changed name view without reading the
// store again, and the cache that reads the store again once it was replaced.
#include "store/recordsearch.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "tests/support/datadir.h"

namespace {

class RecordingSink : public store::MessageSink {
 public:
  void ShowMessage(const QString& text) override { messages.append(text); }
  QStringList messages;
};

// Sections in another order than the list; one listed key has no section, one section is
// listed nowhere.
const QByteArray kStore =
    "[Zorn,Zoe]\r\nVorname=Zoe\r\nName=Zorn\r\nOrt=Freiburg\r\nTelefon1=0761/93410-0\r\n"
    "[Abel,Bert]\r\nVorname=Bert\r\nName=Abel\r\nOrt=K\xF6ln\r\nFirma=M\xFCller GmbH\r\n"
    "[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nOrt=Freiburg\r\nFirma=Mueller AG\r\n"
    "[Alt,Otto]\r\nVorname=Otto\r\nName=Alt\r\nOrt=Freiburg\r\n";

QStringList Keys(std::initializer_list<const char*> keys) {
  QStringList list;
  for (const char* key : keys)
    list.append(QString::fromUtf8(key));
  return list;
}

const QStringList kListed = Keys({"Abel,Bert", "Leer,Lena", "Meier,Anna", "Zorn,Zoe"});

TEST(RecordSearchTest, hitsStandInListOrderWithTheirRows) {
  const store::RecordSearch search(store::RecordStore(kStore), kListed);
  const auto hits = search.Find(QStringLiteral("freiburg"));
  EXPECT_EQ(hits.keys, Keys({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(hits.rows, (std::vector<qint32>{2, 3}));
  EXPECT_EQ(search.Find(QStringLiteral("m\u00fcller")).keys, Keys({"Abel,Bert", "Meier,Anna"}));
  EXPECT_EQ(search.Find(QStringLiteral("lena")).keys, Keys({"Leer,Lena"}));  // by its key
  EXPECT_EQ(search.Find(QStringLiteral("Freiburg 934")).keys, Keys({"Zorn,Zoe"}));
  EXPECT_EQ(search.Find(QString()).keys, kListed);
  EXPECT_TRUE(search.Find(QStringLiteral("otto")).keys.isEmpty());  // not listed
  EXPECT_GT(search.MemoryBytes(), 0);
}

TEST(RecordSearchTest, followsKeysLeftOutAndBackWithoutTheStore) {
  store::RecordSearch search(store::RecordStore(kStore), kListed);
  // Meier,Anna deleted (or taken into an edit): found no more.
  ASSERT_TRUE(search.FollowKeys(Keys({"Abel,Bert", "Leer,Lena", "Zorn,Zoe"})));
  EXPECT_EQ(search.Find(QStringLiteral("freiburg")).keys, Keys({"Zorn,Zoe"}));
  EXPECT_EQ(search.Find(QStringLiteral("freiburg")).rows, (std::vector<qint32>{2}));
  // Listed again: found again, from what was prepared.
  ASSERT_TRUE(search.FollowKeys(kListed));
  EXPECT_EQ(search.Find(QStringLiteral("freiburg")).keys, Keys({"Meier,Anna", "Zorn,Zoe"}));
  // A key never prepared, or the prepared keys in another order, need the store again.
  EXPECT_FALSE(search.FollowKeys(Keys({"Abel,Bert", "Alt,Otto"})));
  EXPECT_FALSE(search.FollowKeys(Keys({"Zorn,Zoe", "Abel,Bert"})));
  EXPECT_EQ(search.Keys(), kListed);
}

class SearchCacheTest : public ::testing::Test {
 protected:
  void WriteStore(const QByteArray& bytes) { data.Write(QStringLiteral("adresse.qdx"), bytes); }
  QStringList Find(const QStringList& keys, const QString& typed) {
    return cache.Find(keys, typed, sink).keys;
  }
  testsupport::TempDataDir data;
  store::SearchCache cache{data.Path()};
  RecordingSink sink;
};

TEST_F(SearchCacheTest, keepsThePreparedSearchUntilTheStoreIsReplaced) {
  WriteStore(kStore);
  EXPECT_EQ(Find(kListed, QStringLiteral("k\u00f6ln")), Keys({"Abel,Bert"}));
  const store::RecordSearch* prepared = cache.Prepared();
  ASSERT_NE(prepared, nullptr);
  const qsizetype memory = prepared->MemoryBytes();
  EXPECT_EQ(Find(kListed, QStringLiteral("koeln")), Keys({"Abel,Bert"}));
  EXPECT_EQ(cache.Prepared()->MemoryBytes(), memory);

  // Another workstation saves Zorn,Zoe with a new town: same size, but a new file.
  QByteArray changed = kStore;
  changed.replace("Ort=Freiburg\r\nTelefon1", "Ort=Kolnxxxx\r\nTelefon1");
  ASSERT_EQ(changed.size(), kStore.size());
  const QString path = data.File(QStringLiteral("adresse.qdx"));
  const QString temporary = path + QStringLiteral(".new");
  {
    QFile file(temporary);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(changed);
    file.flush();
    ASSERT_TRUE(file.setFileTime(QFileInfo(path).lastModified().addSecs(1),
                                 QFileDevice::FileModificationTime));
  }
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QFile::rename(temporary, path));
  EXPECT_EQ(Find(kListed, QStringLiteral("koln")), Keys({"Abel,Bert", "Zorn,Zoe"}));
  EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(SearchCacheTest, aNewKeyInTheListIsReadFromTheStore) {
  WriteStore(kStore);
  EXPECT_EQ(Find(kListed, QStringLiteral("otto")), QStringList());
  // Restored on another workstation: listed now, its section unchanged in the store.
  const QStringList restored = Keys({"Abel,Bert", "Alt,Otto", "Leer,Lena", "Meier,Anna"});
  EXPECT_EQ(Find(restored, QStringLiteral("otto")), Keys({"Alt,Otto"}));
}

TEST_F(SearchCacheTest, aMissingStoreIsReportedOnceAndFindsByKeyOnly) {
  EXPECT_EQ(Find(kListed, QStringLiteral("a")), Keys({"Abel,Bert", "Leer,Lena", "Meier,Anna"}));
  EXPECT_EQ(Find(kListed, QStringLiteral("an")), Keys({"Meier,Anna"}));
  EXPECT_EQ(sink.messages, QStringList{store::StoreProbeFailureMessage()});
  // Created meanwhile: read at the next key.
  WriteStore(kStore);
  EXPECT_EQ(Find(kListed, QStringLiteral("freiburg")), Keys({"Meier,Anna", "Zorn,Zoe"}));
}

}  // namespace
