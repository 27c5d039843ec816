#include <gtest/gtest.h>

#include "mainwindow/csvexport.h"
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
