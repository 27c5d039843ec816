// Imports into the store: one change under the lock, refusals, and what another workstation
// sees while the change is made.
#include <gtest/gtest.h>
#include <QDir>
#include <QLockFile>

#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/recordstore.h"
#include "store/usererror.h"
#include "tests/support/datadir.h"
#include "tests/support/thrownmessage.h"

namespace {

using store::DataFiles;
using store::ImportRefusal;
using testsupport::TempDataDir;
using testsupport::ThrownMessage;

store::NewRecord Record(const QString& name, const QString& first, const QString& town = {}) {
  store::NewRecord r;
  r.key = name + QLatin1Char(',') + first;
  r.values[store::kName] = name;
  r.values[store::kVorname] = first;
  r.values[store::kOrt] = town;
  return r;
}

QByteArray Section(const QByteArray& name, const QByteArray& first, const QByteArray& town) {
  return "[" + name + "," + first + "]\r\nVorname=" + first + "\r\nName=" + name +
         "\r\nPosition=\r\nKurzzeichen=\r\nFirma=\r\nStrasse=\r\nPLZ=\r\nOrt=" + town +
         "\r\nTelefon1=\r\nTelefon2=\r\nFax=\r\nHandy=\r\nEMail=\r\nKurzwahl=\r\nIRuf=\r\n";
}

class ImportRecordsTest : public ::testing::Test {
 protected:
  void TearDown() override { store::SetFaultHook({}); }
  QByteArray Names() const { return dir.Read("names.qdx"); }
  QByteArray Store() const { return dir.Read("adresse.qdx"); }
  TempDataDir dir;
  DataFiles files{dir.Path()};
};

TEST_F(ImportRecordsTest, newRecords_appendedInImportOrder_keysListedSorted) {
  dir.Write("names.qdx", "Berg,Ute\r\n");
  dir.Write("adresse.qdx", Section("Berg", "Ute", "Bonn"));
  const store::ImportOutcome outcome = files.ImportRecords(
      {Record("Zander", "Ina", QString::fromUtf8("Köln")), Record("Abel", "Karl")});
  EXPECT_EQ(outcome.imported, 2);
  EXPECT_EQ(outcome.refusals,
            (std::vector<ImportRefusal>{ImportRefusal::None, ImportRefusal::None}));
  EXPECT_EQ(Store(), Section("Berg", "Ute", "Bonn") + Section("Zander", "Ina", "K\xF6ln") +
                         Section("Abel", "Karl", ""));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nBerg,Ute\r\nZander,Ina\r\n"));
}

TEST_F(ImportRecordsTest, keysInSeveralRunsOrReversed_listedSortedAndMergedWithTheIndex) {
  // Three ascending runs (merged), and then a list that comes backwards (one run per key,
  // sorted whole); both merged with the keys already listed.
  dir.Write("names.qdx", "Berg,Ute\r\nNolte,Eva\r\n");
  dir.Write("adresse.qdx", Section("Berg", "Ute", "") + Section("Nolte", "Eva", ""));
  files.ImportRecords({Record("Meier", "Otto"), Record("Otto", "Anna"), Record("Abel", "Karl"),
                       Record(QString::fromUtf8("Äbi"), "Jan"), Record("Zander", "Ina"),
                       Record("Bauer", "Tom")});
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n\xC4"
                                "bi,Jan\r\nBauer,Tom\r\nBerg,Ute\r\n"
                                "Meier,Otto\r\nNolte,Eva\r\nOtto,Anna\r\nZander,Ina\r\n"));

  std::vector<store::NewRecord> backwards;
  QByteArray expected;
  for (int i = 99; i >= 0; --i)
    backwards.push_back(Record(QStringLiteral("Kunde%1").arg(i, 3, 10, QLatin1Char('0')), "X"));
  files.ImportRecords(backwards);
  for (int i = 0; i < 100; ++i) {
    expected += QStringLiteral("Kunde%1,X\r\n").arg(i, 3, 10, QLatin1Char('0')).toLatin1();
    if (i == 99)
      expected += "Meier,Otto\r\nNolte,Eva\r\nOtto,Anna\r\nZander,Ina\r\n";
  }
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n\xC4"
                                "bi,Jan\r\nBauer,Tom\r\nBerg,Ute\r\n") +
                         expected);
}

TEST_F(ImportRecordsTest, refusals_liveDeletedUnlistedSectionAndTwiceInTheImport_ignoringCase) {
  dir.Write("names.qdx", "M\xDCLLER,ANNA\r\n");
  dir.Write("secure.qdx", "Alt,Otto\r\n");
  // Under edit on another workstation: its section is there, its key in no list.
  const QByteArray store = Section("M\xDCLLER", "ANNA", "") + Section("Alt", "Otto", "") +
                           Section("Edit", "Eva", "Bonn");
  dir.Write("adresse.qdx", store);
  const store::ImportOutcome outcome = files.ImportRecords(
      {Record(QString::fromUtf8("Müller"), "Anna"), Record("ALT", "otto"), Record("edit", "EVA"),
       Record("Neu", "Nora", "A"), Record("NEU", "nora", "B")});
  EXPECT_EQ(outcome.refusals,
            (std::vector<ImportRefusal>{ImportRefusal::KeyLive, ImportRefusal::KeyDeleted,
                                        ImportRefusal::KeyInStore, ImportRefusal::None,
                                        ImportRefusal::KeyTwice}));
  EXPECT_EQ(outcome.earlier[4], 3);
  EXPECT_EQ(outcome.imported, 1);
  EXPECT_EQ(Store(), store + Section("Neu", "Nora", "A"));
  EXPECT_EQ(Names(), QByteArray("M\xDCLLER,ANNA\r\nNeu,Nora\r\n"));
  EXPECT_EQ(dir.Read("secure.qdx"), QByteArray("Alt,Otto\r\n"));
}

// The store and the name index are each replaced once, the store first: a reader between the
// two replaces sees the new sections but lists none of the new keys; after the second it lists
// all of them. No reader ever sees part of the import.
TEST_F(ImportRecordsTest, oneChange_anotherWorkstationSeesNoneOrAllOfTheImport) {
  dir.Write("names.qdx", "Berg,Ute\r\n");
  dir.Write("adresse.qdx", Section("Berg", "Ute", ""));
  std::vector<store::NewRecord> records;
  for (int i = 0; i < 500; ++i)
    records.push_back(Record(QStringLiteral("Name%1").arg(i), QStringLiteral("Vor")));

  QStringList renamed;
  QList<qsizetype> listedAtRename;
  store::SetFaultHook([&](store::FileOp op, const QString& path) {
    if (op == store::FileOp::Rename) {
      renamed.append(QFileInfo(path).fileName());
      listedAtRename.append(Names().count("\r\n"));
    }
    return false;
  });
  EXPECT_EQ(files.ImportRecords(records).imported, 500);
  store::SetFaultHook({});
  EXPECT_EQ(renamed, (QStringList{"adresse.qdx", "names.qdx"}));
  EXPECT_EQ(listedAtRename, (QList<qsizetype>{1, 1}));
  EXPECT_EQ(Names().count("\r\n"), 501);
  const store::RecordStore rs(Store());
  for (const store::NewRecord& r : records)
    EXPECT_TRUE(rs.HasSection(r.key)) << r.key.toStdString();
}

// A failed name index puts the store back; where even that fails, the user learns how to
// list the records the store now holds.
TEST_F(ImportRecordsTest, failedWriteOfTheNameIndex_listsNoneOfTheImport_andPutsTheStoreBack) {
  const QByteArray section = Section("Berg", "Ute", "");
  const QString names = files.NamesPath();
  const QString shown = QDir::toNativeSeparators(names);
  for (const bool storeFailsToo : {false, true}) {
    dir.Write("names.qdx", "Berg,Ute\r\n");
    dir.Write("adresse.qdx", section);
    int storeRenames = 0;
    store::SetFaultHook([&](store::FileOp op, const QString& path) {
      if (op == store::FileOp::Rename && path == files.StorePath())
        return storeFailsToo && ++storeRenames == 2;
      return op == store::FileOp::Rename && path == names;
    });
    const QString message = ThrownMessage([&] {
      files.ImportRecords({Record("Abel", "Karl"), Record("Zorn", "Zoe")});
    });
    EXPECT_EQ(Names(), QByteArray("Berg,Ute\r\n"));
    if (!storeFailsToo) {
      EXPECT_EQ(Store(), section);
      EXPECT_EQ(message,
                "Datei " + shown + " kann nicht erstellt werden\nEs wurde nichts importiert.");
    } else {
      EXPECT_TRUE(Store().contains("[Zorn,Zoe]"));
      EXPECT_EQ(files.OrphanedKeys(), QStringList({"Abel,Karl", "Zorn,Zoe"}));
      EXPECT_EQ(message, "Datei " + shown +
                             QString::fromUtf8(" kann nicht erstellt werden\nDie eingelesenen "
                                               "Datensätze stehen in keiner Liste. \"Verwaiste "
                                               "Datensätze wiederherstellen\" nimmt sie in die "
                                               "Liste auf."));
    }
  }
}

TEST_F(ImportRecordsTest, proceedSaysNo_orLockHeld_orNameIndexMissing_writesNothing) {
  dir.Write("names.qdx", "Berg,Ute\r\n");
  dir.Write("adresse.qdx", Section("Berg", "Ute", ""));
  const QByteArray storeBefore = Store();

  const store::ImportOutcome cancelled =
      files.ImportRecords({Record("Abel", "Karl")}, [] { return false; });
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_EQ(cancelled.imported, 0);

  {
    QLockFile held(files.LockPath());
    ASSERT_TRUE(held.tryLock(0));
    files.SetLockTimeouts(100, 60000);
    EXPECT_THROW(files.ImportRecords({Record("Abel", "Karl")}), store::UserError);
  }
  EXPECT_EQ(Names(), QByteArray("Berg,Ute\r\n"));
  EXPECT_EQ(Store(), storeBefore);

  // A share that dropped out: no name index. Nothing may start a new address book there.
  QFile::remove(files.NamesPath());
  EXPECT_THROW(files.ImportRecords({Record("Abel", "Karl")}), store::UserError);
  EXPECT_FALSE(dir.Exists("names.qdx"));
  EXPECT_EQ(Store(), storeBefore);
}

TEST_F(ImportRecordsTest, storeMissing_createdOnlyWhileNoListNamesAKey) {
  dir.Write("names.qdx", "");
  EXPECT_EQ(files.ImportRecords({Record("Abel", "Karl")}).imported, 1);
  EXPECT_EQ(Store(), Section("Abel", "Karl", ""));

  QFile::remove(files.StorePath());
  EXPECT_THROW(files.ImportRecords({Record("Zorn", "Zoe")}), store::UserError);
  EXPECT_FALSE(dir.Exists("adresse.qdx"));
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
}

TEST_F(ImportRecordsTest, storeWithoutLastLineEnd_newSectionStartsOnItsOwnLine) {
  dir.Write("names.qdx", "Berg,Ute\r\n");
  dir.Write("adresse.qdx", "[Berg,Ute]\r\nName=Berg");
  files.ImportRecords({Record("Abel", "Karl")});
  EXPECT_EQ(Store(), "[Berg,Ute]\r\nName=Berg\r\n" + Section("Abel", "Karl", ""));
}

// A store that another program saved in UTF-8 (it starts with a byte-order mark): the new
// sections are UTF-8 too, so every workstation reads them as typed; the lists stay
// Windows-1252. A section already there counts under its UTF-8 name, the first one included.
TEST_F(ImportRecordsTest, utf8Store_newSectionsWrittenInUtf8_existingSectionsFound) {
  const QByteArray bom("\xEF\xBB\xBF");
  const QByteArray before = bom + "[M\xC3\xBCller,Anna]\r\nName=M\xC3\xBCller\r\n";
  dir.Write("names.qdx", "");
  dir.Write("adresse.qdx", before);
  const store::ImportOutcome outcome = files.ImportRecords(
      {Record(QString::fromUtf8("Müller"), "Anna"),
       Record(QString::fromUtf8("Öz"), QString::fromUtf8("Ümit"), QString::fromUtf8("Köln"))});
  EXPECT_EQ(outcome.refusals,
            (std::vector<ImportRefusal>{ImportRefusal::KeyInStore, ImportRefusal::None}));
  EXPECT_EQ(Store(), before + Section("\xC3\x96z", "\xC3\x9Cmit", "K\xC3\xB6ln"));
  EXPECT_EQ(Names(), QByteArray("\xD6z,\xDCmit\r\n"));
  const store::RecordStore records(Store());
  EXPECT_EQ(records.Value(QString::fromUtf8("Öz,Ümit"), u"Ort"), QString::fromUtf8("Köln"));

  // A value that such a store would give back cut is not imported; the card beside it is.
  store::NewRecord tooLong = Record("Lang", "Lea");
  tooLong.values[store::kStrasse] = QString(600, QChar(0xFC));
  const QByteArray storeBefore = Store();
  const store::ImportOutcome second = files.ImportRecords({tooLong, Record("Kurz", "Kai")});
  EXPECT_EQ(second.refusals,
            (std::vector<ImportRefusal>{ImportRefusal::TooLong, ImportRefusal::None}));
  EXPECT_EQ(Store(), storeBefore + Section("Kurz", "Kai", ""));
}

}  // namespace
