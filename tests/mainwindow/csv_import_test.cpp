// Reading this program's own CSV export back in.
#include <gtest/gtest.h>

#include "mainwindow/csvexport.h"
#include "mainwindow/csvimport.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "tests/mainwindow/views_fixtures.h"

namespace {

using mainwindow::ImportFile;
using mainwindow::ReadCsvExport;

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

const QByteArray kHeader =
    "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\xDF"
    "e;PLZ;Ort;Telefon1;Telefon2;Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer\r\n";

TEST(CsvImportTest, theExportReadBack_givesEveryValueOfEveryRecord) {
  using viewsfixtures::Section;
  const QByteArray bytes = Section("M\xFCller,J\xFCrgen", {{"Vorname", "J\xFCrgen"},
                                                           {"Name", "M\xFCller"},
                                                           {"Position", "Chef"},
                                                           {"Kurzzeichen", "EK"},
                                                           {"Firma", "Lindner"},
                                                           {"Strasse", "Am S\xE4gewerk 4"},
                                                           {"PLZ", "79822"},
                                                           {"Ort", "Titisee"},
                                                           {"Telefon1", "1"},
                                                           {"Telefon2", "2"},
                                                           {"Fax", "3"},
                                                           {"Handy", "4"},
                                                           {"EMail", "a@b.example"},
                                                           {"Kurzwahl", "5"},
                                                           {"IRuf", "6"}}) +
                           viewsfixtures::Person("Berg", "Ute", "\x80-Bank");
  const store::RecordStore records(bytes);
  const QStringList keys{U("Müller,Jürgen"), "Berg,Ute"};
  const ImportFile read = ReadCsvExport(mainwindow::ExportCsv(records, keys));
  ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
  ASSERT_EQ(read.cards.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(read.cards[i].refusal.isEmpty());
    const store::RecordValues expected = records.Record(keys[int(i)]);
    for (int field = 0; field < store::kFieldCount; ++field)
      EXPECT_EQ(read.cards[i].values[field], expected[field]) << field;
  }
  EXPECT_EQ(mainwindow::Where(read.cards[0]), "Zeile 2");
  EXPECT_EQ(read.cards[1].name, "Ute Berg");
}

TEST(CsvImportTest, quotedValues_holdSemicolonsQuotesAndLineBreaks) {
  const QByteArray file = kHeader +
                          "\"Anna\";\"Meier;Schulz\";;;\"Firma \"\"Nord\"\"\";\"Hof 1\r\n"
                          "Haus 2\";;;;;;;;;\r\n"
                          "Bea;Alt;;;;;;;;;;;;;\r\n";
  const ImportFile read = ReadCsvExport(file);
  ASSERT_EQ(read.cards.size(), 2u);
  EXPECT_EQ(read.cards[0].values[store::kName], "Meier;Schulz");
  EXPECT_EQ(read.cards[0].values[store::kFirma], "Firma \"Nord\"");
  EXPECT_EQ(read.cards[0].values[store::kStrasse], "Hof 1\r\nHaus 2");
  EXPECT_EQ(read.cards[1].values[store::kVorname], "Bea");
  EXPECT_EQ(mainwindow::Where(read.cards[1]), "Zeile 4");
}

TEST(CsvImportTest, linesThatAreNoRecord_getTheirReason) {
  const QByteArray file = kHeader +
                          "Anna;Meier;;;A;B;;;;;;;;;;\r\n"  // an old export: ";" in a value
                          "Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;"
                          "Error;Error;Error;Error\r\n"
                          "\r\n"
                          "Anna Meier, Bonn\r\n"  // a line typed without the separators
                          "\"Offen;Otto;;;;;;;;;;;;;\r\n";
  ImportFile read = ReadCsvExport(file);
  ASSERT_EQ(read.cards.size(), 4u);
  EXPECT_EQ(read.cards[2].refusal, "Die Zeile hat 1 Feld statt 15.");
  read.cards.erase(read.cards.begin() + 2);
  EXPECT_EQ(read.cards[0].refusal, "Die Zeile hat 16 Felder statt 15.");
  EXPECT_EQ(read.cards[1].refusal,
            U("Die Zeile enthält nur „Error“: der Datensatz fehlte beim Export."));
  EXPECT_EQ(read.cards[2].refusal,
            U("Ein Anführungszeichen wird bis zum Ende der Datei nicht geschlossen."));
  EXPECT_EQ(mainwindow::Where(read.cards[2]), "Zeile 6");
}

TEST(CsvImportTest, otherHeaderBinaryOrEmpty_isNoExportOfThisProgram) {
  EXPECT_EQ(ReadCsvExport("Name;Vorname\r\nMeier;Anna\r\n").error,
            U("Die Datei ist kein CSV-Export dieses Programms: die Kopfzeile fehlt oder ist eine "
              "andere."));
  EXPECT_EQ(ReadCsvExport(QByteArray("PK\x03\x04\0\0", 6)).error,
            U("Die Datei enthält Binärdaten und ist kein CSV-Export."));
  EXPECT_EQ(ReadCsvExport(QByteArray()).error,
            U("Die Datei ist leer und kein CSV-Export dieses Programms."));
}

TEST(CsvImportTest, savedAgainAsUtf8WithByteOrderMark_isReadAsUtf8) {
  const QByteArray file = "\xEF\xBB\xBF" + QString::fromLatin1(kHeader).toUtf8() +
                          "J\xC3\xBCrgen;M\xC3\xBCller;;;;;;;;;;;;;\r\n";
  const ImportFile read = ReadCsvExport(file);
  ASSERT_EQ(read.cards.size(), 1u);
  EXPECT_EQ(read.cards[0].values[store::kName], U("Müller"));
}

}  // namespace
