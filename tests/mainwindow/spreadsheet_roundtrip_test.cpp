// The CSV export opened and saved again by a spreadsheet program, then imported through the
// main window: what the address book holds afterwards, byte for byte, and what the summary says.
#include <QFile>

#include "tests/mainwindow/exchange_fixture.h"

namespace mainwindowtest {
namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

const QByteArray kNames = "Alt,Bea\r\nM\xFCller,J\xFCrgen\r\n";
const QByteArray kStore = Section("Alt,Bea", {{store::kVorname, "Bea"},
                                              {store::kName, "Alt"},
                                              {store::kFirma, "A;B"},
                                              {store::kPLZ, "07616"},
                                              {store::kTelefon1, "0761 1"}}) +
                          Section("M\xFCller,J\xFCrgen", {{store::kVorname, "J\xFCrgen"},
                                                          {store::kName, "M\xFCller"},
                                                          {store::kStrasse, "Am S\xE4gewerk 4"},
                                                          {store::kOrt, "Titisee"},
                                                          {store::kEMail, "j@m.example"},
                                                          {store::kIRuf, "55"}});

// The export's lines as a spreadsheet program gives them back, before the program's choices of
// separator, character set and line end are applied.
const QByteArray kHeader =
    "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\xDF"
    "e;PLZ;Ort;Telefon1;Telefon2;Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer";
const QByteArray kAlt = "Bea;Alt;;;\"A;B\";;07616;;0761 1;;;;;;";
const QByteArray kMueller = "J\xFCrgen;M\xFCller;;;;Am S\xE4gewerk 4;;Titisee;;;;;j@m.example;;55";

class SpreadsheetTest : public ExchangeWindowTest {
 protected:
  // An empty address book with the file to import beside it; imports it through the menu.
  void ImportIntoNewBook(const QByteArray& csv) {
    form.reset();
    QFile::remove(data.File(QStringLiteral("adresse.qdx")));
    data.Write(QStringLiteral("tabelle.csv"), csv);
    Open(QByteArray(), QByteArray());
    dialogs.fileAnswers.enqueue(data.File(QStringLiteral("tabelle.csv")));
    ExpectSummary();
    Trigger("Importieren1");
  }
  void ExpectAllBack() {
    EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.boxes.value(0).text.toStdString();
    EXPECT_EQ(heading.toStdString(), "Importierte Adressen: 2 von 2.");
    EXPECT_EQ(listText.toStdString(), "");
    EXPECT_EQ(Names(), kNames);
    EXPECT_EQ(Store(), kStore);
  }
};

TEST_F(SpreadsheetTest, exportImportedIntoANewAddressBook_givesTheSameFiles) {
  Open(kNames, kStore);
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("export.csv")));
  Click("ToolbarButton973");
  const QByteArray csv = data.Read(QStringLiteral("export.csv"));
  EXPECT_EQ(csv, kHeader + "\r\n" + kAlt + "\r\n" + kMueller + "\r\n");
  ImportIntoNewBook(csv);
  ExpectAllBack();
}

// A spreadsheet program saves with the separator of its language (","), or as "CSV UTF-8"
// with or without a byte order mark (letters composed or not), with or without quotes around
// every cell, with LF and without an end after the last line.
TEST_F(SpreadsheetTest, savedWithOtherSeparatorCharacterSetOrQuotes_givesEveryRecordBack) {
  // The lines with another separator; the company "A;B" stays quoted as it is.
  const auto with = [](QByteArray line, char separator) {
    line.replace(';', separator);
    const QByteArray company = QByteArray("\"A") + separator + QByteArray("B\"");
    return line.replace(company, "\"A;B\"");
  };
  const auto comma = [&](const QByteArray& line) { return with(line, ','); };
  const auto tab = [&](const QByteArray& line) { return with(line, '\t'); };
  const QByteArray utf8Header = QString::fromLatin1(kHeader).toUtf8();
  const QByteArray utf8Mueller = QString::fromLatin1(kMueller).toUtf8();
  const QByteArray quotedHeader = '"' + QByteArray(kHeader).replace(";", "\";\"") + '"';
  const QList<QByteArray> files = {
      comma(kHeader) + "\r\n" + comma(kAlt) + "\r\n" + comma(kMueller) + "\r\n",
      utf8Header + "\n" + kAlt + "\n" + utf8Mueller,
      // with "," a ";" in a value needs no quotes
      "\xEF\xBB\xBF" + comma(utf8Header) + "\r\n" + comma(kAlt).replace("\"A;B\"", "A;B") + "\r\n" +
          comma(utf8Mueller),
      tab(kHeader) + "\r\n" + tab(kAlt) + "\r\n" + tab(kMueller) + "\r\n",
      quotedHeader + "\r\n" + kAlt + "\r\n" + kMueller + "\r\n",
      // a Mac writes "ü" as "u" and a combining diaeresis
      utf8Header + "\r\n" + kAlt + "\r\n" +
          QString::fromLatin1(kMueller).normalized(QString::NormalizationForm_D).toUtf8(),
  };
  for (const QByteArray& csv : files) {
    SCOPED_TRACE(csv.toStdString());
    ImportIntoNewBook(csv);
    ExpectAllBack();
  }
}

// Excel's "Unicode Text" and LibreOffice's UTF-16 character set write UTF-16 with a byte
// order mark, Excel with tabs between the cells: the export all the same, not binary data.
TEST_F(SpreadsheetTest, savedAsUtf16_givesEveryRecordBack) {
  const QString text = QString::fromLatin1(kHeader + "\r\n" + kAlt + "\r\n" + kMueller + "\r\n");
  QString tabs = text;
  tabs.replace(QLatin1Char(';'), QLatin1Char('\t'))
      .replace(QStringLiteral("\"A\tB\""), QStringLiteral("\"A;B\""));
  for (const bool littleEndian : {true, false}) {
    for (const QString& csv : {text, tabs}) {
      QByteArray wide = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
      for (const QChar c : csv) {
        const char low = char(c.unicode() & 0xFF);
        const char high = char(c.unicode() >> 8);
        wide.append(littleEndian ? low : high).append(littleEndian ? high : low);
      }
      SCOPED_TRACE(csv.toStdString());
      ImportIntoNewBook(wide);
      ExpectAllBack();
    }
  }
}

// Rows whose last cells are empty lose their separators (Excel does so after the first rows),
// or gain empty cells beyond the fifteenth; rows of nothing but separators stand at the end.
TEST_F(SpreadsheetTest, emptyCellsCutOffOrAddedAtTheEnd_andEmptyRows_areNoLoss) {
  ImportIntoNewBook(kHeader + ";;\r\n" + "Bea;Alt;;;\"A;B\";;07616;;0761 1\r\n" + kMueller +
                    ";;\r\n;;;;;;;;;;;;;;\r\n;;;;;;;;;;;;;;;;\r\n\r\n");
  ExpectAllBack();
}

// What a spreadsheet cannot give back stays refused with its reason, and the rest comes in.
TEST_F(SpreadsheetTest, rowsThatAreNoRecord_keepTheirReason_theOthersAreImported) {
  ImportIntoNewBook(kHeader + "\r\n" + kAlt + "\r\nAnna Meier\r\nOtto;Offen;;;;;;;;;;;;;;;x\r\n" +
                    kMueller + "\r\n");
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 4.");
  EXPECT_EQ(listText, U("Nicht importiert:\n"
                        "Zeile 3: Die Zeile hat 1 Feld statt 15.\n"
                        "Zeile 4: Die Zeile hat 17 Felder statt 15."));
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
}

// A header in another language or order is no export of this program; the message says so
// and nothing is written.
TEST_F(SpreadsheetTest, translatedOrReorderedHeader_isRefusedAsAWhole) {
  for (const QByteArray& header :
       {QByteArray("First name;Last name;Position;Department;Company;Street;ZIP;City;Phone1;"
                   "Phone2;Fax;Mobile;E-mail;Speed dial;Extension"),
        QByteArray(kHeader).replace("Vorname;Name", "Name;Vorname")}) {
    ImportIntoNewBook(header + "\r\n" + kAlt + "\r\n");
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(dialogs.boxes[0].text.endsWith(
        U("Die Datei ist kein CSV-Export dieses Programms: die Kopfzeile fehlt oder ist eine "
          "andere.")));
    EXPECT_TRUE(dialogs.modalWindows.isEmpty());
    EXPECT_EQ(Names(), QByteArray());
    EXPECT_FALSE(data.Exists(QStringLiteral("adresse.qdx")));
    dialogs.boxes.clear();
    dialogs.modalAnswers.clear();
  }
}

}  // namespace
}  // namespace mainwindowtest
