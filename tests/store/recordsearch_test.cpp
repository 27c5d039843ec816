// The prepared search: hits in list order, following a changed name view without reading the
// store again, and the cache that reads the store again once it was replaced.
#include "store/recordsearch.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "store/cp1252.h"
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
  store::RecordSearch search(store::RecordStore(kStore), kListed);
  const auto hits = search.Find(QStringLiteral("freiburg"));
  EXPECT_EQ(hits.Keys(), Keys({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(hits.rows, (std::vector<qint32>{2, 3}));
  EXPECT_EQ(search.Find(QStringLiteral("m\u00fcller")).Keys(), Keys({"Abel,Bert", "Meier,Anna"}));
  EXPECT_EQ(search.Find(QStringLiteral("lena")).Keys(), Keys({"Leer,Lena"}));  // by its key
  EXPECT_EQ(search.Find(QStringLiteral("Freiburg 934")).Keys(), Keys({"Zorn,Zoe"}));
  EXPECT_EQ(search.Find(QString()).Keys(), kListed);
  EXPECT_TRUE(search.Find(QStringLiteral("otto")).Keys().isEmpty());  // not listed
  EXPECT_GT(search.MemoryBytes(), 0);
}

// No value holds DEL, the byte that ends every field of the prepared records. A word holding
// it, pasted from somewhere, finds nothing: it found every record, or two fields run together.
TEST(RecordSearchTest, aWordHoldingDelFindsNothing) {
  store::RecordSearch search(store::RecordStore(kStore), kListed);
  EXPECT_TRUE(search.Find(QStringLiteral("\x7F")).Keys().isEmpty());
  EXPECT_TRUE(search.Find(QStringLiteral("freiburg \x7F")).Keys().isEmpty());
  EXPECT_TRUE(search.Find(QStringLiteral("zorn,zoe\x7Fzoe")).Keys().isEmpty());
  EXPECT_EQ(search.Find(QStringLiteral("zoe zorn")).Keys(), Keys({"Zorn,Zoe"}));
}

TEST(RecordSearchTest, followsKeysLeftOutAndBackWithoutTheStore) {
  store::RecordSearch search(store::RecordStore(kStore), kListed);
  // Meier,Anna deleted (or taken into an edit): found no more.
  ASSERT_TRUE(search.FollowKeys(Keys({"Abel,Bert", "Leer,Lena", "Zorn,Zoe"})));
  EXPECT_EQ(search.Find(QStringLiteral("freiburg")).Keys(), Keys({"Zorn,Zoe"}));
  EXPECT_EQ(search.Find(QStringLiteral("freiburg")).rows, (std::vector<qint32>{2}));
  // Listed again: found again, from what was prepared.
  ASSERT_TRUE(search.FollowKeys(kListed));
  EXPECT_EQ(search.Find(QStringLiteral("freiburg")).Keys(), Keys({"Meier,Anna", "Zorn,Zoe"}));
  // A key never prepared, or the prepared keys in another order, need the store again.
  EXPECT_FALSE(search.FollowKeys(Keys({"Abel,Bert", "Alt,Otto"})));
  EXPECT_FALSE(search.FollowKeys(Keys({"Zorn,Zoe", "Abel,Bert"})));
  EXPECT_EQ(search.Keys(), kListed);
}

// A store of several thousand records, large enough to be scanned and searched in two halves
// at once, with the cases a bulk read must get right in either half: letter case and blanks
// of a key that differ from its header, a second section of a name (the first wins), a listed
// key without a section, sections no key lists, fields missing or out of their usual order,
// umlauts in either spelling and telephone numbers in any notation.
struct LargeStore {
  QByteArray bytes;
  QStringList keys;
};
LargeStore MakeLargeStore() {
  const char* const towns[] = {"Freiburg", "K\xF6ln", "Muenchen", "M\xFCnchen",
                               "Stra\xDF"
                               "burg"};
  const char* const firms[] = {"M\xFCller GmbH", "Mueller AG",
                               "Schr\xF6"
                               "der KG",
                               "Baeck & Sohn", ""};
  const char* const phones[] = {"0761/93410-0", "+49 (0)761 934 10", "(0221) 12 34-5", "",
                                "089-77"};
  LargeStore store;
  for (int i = 0; i < 12000; ++i) {
    const QByteArray name = "Name" + QByteArray::number(i);
    const QByteArray first = "Vor" + QByteArray::number(i % 97);
    const QByteArray key = name + "," + first;
    QByteArray section = "[" + key + "]\r\n";
    if (i % 5 == 3)  // out of the usual order
      section += "Ort=" + QByteArray(towns[i % 5]) + "\r\nVorname=" + first + "\r\n";
    else
      section += "Vorname=" + first + "\r\nOrt=" + QByteArray(towns[i % 5]) + "\r\n";
    section += "Name=" + name + "\r\n";
    section += "Firma=" + QByteArray(firms[(i / 5) % 5]) + "\r\n";  // some empty
    section += "Telefon1=" + QByteArray(phones[(i / 3) % 5]) + "\r\n";
    if (i % 7 == 0)
      section += "Handy=0171 " + QByteArray::number(1000 + i) + "\r\n";
    store.bytes += section;
    if (i % 11 == 0)
      continue;  // a section no key lists
    QString listed = QString::fromLatin1(key);
    if (i % 13 == 0)
      listed = listed.toUpper();
    if (i % 17 == 0)
      listed = QStringLiteral(" ") + listed + QStringLiteral(" ");
    store.keys.append(listed);
    if (i % 501 == 0)
      store.keys.append(QStringLiteral("Leer%1,Lena").arg(i));  // listed without a section
    if (i % 1999 == 0)  // a second section of the name: never read
      store.bytes += "[" + key + "]\r\nOrt=Zweitort\r\nName=Zweitname\r\n";
  }
  return store;
}

// The keys whose key or values hold every word, found the slow way: each record read on its
// own, each value folded on its own.
QStringList FoundOneByOne(const store::RecordStore& records, const QStringList& keys,
                          const QString& typed) {
  const auto words = store::SearchWords(typed);
  QStringList found;
  for (const QString& key : keys) {
    std::vector<QByteArray> texts{store::ToCp1252(key)};
    std::vector<QByteArray> numbers;
    const auto values = records.RawRecord(key);
    for (int field = 0; field < store::kFieldCount; ++field) {
      if (!values[field])
        continue;
      texts.push_back(values[field]->toByteArray());
      if (field == store::kTelefon1 || field == store::kTelefon2 || field == store::kFax ||
          field == store::kHandy || field == store::kKurzwahl || field == store::kIRuf)
        numbers.push_back(store::PhoneDigits(*values[field]));
    }
    const bool all = std::all_of(words->begin(), words->end(), [&](const store::SearchWord& w) {
      return std::any_of(texts.begin(), texts.end(),
                         [&](const QByteArray& text) {
                           return store::SpelledOut(text).contains(w.spelledOut) ||
                                  store::Contracted(text).contains(store::Contracted(w.spelledOut));
                         }) ||
             (!w.digits.isEmpty() &&
              std::any_of(numbers.begin(), numbers.end(),
                          [&](const QByteArray& digits) { return digits.contains(w.digits); }));
    });
    if (all)
      found.append(key);
  }
  return found;
}

TEST(RecordSearchTest, aLargeStoreSearchedInTwoHalvesFindsWhatEachRecordHolds) {
  const LargeStore large = MakeLargeStore();
  ASSERT_GT(large.bytes.size(), 1 << 20);
  const store::RecordStore records(large.bytes);
  store::RecordSearch search(records, large.keys);
  // The first words need no contracted form, so the later ones make it.
  for (const char* typed :
       {"lena", "e", "muller", "M\xC3\xBCnchen", "strassburg", "name11999", "vor96 koln",
        "0761 934", "07619341", "0171 1", "leer7515", "zweitort", "NAME390,", "baeck sohn", ""}) {
    const QString text = QString::fromUtf8(typed);
    EXPECT_EQ(search.Find(text).Keys(), FoundOneByOne(records, large.keys, text)) << typed;
  }
  EXPECT_TRUE(search.Find(QStringLiteral("zweitname")).Keys().isEmpty());
}

class SearchCacheTest : public ::testing::Test {
 protected:
  void WriteStore(const QByteArray& bytes) { data.Write(QStringLiteral("adresse.qdx"), bytes); }
  QStringList Find(const QStringList& keys, const QString& typed) {
    return cache.Find(keys, typed, sink).Keys();
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

// Pasted from a PDF or a Mac: letters and their accents as two characters each.
TEST_F(SearchCacheTest, decomposedLettersFindTheirComposedSpelling) {
  WriteStore(kStore);
  EXPECT_EQ(Find(kListed, QStringLiteral("Ko\u0308ln")), Keys({"Abel,Bert"}));
  EXPECT_EQ(Find(kListed, QStringLiteral("mu\u0308ller gmbh")), Keys({"Abel,Bert"}));
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
