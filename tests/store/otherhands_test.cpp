// Data files as other programs and other hands leave them: saved in an editor, copied through
// a Linux share, written by an older version. Each test builds such a file as bytes and checks
// what a reader gets and what a change then writes.
#include <gtest/gtest.h>

#include "store/addressbook.h"
#include "store/datafiles.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "tests/support/datadir.h"
#include "tests/support/recordvalues.h"

namespace {

using store::DataFiles;
using testsupport::TempDataDir;

class SilentSink : public store::MessageSink {
 public:
  void ShowMessage(const QString& text) override { messages.append(text); }
  QStringList messages;
};

using testsupport::Values;

const char kBom[] = "\xEF\xBB\xBF";

QByteArray Section(const char* key, const char* town) {
  return QByteArray("[") + key + "]\r\nVorname=x\r\nName=y\r\nOrt=" + town + "\r\n";
}

class OtherHandsTest : public ::testing::Test {
 protected:
  QStringList Load(const char* file) {
    return store::LoadSortedList(dir.File(file), sink, 1).lines;
  }
  TempDataDir dir;
  DataFiles files{dir.Path()};
  SilentSink sink;
};

TEST_F(OtherHandsTest, listWithByteOrderMark_firstKeyReadLikeAnyOther) {
  dir.Write("names.qdx", QByteArray(kBom) + "Meier,Anna\r\nZander,Ina\r\n");
  dir.Write("secure.qdx", QByteArray(kBom) + "Abel,Karl\r\n");
  dir.Write("adresse.qdx", Section("Meier,Anna", "Bonn") + Section("Zander,Ina", "Ulm") +
                               Section("Abel,Karl", "Hof"));
  EXPECT_EQ(Load("names.qdx"), QStringList({"Meier,Anna", "Zander,Ina"}));
  EXPECT_EQ(Load("secure.qdx"), QStringList({"Abel,Karl"}));
  store::AddressBook book(dir.Path());
  EXPECT_EQ(book.LoadNames(sink).lines, QStringList({"Meier,Anna", "Zander,Ina"}));
  EXPECT_TRUE(book.NamesHold("Meier,Anna"));
  EXPECT_TRUE(files.OrphanedKeys().isEmpty());

  // The first key is the record it names: it is deleted, restored and refused as a duplicate.
  EXPECT_EQ(files.SaveRecord("meier,anna", Values("meier", "anna", "Rom")),
            DataFiles::SaveOutcome::KeyExists);
  EXPECT_EQ(files.SaveRecord("abel,karl", Values("abel", "karl", "Rom")),
            DataFiles::SaveOutcome::KeyExists);
  EXPECT_EQ(files.RestoreRecords({"Abel,Karl"}), DataFiles::RestoreOutcome::Restored);
  EXPECT_TRUE(files.DeleteRecord("Meier,Anna"));
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nZander,Ina\r\n"));
  EXPECT_EQ(dir.Read("secure.qdx"), QByteArray("Meier,Anna\r\n"));
}

TEST_F(OtherHandsTest, listWithByteOrderMark_isUtf8Text) {
  dir.Write("names.qdx", QByteArray(kBom) + "M\xC3\xBCller,Hans\r\n");
  dir.Write("adresse.qdx", Section("M\xFCller,Hans", "Bonn"));
  EXPECT_EQ(Load("names.qdx"), QStringList({QString::fromUtf8("Müller,Hans")}));
  // A change writes the list as this program always does: Windows-1252, CR LF.
  EXPECT_EQ(files.SaveRecord("Abel,Karl", Values("Abel", "Karl", "Hof")),
            DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Abel,Karl\r\nM\xFCller,Hans\r\n"));
}

TEST_F(OtherHandsTest, blankLinesInList_areNoKeys_andAChangeKeepsThem) {
  dir.Write("names.qdx", "Meier,Anna\r\n\r\n   \r\nZander,Ina\r\n\r\n");
  dir.Write("adresse.qdx", Section("Meier,Anna", "Bonn") + Section("Zander,Ina", "Ulm"));
  EXPECT_EQ(Load("names.qdx"), QStringList({"Meier,Anna", "Zander,Ina"}));
  EXPECT_EQ(files.SaveRecord("Abel,Karl", Values("Abel", "Karl", "Hof")),
            DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(Load("names.qdx"), QStringList({"Abel,Karl", "Meier,Anna", "Zander,Ina"}));
  const QByteArray names = dir.Read("names.qdx");
  EXPECT_TRUE(names.startsWith("Abel,Karl\r\nMeier,Anna\r\n")) << names.toStdString();
  EXPECT_EQ(names.count("\r\n"), 6);
}

TEST_F(OtherHandsTest, keyListedWithBlankAtItsEnd_isEditedAndSavedUnderItsOwnSection) {
  // An older version saved first names with a blank at their end; the section name drops it.
  dir.Write("names.qdx", "Meier,Anna \r\nZander,Ina\r\n");
  dir.Write("adresse.qdx", Section("Meier,Anna ", "Bonn") + Section("Zander,Ina", "Ulm"));
  const QString edited = QStringLiteral("Meier,Anna ");
  files.RemoveFromNames(edited);
  EXPECT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna", "Rom"), &edited),
            DataFiles::SaveOutcome::Saved);
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Meier,Anna\r\nZander,Ina\r\n"));
  const store::RecordStore records(dir.Read("adresse.qdx"));
  EXPECT_EQ(records.Value("Meier,Anna", u"Ort"), "Rom");
  EXPECT_EQ(records.Value("Zander,Ina", u"Ort"), "Ulm");
}

// One store in the line ends other hands leave; every reader agrees, and a save of one record
// keeps every other record's bytes.
TEST_F(OtherHandsTest, storeLineEnds_readAlike_andASaveKeepsTheOtherRecords) {
  const QByteArray crlf =
      Section("Abel,Karl", "Hof") + Section("Meier,Anna", "Bonn") + Section("Zander,Ina", "Ulm");
  QByteArray lf = crlf;
  lf.replace("\r\n", "\n");
  QByteArray cr = crlf;
  cr.replace("\r\n", "\r");
  QByteArray mixed = crlf;
  mixed.replace("Ort=Bonn\r\n", "Ort=Bonn\n").replace("[Zander,Ina]\r\n", "[Zander,Ina]\r");
  QByteArray unended = crlf;
  unended.chop(2);
  QByteArray ctrlZ = crlf + "\x1A";
  QByteArray trailing = crlf + "\r\n  \r\n";
  for (const QByteArray& bytes : {crlf, lf, cr, mixed, unended, ctrlZ, trailing}) {
    SCOPED_TRACE(bytes.toStdString());
    const store::RecordStore records(bytes);
    const QStringList keys{"Abel,Karl", "Meier,Anna", "Zander,Ina"};
    const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
    const QStringList towns{"Hof", "Bonn", "Ulm"};
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(records.Record(keys[row])[store::kOrt], towns[row]);
      EXPECT_EQ(table.Text(row, store::kOrt), towns[row]);
      EXPECT_EQ(records.Record(keys[row])[store::kFax], store::MissingValue());
    }

    TempDataDir here;
    here.Write("names.qdx", "Abel,Karl\r\nZander,Ina\r\n");
    here.Write("adresse.qdx", bytes);
    DataFiles changes(here.Path());
    const QString edited = QStringLiteral("Meier,Anna");
    EXPECT_EQ(changes.SaveRecord(edited, Values("Meier", "Anna", "Rom"), &edited),
              DataFiles::SaveOutcome::Saved);
    const QByteArray after = here.Read("adresse.qdx");
    const qsizetype meier = bytes.indexOf("[Meier,Anna]");
    const qsizetype zander = bytes.indexOf("[Zander,Ina]");
    EXPECT_TRUE(after.startsWith(bytes.first(meier)));
    EXPECT_TRUE(after.endsWith(bytes.sliced(zander)));
    const store::RecordStore saved(after);
    EXPECT_EQ(saved.Record("Meier,Anna")[store::kOrt], "Rom");
    EXPECT_EQ(saved.Record("Abel,Karl")[store::kOrt], "Hof");
    EXPECT_EQ(saved.Record("Zander,Ina")[store::kOrt], "Ulm");
  }
}

TEST_F(OtherHandsTest, handEditedSection_savedInPlaceWithoutASecondLineOfAnyKey) {
  dir.Write("names.qdx", "Zander,Ina\r\n");
  dir.Write("adresse.qdx",
            "; von Hand\r\n[ meier,ANNA ]\r\n  vorname = Anna \r\nORT= \"Bonn\" \r\nTelefon1\r\n"
            ";Fax=alt\r\nFirma=A=B\r\nOrt=alt\r\n\r\n[Zander,Ina]\r\nOrt=Ulm\r\n");
  const store::RecordStore before(dir.Read("adresse.qdx"));
  const store::RecordValues shown = before.Record("Meier,Anna");
  EXPECT_EQ(shown[store::kVorname], "Anna");
  EXPECT_EQ(shown[store::kOrt], "Bonn");
  EXPECT_EQ(shown[store::kFirma], "A=B");
  EXPECT_EQ(shown[store::kTelefon1], store::MissingValue());
  EXPECT_EQ(shown[store::kFax], store::MissingValue());

  store::RecordValues edit = Values("Meier", "Anna", "Rom");
  edit[store::kTelefon1] = "123";
  edit[store::kFirma] = "A=B";
  const QString edited = QStringLiteral("meier,ANNA");
  EXPECT_EQ(files.SaveRecord("Meier,Anna", edit, &edited), DataFiles::SaveOutcome::Saved);
  const QByteArray after = dir.Read("adresse.qdx");
  EXPECT_TRUE(
      after.startsWith("; von Hand\r\n[ meier,ANNA ]\r\nvorname=Anna\r\nORT=Rom\r\n"
                       "Telefon1=123\r\n;Fax=alt\r\nFirma=A=B\r\nOrt=alt\r\n"))
      << after.toStdString();
  EXPECT_TRUE(after.endsWith("\r\n\r\n[Zander,Ina]\r\nOrt=Ulm\r\n")) << after.toStdString();
  EXPECT_EQ(after.count("Telefon1"), 1);
  const store::RecordStore saved(after);
  EXPECT_EQ(saved.Record("Meier,Anna")[store::kOrt], "Rom");
  EXPECT_EQ(saved.Record("Meier,Anna")[store::kTelefon1], "123");
  EXPECT_EQ(saved.Record("Zander,Ina")[store::kOrt], "Ulm");
}

// A value the user typed in quotes, or with a blank at an end, reads back as typed: a save and
// an import write it inside one more pair of quotes, which every reader drops again.
TEST_F(OtherHandsTest, valueInQuotesOrWithBlankAtAnEnd_readsBackAsTyped) {
  store::RecordValues typed = Values("Meier", "Anna", QString::fromUtf8(" Köln "));
  typed[store::kPosition] = "\"Chef\"";
  typed[store::kFirma] = "'Zur Post'";
  typed[store::kKurzzeichen] = "\"\"";
  typed[store::kStrasse] = "\"halb";
  typed[store::kFax] = "Gasthaus \"Zur Post\"";
  for (const QByteArray& empty : {QByteArray(""), QByteArray(kBom)}) {
    SCOPED_TRACE(empty.toStdString());
    TempDataDir here;
    here.Write("names.qdx", "");
    here.Write("adresse.qdx", empty);
    DataFiles changes(here.Path());
    ASSERT_EQ(changes.SaveRecord("Meier,Anna", typed), DataFiles::SaveOutcome::Saved);
    std::vector<store::NewRecord> imported{{"Abel,Karl", typed}};
    imported[0].values[store::kName] = "Abel";
    imported[0].values[store::kVorname] = "Karl";
    ASSERT_EQ(changes.ImportRecords(imported).imported, 1);

    const QByteArray bytes = here.Read("adresse.qdx");
    EXPECT_TRUE(bytes.contains("\r\nPosition=\"\"Chef\"\"\r\n")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("\r\nStrasse=\"halb\r\n")) << bytes.toStdString();
    const store::RecordStore records(bytes);
    const QStringList keys{"Abel,Karl", "Meier,Anna"};
    const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
    for (int row = 0; row < 2; ++row) {
      for (int field : {store::kPosition, store::kFirma, store::kKurzzeichen, store::kStrasse,
                        store::kOrt, store::kFax}) {
        EXPECT_EQ(records.Record(keys[row])[field], typed[field]) << field;
        if (empty.isEmpty()) {
          EXPECT_EQ(table.Text(row, field), typed[field]) << field;
        }
      }
    }
  }
}

TEST_F(OtherHandsTest, recordTwiceInTheStore_purgeErasesEveryCopy) {
  dir.Write("names.qdx", "Zander,Ina\r\n");
  dir.Write("secure.qdx", "Meier,Anna\r\n");
  dir.Write("adresse.qdx", Section("Meier,Anna", "Bonn") + Section("Zander,Ina", "Ulm") +
                               Section(" meier,anna ", "alt"));
  files.PurgeRecords({"Meier,Anna"});
  EXPECT_EQ(dir.Read("adresse.qdx"), Section("Zander,Ina", "Ulm"));
  EXPECT_TRUE(files.OrphanedKeys().isEmpty());
  // The name is free again for a new record.
  const QString none;
  EXPECT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna", "Rom"), &none),
            DataFiles::SaveOutcome::Saved);
}

// "Meier,Anna " (as an older version listed it) and "Meier,Anna" name one section: one record.
TEST_F(OtherHandsTest, keysThatDifferOnlyInEndBlanks_areOneRecordToSaveAndRestore) {
  dir.Write("names.qdx", "Meier,Anna \r\n");
  dir.Write("secure.qdx", "Zander,Ina\r\nZander,Ina \r\n");
  dir.Write("adresse.qdx", Section("Meier,Anna", "Bonn") + Section("Zander,Ina", "Ulm"));
  const QString none;
  EXPECT_EQ(files.SaveRecord("Meier,Anna", Values("Meier", "Anna", "Rom"), &none),
            DataFiles::SaveOutcome::KeyExists);
  EXPECT_EQ(files.SaveRecord(" Zander,Ina", Values("Zander", "Ina", "Rom"), &none),
            DataFiles::SaveOutcome::KeyExists);
  EXPECT_EQ(files.RestoreRecords({"Zander,Ina"}), DataFiles::RestoreOutcome::Restored);
  // Its twin in the deleted-records file is the same record, live now: not listed twice.
  EXPECT_EQ(files.RestoreRecords({"Zander,Ina "}), DataFiles::RestoreOutcome::KeyLive);
  EXPECT_EQ(dir.Read("names.qdx"), QByteArray("Meier,Anna \r\nZander,Ina\r\n"));
  EXPECT_EQ(dir.Read("secure.qdx"), QByteArray("Zander,Ina \r\n"));
  EXPECT_EQ(store::RecordStore(dir.Read("adresse.qdx")).Value("Meier,Anna", u"Ort"), "Bonn");
}

}  // namespace
