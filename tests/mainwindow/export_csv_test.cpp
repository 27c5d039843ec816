#include <gtest/gtest.h>

#include <algorithm>

#include "mainwindow/csvexport.h"
#include "store/cp1252.h"
#include "store/recordstore.h"
#include "tests/mainwindow/views_fixtures.h"

using viewsfixtures::Section;

namespace {

const QByteArray kHeader =
    "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\xDF"
    "e;PLZ;Ort;Telefon1;Telefon2;Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer\r\n";

}  // namespace

TEST(CsvExport, emptyKeyList_givesTheHeaderLineAlone) {
  EXPECT_EQ(mainwindow::ExportCsv(store::RecordStore(), {}), kHeader);
}

TEST(CsvExport, writesFifteenValuesInColumnOrder_errorForMissing_noQuoting) {
  const store::RecordStore records(
      Section("M\xFCller,J\xFCrgen", {{"Vorname", "J\xFCrgen"},
                                      {"Name", "M\xFCller"},
                                      {"Position", "Chef"},
                                      {"Kurzzeichen", "JM"},
                                      {"Firma", "Gro\xDF & Co"},
                                      {"Strasse",
                                       "Hauptstra\xDF"
                                       "e 1"},
                                      {"PLZ", "12345"},
                                      {"Ort", "K\xF6ln"},
                                      {"Telefon1", "0221 1"},
                                      {"Telefon2", "0221 2"},
                                      {"Fax", "0221 3"},
                                      {"Handy", "0170 4"},
                                      {"EMail", "jm@example.de"},
                                      {"Kurzwahl", "5"},
                                      {"IRuf", "6"}}) +
      Section("Ohne,Mail", {{"Vorname", "Mail"}, {"Name", "Ohne"}, {"Firma", "A;B"}}) +
      QByteArray("[Kurz,Satz]\r\nName=Kurz\r\n"));

  const QByteArray csv = mainwindow::ExportCsv(
      records,
      {"Fehlt,Ganz", QString::fromLatin1("M\xFCller,J\xFCrgen"), "Ohne,Mail", "Kurz,Satz"});

  EXPECT_EQ(csv, kHeader +
                     "Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;"
                     "Error;Error;Error\r\n"
                     "J\xFCrgen;M\xFCller;Chef;JM;Gro\xDF & Co;Hauptstra\xDF"
                     "e 1;12345;K\xF6ln;0221 1;0221 2;0221 3;0170 4;jm@example.de;5;6\r\n"
                     "Mail;Ohne;;;A;B;;;;;;;;;;\r\n"
                     "Error;Kurz;Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;"
                     "Error;Error;Error\r\n");
}

// Values of every length are copied exactly: empty, short, exactly sixteen bytes, longer ones,
// one that ends the store's bytes without a line end, and missing ones beside them; a listed
// key without a section gives fifteen "Error" values.
TEST(CsvExport, valuesOfEveryLengthAndAtTheStoreEnd_copiedExactly) {
  const QByteArray sixteen = "0123456789abcdef";
  const QByteArray longValue =
      "Stra\xDF"
      "e der langen Namen und Hausnummern 12-14, Hinterhaus";
  const QByteArray store = "[Lang,Lea]\r\nVorname=Lea\r\nName=Lang\r\nFirma=" + sixteen +
                           "\r\nStrasse=" + longValue +
                           "\r\nPLZ=\r\n"
                           "[Ende,Eva]\r\nName=Ende\r\nVorname=Eva\r\nIRuf=7";
  const QByteArray csv =
      mainwindow::ExportCsv(store::RecordStore(store), {"Lang,Lea", "Fehlt,Ganz", "ende,eva"});
  const QByteArray error15 = QByteArrayList(15, "Error").join(';') + "\r\n";
  EXPECT_EQ(csv, kHeader + "Lea;Lang;Error;Error;" + sixteen + ";" + longValue +
                     ";;Error;Error;Error;Error;Error;Error;Error;Error\r\n" + error15 +
                     "Eva;Ende;Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;Error;"
                     "Error;7\r\n");
}

namespace {

// A store of `count` records whose values grow with `variant`, large enough that the export's
// buffer is kept for the next export.
store::RecordStore NumberedStore(int count, int variant, QStringList* keys) {
  QByteArray bytes;
  keys->clear();
  for (int i = 0; i < count; ++i) {
    const QByteArray n = QByteArray::number(i);
    keys->append(QString::fromLatin1("Name" + n + ",Vorname"));
    bytes += "[Name" + n + ",Vorname]\r\nVorname=V" + n + "\r\nName=N" + n +
             "\r\nOrt=" + QByteArray(i % (7 + variant), char('a' + variant)) +
             "\r\nIRuf=" + QByteArray::number(i * (variant + 1)) + "\r\n";
  }
  return store::RecordStore(bytes);
}

}  // namespace

// Exports one after the other: an earlier result still held keeps its bytes, and a later,
// shorter export shows nothing of a longer one before it.
TEST(CsvExport, consecutiveExports_eachExactlyItsOwnBytes) {
  QStringList keys;
  const store::RecordStore large = NumberedStore(20000, 3, &keys);
  const QStringList largeKeys = keys;
  const QByteArray first = mainwindow::ExportCsv(large, largeKeys);
  const QByteArray firstCopy(first.constData(), first.size());  // its own memory
  ASSERT_GT(first.size(), 1 << 20);

  const store::RecordStore other = NumberedStore(20000, 5, &keys);
  const QByteArray second = mainwindow::ExportCsv(other, keys);  // first still held
  EXPECT_EQ(first, firstCopy);
  EXPECT_NE(second, first);

  const store::RecordStore smaller = NumberedStore(15000, 1, &keys);
  const QByteArray expected = mainwindow::ExportCsv(smaller, keys);
  for (int round = 0; round < 3; ++round) {
    const QByteArray again = mainwindow::ExportCsv(smaller, keys);
    EXPECT_TRUE(again == expected) << round;
  }
  EXPECT_EQ(mainwindow::ExportCsv(large, largeKeys), firstCopy);
}

// A large export is made in two halves at once: every line, on either side of the cut and
// in a list order unlike the store's, holds the values the single-record read gives, and
// the pieces joined are the file.
TEST(CsvExport, largeExportInTwoHalves_everyLineAsTheSingleRecordRead) {
  QStringList keys;
  const store::RecordStore records = NumberedStore(20000, 2, &keys);
  ASSERT_GE(records.Bytes().size(), 1 << 20);
  std::reverse(keys.begin(), keys.end());
  keys.remove(100, 50);                                        // sections no key asks for
  keys.insert(keys.size() / 2, QStringLiteral("Fehlt,Ganz"));  // near the cut
  keys.append(QStringLiteral("Fehlt,Auch"));
  keys.append(keys[7].toUpper());  // a record listed twice, once in other letter case
  keys.prepend(keys[keys.size() / 2 + 3]);

  const std::array<QByteArray, 2> pieces = mainwindow::ExportCsvPieces(records, keys);
  EXPECT_FALSE(pieces[1].isEmpty());
  const QByteArray csv = pieces[0] + pieces[1];
  EXPECT_EQ(csv, mainwindow::ExportCsv(records, keys));
  const QList<QByteArray> lines = csv.split('\n');
  ASSERT_EQ(lines.size(), keys.size() + 2);  // the header, and nothing after the last CR LF
  EXPECT_EQ(lines.front() + '\n', kHeader);
  EXPECT_TRUE(lines.back().isEmpty());
  constexpr int kColumns[] = {
      store::kVorname, store::kName,  store::kPosition, store::kKurzzeichen, store::kFirma,
      store::kStrasse, store::kPLZ,   store::kOrt,      store::kTelefon1,    store::kTelefon2,
      store::kFax,     store::kHandy, store::kEMail,    store::kKurzwahl,    store::kIRuf};
  for (qsizetype row = 0; row < keys.size(); ++row) {
    const store::RecordValues values = records.Record(keys[row]);
    QStringList expected;
    for (int field : kColumns)
      expected.append(values[field]);
    ASSERT_EQ(lines[row + 1], store::ToCp1252(expected.join(u';')) + '\r') << row;
  }
}
