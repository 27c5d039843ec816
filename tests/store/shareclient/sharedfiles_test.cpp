// Data files on a share whose client remembers a file's length: another workstation has just
// replaced a file by a longer one, and this workstation must read all of it.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/recordsearch.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "tests/store/shareclient/rememberedlength.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

using store::DataFiles;
using testsupport::TempDataDir;

class RememberedLengthTest : public ::testing::Test {
 protected:
  void TearDown() override { testsupport::ForgetLengths(); }

  // Another workstation replaces the file by a new one, as every change does; this
  // workstation's client still knows the old file's length.
  void ReplacedElsewhere(const QString& name, const QByteArray& bytes) {
    const qint64 before = QFileInfo(dir.File(name)).size();  // asked without opening it
    dir.Write(name + ".neu", bytes);
    ASSERT_TRUE(QFile::remove(dir.File(name)));
    ASSERT_TRUE(QFile::rename(dir.File(name + ".neu"), dir.File(name)));
    testsupport::RememberLength(dir.File(name), before);
  }

  TempDataDir dir;
};

TEST_F(RememberedLengthTest, fileReplacedByALongerOne_isReadWhole) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  ReplacedElsewhere("names.qdx", "Abel,Karl\r\nMeier,Anna\r\nZander,Ina\r\n");
  const store::ReadResult read = store::ReadWholeFile(dir.File("names.qdx"));
  ASSERT_EQ(read.status, store::ReadStatus::Ok);
  EXPECT_EQ(read.bytes, QByteArray("Abel,Karl\r\nMeier,Anna\r\nZander,Ina\r\n"));
}

TEST_F(RememberedLengthTest, changesAfterAnotherWorkstationsSave_keepItsRecord) {
  // Another workstation has saved "Zander,Ina": both files grew.
  dir.Write("names.qdx", "Abel,Karl\r\n");
  dir.Write("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\n");
  dir.Write("secure.qdx", "");
  ReplacedElsewhere("names.qdx", "Abel,Karl\r\nZander,Ina\r\n");
  ReplacedElsewhere("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\n[Zander,Ina]\r\nName=Zander\r\n");
  DataFiles files(dir.Path());
  store::RecordValues values;
  values[store::kName] = QStringLiteral("Meier");
  values[store::kVorname] = QStringLiteral("Anna");
  EXPECT_EQ(files.SaveRecord(QStringLiteral("Meier,Anna"), values), DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nMeier,Anna\r\nZander,Ina\r\n"));
  const store::RecordStore saved(dir.Read("adresse.qdx"));
  EXPECT_EQ(saved.Record(QStringLiteral("Zander,Ina"))[store::kName], "Zander");
  EXPECT_EQ(saved.Record(QStringLiteral("Meier,Anna"))[store::kName], "Meier");

  // And a delete after yet another one there.
  ReplacedElsewhere("secure.qdx", "Alt,Otto\r\n");
  ReplacedElsewhere("names.qdx", "Abel,Karl\r\nBerg,Uwe\r\nMeier,Anna\r\nZander,Ina\r\n");
  EXPECT_TRUE(files.DeleteRecord(QStringLiteral("Abel,Karl")));
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Berg,Uwe\r\nMeier,Anna\r\nZander,Ina\r\n"));
  EXPECT_EQ(dir.Read("secure.qdx"), QByteArray("Alt,Otto\r\nAbel,Karl\r\n"));
}

// The same client answers questions about the record store's size and times from what it
// learnt a while ago: a search must still see a value another workstation has just changed.
TEST_F(RememberedLengthTest, searchAfterAnotherWorkstationsEdit_findsTheNewValue) {
  dir.Write("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\nOrt=Bonn\r\n");
  const QStringList keys{QStringLiteral("Abel,Karl")};
  store::SearchCache search(dir.Path());
  testsupport::RecordingSink sink;
  EXPECT_EQ(search.Find(keys, QStringLiteral("bonn"), sink).Keys(), keys);
  testsupport::RememberAttributes(dir.File("adresse.qdx"));
  ReplacedElsewhere("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\nOrt=Freiburg\r\n");
  EXPECT_EQ(search.Find(keys, QStringLiteral("freiburg"), sink).Keys(), keys);
  EXPECT_TRUE(search.Find(keys, QStringLiteral("bonn"), sink).Keys().isEmpty());
}

// The same client dates files to the whole second: another workstation's edit in the second
// the search read the store in, at the same size, looks like no change at all. The search
// reads the store once more when that second is surely over, and a store dated long ago only
// once.
TEST_F(RememberedLengthTest, searchAfterAnEditInTheSameSecond_findsTheNewValueOnceTheSecondIsOver) {
  const QString path = dir.File("adresse.qdx");
  auto dateTo = [&](const QDateTime& time) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
  };
  const QDateTime second = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
  dir.Write("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\nOrt=Bonn\r\n");
  dateTo(second);
  testsupport::DateToTheSecond(path);
  int reads = 0;
  store::SearchCache search(
      dir.Path(),
      [&](store::MessageSink& sink) {
        ++reads;
        return store::OpenRecordStore(dir.Path(), sink);
      },
      std::chrono::milliseconds(300));
  const QStringList keys{QStringLiteral("Abel,Karl")};
  testsupport::RecordingSink sink;
  auto find = [&](const char* typed) {
    return search.Find(keys, QString::fromUtf8(typed), sink).Keys();
  };
  EXPECT_EQ(find("bonn"), keys);

  ReplacedElsewhere("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\nOrt=Koln\r\n");
  dateTo(second.addMSecs(500));
  QThread::msleep(350);
  EXPECT_EQ(find("koln"), keys);
  EXPECT_TRUE(find("bonn").isEmpty());
  EXPECT_EQ(reads, 2);
  QThread::msleep(350);
  EXPECT_EQ(find("koln"), keys);
  EXPECT_EQ(reads, 2);

  ReplacedElsewhere("adresse.qdx", "[Abel,Karl]\r\nName=Abel\r\nOrt=Kiel\r\n");
  dateTo(second.addSecs(-3600));
  EXPECT_EQ(find("kiel"), keys);
  QThread::msleep(350);
  EXPECT_EQ(find("kiel"), keys);
  EXPECT_EQ(reads, 3);
  EXPECT_TRUE(sink.texts.isEmpty());
}

}  // namespace
