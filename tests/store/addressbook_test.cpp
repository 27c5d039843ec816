// The address book of one data directory: what the windows ask of it beyond the store's own
// functions (the cached name index that still sees other workstations' changes, the test
// whether the name index lists a key, the two snapshots and the deleted-records list).
#include <gtest/gtest.h>

#include <QFile>

#include "store/addressbook.h"
#include "store/sharedaccess.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

class AddressBookTest : public ::testing::Test {
 protected:
  void SetUp() override { store::ResetLoadFailureFlagForTesting(); }
  void TearDown() override { store::ResetLoadFailureFlagForTesting(); }

  testsupport::TempDataDir data;
  testsupport::RecordingSink sink;
  store::AddressBook book{data.Path()};
};

TEST_F(AddressBookTest, loadNames_seesAnotherWorkstationsChange_evenOfTheSameLength) {
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nMeier,Anna\r\n");
  EXPECT_EQ(book.LoadNames(sink).lines, QStringList({"Abel,Bert", "Meier,Anna"}));
  // Another workstation renames one record: same length, other bytes.
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nMeier,Anke\r\n");
  EXPECT_EQ(book.LoadNames(sink).lines, QStringList({"Abel,Bert", "Meier,Anke"}));
  // A change made here through the book is seen by the next load as well.
  book.Files().AddToNames(QStringLiteral("Zander,Zoe"));
  EXPECT_EQ(book.LoadNames(sink).lines, QStringList({"Abel,Bert", "Meier,Anke", "Zander,Zoe"}));
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(AddressBookTest, namesHold_wholeLinesOnly_andAnUnreadableIndexTellsNothing) {
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\nMeier,Anna-Lena\r\nM\xfcller,Max\r\n");
  EXPECT_TRUE(book.NamesHold(QStringLiteral("Abel,Bert")));
  EXPECT_TRUE(book.NamesHold(QStringLiteral("Müller,Max")));   // compared as stored, Windows-1252
  EXPECT_FALSE(book.NamesHold(QStringLiteral("Meier,Anna")));  // only the start of a line
  EXPECT_FALSE(book.NamesHold(QStringLiteral("Bert")));        // only the end of a line
  EXPECT_FALSE(book.NamesHold(QStringLiteral("abel,bert")));   // this spelling only
  EXPECT_FALSE(book.NamesHold(QString()));

  QFile::remove(data.File(QStringLiteral("names.qdx")));
  EXPECT_TRUE(book.NamesHold(QStringLiteral("Irgendwer,Ina")));
}

TEST_F(AddressBookTest, loadDeleted_missingFileIsAnEmptyList_existingFileSorted) {
  store::DeletedList deleted = book.LoadDeleted(sink);
  EXPECT_TRUE(deleted.ok);
  EXPECT_TRUE(deleted.keys.isEmpty());

  data.Write(QStringLiteral("secure.qdx"), "Zander,Zoe\r\nAbel,Bert\r\n");
  deleted = book.LoadDeleted(sink);
  EXPECT_TRUE(deleted.ok);
  EXPECT_EQ(deleted.keys, QStringList({"Abel,Bert", "Zander,Zoe"}));
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(AddressBookTest, readRecords_plainSnapshot_missingStoreReadsErrorWithoutMessage) {
  EXPECT_EQ(book.ReadRecords().Record(QStringLiteral("Meier,Anna"))[store::kName],
            QStringLiteral("Error"));
  EXPECT_TRUE(sink.texts.isEmpty());

  data.Write(QStringLiteral("adresse.qdx"), "[Meier,Anna]\r\nName=Meier\r\n");
  EXPECT_EQ(book.ReadRecords().Record(QStringLiteral("Meier,Anna"))[store::kName],
            QStringLiteral("Meier"));
  EXPECT_EQ(book.OpenRecords(sink).Record(QStringLiteral("Meier,Anna"))[store::kName],
            QStringLiteral("Meier"));
}

// Snapshots are read into the buffer of the last one once it is gone: a snapshot still in use
// keeps what it read, and a reused buffer holds exactly the file as it is now, shorter or longer.
TEST_F(AddressBookTest, openRecords_reusedBufferNeverChangesALiveSnapshot) {
  const QString key = QStringLiteral("Meier,Anna");
  auto name = [&](const store::RecordStore& records) { return records.Record(key)[store::kName]; };
  data.Write(QStringLiteral("adresse.qdx"), "[Meier,Anna]\r\nName=Meier\r\nOrt=Bonn\r\n");
  const store::RecordStore first = book.OpenRecords(sink);
  data.Write(QStringLiteral("adresse.qdx"), "[Meier,Anna]\r\nName=Mai\r\n");
  {
    const store::RecordStore second = book.OpenRecords(sink);
    EXPECT_EQ(name(first), QStringLiteral("Meier"));
    EXPECT_EQ(name(second), QStringLiteral("Mai"));
  }
  // The second snapshot is gone, the first is not: the next read may reuse only the second's.
  data.Write(QStringLiteral("adresse.qdx"), "[Meier,Anna]\r\nName=M\r\n");
  const store::RecordStore third = book.ReadRecords();
  EXPECT_EQ(third.Bytes(), QByteArray("[Meier,Anna]\r\nName=M\r\n"));
  EXPECT_EQ(name(first), QStringLiteral("Meier"));
  data.Write(QStringLiteral("adresse.qdx"), "[Meier,Anna]\r\nName=Meierhofer-Lindenberg\r\n");
  EXPECT_EQ(name(book.OpenRecords(sink)), QStringLiteral("Meierhofer-Lindenberg"));
  EXPECT_EQ(name(third), QStringLiteral("M"));
  EXPECT_TRUE(sink.texts.isEmpty());
}

}  // namespace
