#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
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

// The store field of each column.
constexpr int kColumns[] = {
    store::kVorname, store::kName,  store::kPosition, store::kKurzzeichen, store::kFirma,
    store::kStrasse, store::kPLZ,   store::kOrt,      store::kTelefon1,    store::kTelefon2,
    store::kFax,     store::kHandy, store::kEMail,    store::kKurzwahl,    store::kIRuf};

}  // namespace

TEST(CsvExport, emptyKeyList_givesTheHeaderLineAlone) {
  EXPECT_EQ(mainwindow::ExportCsv(store::RecordStore(), {}), kHeader);
}

TEST(CsvExport, writesFifteenValuesInColumnOrder_errorForMissing_quotesOnlyValuesWithSeparator) {
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
                     "Mail;Ohne;;;\"A;B\";;;;;;;;;;\r\n"
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

// A large export, in a list order unlike the store's: every line holds the values the
// single-record read gives.
TEST(CsvExport, largeExport_everyLineAsTheSingleRecordRead) {
  QStringList keys;
  const store::RecordStore records = NumberedStore(20000, 2, &keys);
  ASSERT_GE(records.Bytes().size(), 1 << 20);
  std::reverse(keys.begin(), keys.end());
  keys.remove(100, 50);  // sections no key asks for
  keys.insert(keys.size() / 2, QStringLiteral("Fehlt,Ganz"));
  keys.append(QStringLiteral("Fehlt,Auch"));
  keys.append(keys[7].toUpper());  // a record listed twice, once in other letter case
  keys.prepend(keys[keys.size() / 2 + 3]);

  const QByteArray csv = mainwindow::ExportCsv(records, keys);
  const QList<QByteArray> lines = csv.split('\n');
  ASSERT_EQ(lines.size(), keys.size() + 2);  // the header, and nothing after the last CR LF
  EXPECT_EQ(lines.front() + '\n', kHeader);
  EXPECT_TRUE(lines.back().isEmpty());
  for (qsizetype row = 0; row < keys.size(); ++row) {
    const store::RecordValues values = records.Record(keys[row]);
    QStringList expected;
    for (int field : kColumns)
      expected.append(values[field]);
    ASSERT_EQ(lines[row + 1], store::ToCp1252(expected.join(u';')) + '\r') << row;
  }
}

// Values with a separator or quotes survive a round trip through an independent CSV reader
// (Python's csv module, as spreadsheets read the file): fifteen cells on every line.
TEST(CsvExport, valuesWithSeparatorOrQuotes_readBackByPythonCsvAsFifteenCells) {
  const store::RecordStore records(
      Section("Schmidt,Hans", {{"Vorname", "Hans"},
                               {"Name", "Schmidt"},
                               {"Firma", "Schmidt; Partner GmbH"},
                               {"Strasse", "Im \"Winkel\" 3"},
                               {"Ort", "\"K\xF6ln"},
                               {"EMail", ";"},
                               {"IRuf", "7"}}) +
      Section("Plain,Paul", {{"Vorname", "Paul"}, {"Name", "Plain"}, {"Firma", "A & B"}}));
  const QStringList keys = {"Schmidt,Hans", "Plain,Paul"};
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("export.csv"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(mainwindow::ExportCsv(records, keys));
  file.close();

  const char* script =
      "import csv, json, sys\n"
      "with open(sys.argv[1], encoding='cp1252', newline='') as f:\n"
      "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n";
  QProcess python;
  python.start(QStringLiteral("python3"),
               {QStringLiteral("-c"), QString::fromLatin1(script), path});
  if (!python.waitForStarted())
    GTEST_SKIP() << "python3 is not available";
  ASSERT_TRUE(python.waitForFinished());
  ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  const QJsonArray lines = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
  ASSERT_EQ(lines.size(), keys.size() + 1);
  for (const QJsonValue& line : lines)
    EXPECT_EQ(line.toArray().size(), 15);
  for (int row = 0; row < keys.size(); ++row) {
    const store::RecordValues values = records.Record(keys[row]);
    const QJsonArray cells = lines[row + 1].toArray();
    for (int column = 0; column < 15 && column < cells.size(); ++column)
      EXPECT_EQ(cells[column].toString(), values[kColumns[column]]) << row << " " << column;
  }
  EXPECT_EQ(lines[1].toArray()[4].toString(), QStringLiteral("Schmidt; Partner GmbH"));
}
