// The vCard export as bytes (golden file of the demo address book), and the round trip
// export -> import into an empty address book.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include "mainwindow/importcards.h"
#include "mainwindow/vcardread.h"
#include "mainwindow/vcardwrite.h"
#include "store/datafiles.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first line in which two files differ, for a readable failure.
std::string FirstDifference(const QByteArray& actual, const QByteArray& expected) {
  const QList<QByteArray> a = actual.split('\n');
  const QList<QByteArray> e = expected.split('\n');
  for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
    if (a.value(i) != e.value(i)) {
      return "line " + std::to_string(i + 1) + ": got \"" + a.value(i).toStdString() +
             "\", expected \"" + e.value(i).toStdString() + "\"";
    }
  }
  return "same";
}

struct Book {
  store::RecordStore records;
  QStringList keys;  // sorted, as the list shows them
};

Book DemoBook() {
  testsupport::RecordingSink sink;
  Book book;
  book.keys = store::LoadSortedList(QStringLiteral(DEMO_DIR "/names.qdx"), sink).lines;
  book.records = store::OpenRecordStore(QStringLiteral(DEMO_DIR), sink);
  return book;
}

TEST(VCardExportTest, demoAddressBook_isExportedByteForByte) {
  const Book demo = DemoBook();
  ASSERT_EQ(demo.keys.size(), 28);
  const QByteArray exported = mainwindow::ExportVCards(demo.records, demo.keys);
  const QByteArray golden = ReadFile(QStringLiteral(MAINWINDOW_TEST_DATA "/demo.vcf"));
  EXPECT_EQ(exported, golden) << FirstDifference(exported, golden);
}

TEST(VCardExportTest, escapingFoldingAndEmptyFields) {
  store::RecordValues v;
  v[store::kVorname] = U("Jörg");
  v[store::kName] = "Lindner, jr.";
  v[store::kKurzzeichen] = "EK;1";
  v[store::kStrasse] = "C:\\Hof";
  v[store::kPLZ] = "79822";
  v[store::kTelefon2] = "0761 2";
  // 68 "ä" (two octets each) after "TITLE:" (6 octets): no cut may fall inside one.
  v[store::kPosition] = QString(68, QChar(0xE4));
  const QByteArray card = mainwindow::VCardOf(v);
  const QByteArray title = "TITLE:" + QString(34, QChar(0xE4)).toUtf8() + "\r\n " +
                           QString(34, QChar(0xE4)).toUtf8() + "\r\n";
  EXPECT_EQ(card,
            "BEGIN:VCARD\r\nVERSION:4.0\r\n"
            "FN:J\xC3\xB6rg Lindner\\, jr.\r\n"
            "N:Lindner\\, jr.;J\xC3\xB6rg;;;\r\n"
            "ORG:;EK\\;1\r\n" +
                title +
                "ADR;TYPE=work:;;C:\\\\Hof;;;79822;\r\n"
                "TEL;TYPE=work,voice;X-PELLUMO-FELD=Telefon2:0761 2\r\n"
                "END:VCARD\r\n");
  for (const QByteArray& line : card.split('\n'))
    EXPECT_LE(line.size(), 76) << line.toStdString();  // 75 octets and the CR

  // A line of one-octet characters is cut at 75 octets exactly, continuations at 74 and a blank.
  store::RecordValues longMail;
  longMail[store::kName] = "N";
  longMail[store::kVorname] = "V";
  longMail[store::kEMail] = QString(200, QLatin1Char('m'));
  const QList<QByteArray> lines = mainwindow::VCardOf(longMail).split('\n');
  ASSERT_GE(lines.size(), 9);
  EXPECT_EQ(lines[4], "EMAIL;TYPE=work:" + QByteArray(59, 'm') + "\r");
  EXPECT_EQ(lines[5], " " + QByteArray(74, 'm') + "\r");
  EXPECT_EQ(lines[6], " " + QByteArray(67, 'm') + "\r");
}

TEST(VCardExportTest, keyWithoutSection_givesACardWithTheNamesOfTheKey) {
  const store::RecordStore records("[Da,Dora]\r\nVorname=Dora\r\nName=Da\r\n");
  EXPECT_EQ(mainwindow::ExportVCards(records, {"Fehlt,Frieda"}),
            "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Frieda Fehlt\r\nN:Fehlt;Frieda;;;\r\nEND:VCARD\r\n");
}

// A store that another program saved in UTF-8 may hold characters Windows-1252 has none for;
// the card takes them as they stand instead of as "?".
TEST(VCardExportTest, utf8Store_valuesOutsideWindows1252_reachTheCardUnchanged) {
  const store::RecordStore records(
      "\xEF\xBB\xBF[Nowak,Anna]\r\nVorname=Anna\r\nName=Nowak\r\nOrt=\xC5\x81\xC3\xB3"
      "d\xC5\xBA\r\n[M\xC3\xBCller,Eva]\r\nVorname=Eva\r\nName=M\xC3\xBCller\r\n");
  // The second key differs from its section in the letter case of an umlaut.
  EXPECT_EQ(mainwindow::ExportVCards(records, {"Nowak,Anna", QString::fromUtf8("MÜLLER,Eva")}),
            "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna Nowak\r\nN:Nowak;Anna;;;\r\n"
            "ADR;TYPE=work:;;;\xC5\x81\xC3\xB3"
            "d\xC5\xBA;;;\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Eva M\xC3\xBCller\r\nN:M\xC3\xBCller;Eva;;;\r\n"
            "END:VCARD\r\n");
}

// Saves the records one by one as the program does (sorted, each appended to the store), so
// the address book is in the order an import of its export writes.
void SaveAll(const QString& dir, const Book& book, const QList<store::RecordValues>& extra) {
  QFile(QDir(dir).filePath("names.qdx")).open(QIODevice::WriteOnly);
  store::DataFiles files(dir);
  for (const QString& key : book.keys)
    ASSERT_EQ(files.SaveRecord(key, book.records.Record(key)),
              store::DataFiles::SaveOutcome::Saved);
  for (const store::RecordValues& v : extra) {
    ASSERT_EQ(files.SaveRecord(v[store::kName] + "," + v[store::kVorname], v),
              store::DataFiles::SaveOutcome::Saved);
  }
}

// Telefon1 and Telefon2 are both work numbers; a second number without a first must come back
// as the second, not move up into the first field.
TEST(VCardRoundTripTest, secondTelephoneWithoutAFirst_comesBackInItsOwnField) {
  store::RecordValues values;
  values[store::kName] = U("Zwölf");
  values[store::kVorname] = "Zoe";
  values[store::kTelefon2] = "0761 2";
  values[store::kFax] = "0761 3";
  const QByteArray card = mainwindow::VCardOf(values);
  EXPECT_TRUE(card.contains("TEL;TYPE=work,voice;X-PELLUMO-FELD=Telefon2:0761 2\r\n"))
      << card.toStdString();
  const mainwindow::ImportFile read = mainwindow::ReadVCards(card);
  ASSERT_EQ(read.cards.size(), 1u);
  EXPECT_EQ(read.cards[0].values, values);
  EXPECT_TRUE(read.cards[0].leftOut.isEmpty());

  // Both numbers: written as before, and read back each into its field.
  values[store::kTelefon1] = "0761 1";
  const QByteArray both = mainwindow::VCardOf(values);
  EXPECT_TRUE(both.contains("TEL;TYPE=work,voice:0761 1\r\nTEL;TYPE=work,voice:0761 2\r\n"));
  EXPECT_EQ(mainwindow::ReadVCards(both).cards.at(0).values, values);
}

TEST(VCardRoundTripTest, exportThenImportIntoAnEmptyBook_givesTheSameFilesByteForByte) {
  // The demo's records, and some whose values test the escaping and folding.
  store::RecordValues odd;
  odd[store::kVorname] = U("Zoë");
  odd[store::kName] = U("Zwölf");
  odd[store::kFirma] = U("Komma, Semikolon; Backslash\\ & Co €");
  odd[store::kKurzzeichen] = "A;B,C";
  odd[store::kStrasse] = U("Lange Straße ") + QString(120, QChar(0xDF));
  odd[store::kEMail] = "z@example.org";
  odd[store::kKurzwahl] = "7";
  odd[store::kIRuf] = "700";
  const Book demo = DemoBook();
  testsupport::TempDataDir original;
  SaveAll(original.Path(), demo, {odd});
  ASSERT_FALSE(HasFailure());
  testsupport::RecordingSink sink;
  const Book book{store::OpenRecordStore(original.Path(), sink),
                  store::LoadSortedList(original.File("names.qdx"), sink).lines};

  const mainwindow::ImportFile read =
      mainwindow::ReadVCards(mainwindow::ExportVCards(book.records, book.keys));
  ASSERT_EQ(read.cards.size(), size_t(book.keys.size()));
  const mainwindow::ImportCandidates candidates = mainwindow::CheckCards(read.cards);
  for (const QString& reason : candidates.reasons)
    EXPECT_TRUE(reason.isEmpty()) << reason.toStdString();
  testsupport::TempDataDir empty;
  empty.Write("names.qdx", "");
  const store::ImportOutcome outcome =
      store::DataFiles(empty.Path()).ImportRecords(candidates.records);
  EXPECT_EQ(outcome.imported, book.keys.size());

  EXPECT_EQ(empty.Read("adresse.qdx"), original.Read("adresse.qdx"))
      << FirstDifference(empty.Read("adresse.qdx"), original.Read("adresse.qdx"));
  EXPECT_EQ(empty.Read("names.qdx"), original.Read("names.qdx"));
}

}  // namespace
