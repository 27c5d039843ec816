// The vCard export and the import through the real main window.
#include <QLabel>
#include <QPlainTextEdit>

#include "tests/mainwindow/exchange_fixture.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

const QByteArray kNames = "Alt,Bea\r\nBerg,Ute\r\n";
const QByteArray kStore = Person("Berg", "Ute", "Zeta") + Person("Alt", "Bea", "A;B", "12");
const QByteArray kAltCard =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bea Alt\r\nN:Alt;Bea;;;\r\nORG:A\\;B\r\n"
    "X-PELLUMO-INTERN:12\r\nEND:VCARD\r\n";
const QByteArray kBergCard =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ute Berg\r\nN:Berg;Ute;;;\r\nORG:Zeta\r\nEND:VCARD\r\n";

using ExchangeTest = ExchangeWindowTest;

TEST_F(ExchangeTest, menuItems_belowTheOtherCommandsOfDatei_disabledWhileAnEntryIsUnderway) {
  Open(kNames, kStore);
  const QList<QAction*> items = Find<QMenu>("Datei1")->actions();
  const int report = int(items.indexOf(Item("ReporterstellenDrucken1")));
  ASSERT_GE(report, 0);
  EXPECT_EQ(items.value(report + 1), Item("CsvExport1"));
  EXPECT_EQ(items.value(report + 2), Item("VCardExport1"));
  EXPECT_EQ(items.value(report + 3), Item("Importieren1"));
  EXPECT_EQ(Item("CsvExport1")->text(), U("&CSV-Export…"));
  EXPECT_EQ(Item("VCardExport1")->text(), U("vCard-&Export…"));
  EXPECT_EQ(Item("Importieren1")->text(), U("&Importieren…"));

  const QStringList commands = {"CsvExport1", "VCardExport1", "Importieren1"};
  Click("ToolbarButton971");
  for (const QString& name : commands)
    EXPECT_FALSE(Item(qPrintable(name))->isEnabled()) << name.toStdString();
  Click("ToolbarButton9711");
  for (const QString& name : commands)
    EXPECT_TRUE(Item(qPrintable(name))->isEnabled()) << name.toStdString();
}

// The menu item writes what the toolbar's spreadsheet export writes, through the same dialog.
TEST_F(ExchangeTest, csvExportMenuItem_writesTheToolbarsExport) {
  Open(kNames, kStore);
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("knopf.csv")));
  Click("ToolbarButton973");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("menue.csv")));
  Trigger("CsvExport1");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  ASSERT_EQ(dialogs.fileDialogs.size(), 2);
  EXPECT_EQ(dialogs.fileDialogs[1].initialPath, data.File(QStringLiteral("knopf.csv")));
  EXPECT_TRUE(
      data.Read(QStringLiteral("menue.csv")).endsWith(";12\r\nUte;Berg;;;Zeta;;;;;;;;;;\r\n"));
  EXPECT_EQ(data.Read(QStringLiteral("menue.csv")), data.Read(QStringLiteral("knopf.csv")));
}

TEST_F(ExchangeTest, export_writesTheRecordsOfTheListAsShown_inListOrder) {
  Open(kNames, kStore);
  const QString vcf = data.File(QStringLiteral("karten.vcf"));
  dialogs.fileAnswers.enqueue(vcf);
  Trigger("VCardExport1");
  EXPECT_EQ(data.Read(QStringLiteral("karten.vcf")), kAltCard + kBergCard);

  // The internal-number view shows only the records with an internal number.
  Click("Button3");
  dialogs.fileAnswers.enqueue(vcf);
  Trigger("VCardExport1");
  EXPECT_EQ(data.Read(QStringLiteral("karten.vcf")), kAltCard);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
}

TEST_F(ExchangeTest,
       exportSaveDialog_filterSuffixOverwriteQuestion_lastNameOffered_cancelWritesNothing) {
  Open(kNames, kStore);
  const QString vcf = data.File(QStringLiteral("liste.vcf"));
  Trigger("VCardExport1");  // cancelled
  EXPECT_FALSE(data.Exists(QStringLiteral("liste.vcf")));
  dialogs.fileAnswers.enqueue(vcf);
  Trigger("VCardExport1");
  Trigger("VCardExport1");
  ASSERT_EQ(dialogs.fileDialogs.size(), 3);
  EXPECT_EQ(dialogs.fileDialogs[0].filter, "vCard (*.vcf)");
  EXPECT_EQ(dialogs.fileDialogs[0].defaultSuffix, "vcf");
  EXPECT_TRUE(dialogs.fileDialogs[0].confirmOverwrite);
  EXPECT_EQ(dialogs.fileDialogs[2].initialPath, vcf);
}

TEST_F(ExchangeTest, import_addsTheNewRecords_listShowsThem_summaryNamesTheOthers) {
  Open(kNames, kStore);
  data.Write(QStringLiteral("neu.vcf"),
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zorn;Zoe\r\nTEL:1\r\nTEL:2\r\nTEL:3\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:BERG;UTE\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adam;Anton\r\nEMAIL:a@example.org\r\nEND:VCARD\r\n");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("neu.vcf")));
  ExpectSummary();
  Trigger("Importieren1");

  EXPECT_EQ(Entries(), (QStringList{"Adam,Anton", "Alt,Bea", "Berg,Ute", "Zorn,Zoe"}));
  EXPECT_EQ(Names(), QByteArray("Adam,Anton\r\nAlt,Bea\r\nBerg,Ute\r\nZorn,Zoe\r\n"));
  EXPECT_EQ(Store(), kStore +
                         Section("Zorn,Zoe", {{store::kVorname, "Zoe"},
                                              {store::kName, "Zorn"},
                                              {store::kTelefon1, "1"},
                                              {store::kTelefon2, "2"}}) +
                         Section("Adam,Anton", {{store::kVorname, "Anton"},
                                                {store::kName, "Adam"},
                                                {store::kEMail, "a@example.org"}}));
  EXPECT_EQ(dialogs.modalWindows, QStringList{"ImportSummary"});
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 3.");
  EXPECT_EQ(listText, U("Nicht importiert:\n"
                        "Karte 2 (UTE BERG): Datensatz für diese Person existiert bereits!\n"
                        "\n"
                        "Importiert, aber nicht alles übernommen:\n"
                        "Karte 1 (Zoe Zorn): weitere Telefonnummer „3“"));
  EXPECT_EQ(dialogs.fileDialogs[0].filter,
            "vCard und CSV-Export (*.vcf *.csv);;vCard (*.vcf);;CSV-Export (*.csv)");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(ExchangeTest, importOfTheCsvExport_inTheInternalNumberView_rebuildsTheView) {
  Open(kNames, kStore);
  Click("Button3");
  data.Write(QStringLiteral("alt.csv"),
             "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\xDF"
             "e;PLZ;Ort;Telefon1;Telefon2;Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer\r\n"
             "J\xFCrgen;M\xFCller;;;;;;;;;;;;;55\r\n");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("alt.csv")));
  ExpectSummary();
  Trigger("Importieren1");
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea @ 12", U("Müller,Jürgen @ 55")}));
  EXPECT_EQ(heading, "Importierte Adressen: 1 von 1.");
  EXPECT_EQ(listText, "");
}

TEST_F(ExchangeTest, cancelledImport_writesNothingAndShowsNothing) {
  Open(kNames, kStore);
  QByteArray many;
  for (int i = 0; i < 10000; ++i)
    many += "BEGIN:VCARD\r\nN:N" + QByteArray::number(i) + ";V\r\nEND:VCARD\r\n";
  data.Write(QStringLiteral("viele.vcf"), many);
  for (const bool atTheEnd : {false, true}) {
    // Cancelled while the file is read, or at the last moment before the change is written.
    qint64 asked = 0;
    form->SetImportProgressHook([&](qint64 done, qint64 total) {
      ++asked;
      return atTheEnd ? done < total : false;
    });
    dialogs.fileAnswers.enqueue(data.File(QStringLiteral("viele.vcf")));
    Trigger("Importieren1");
    EXPECT_GT(asked, 0);
    EXPECT_EQ(Names(), kNames);
    EXPECT_EQ(Store(), kStore);
    EXPECT_TRUE(dialogs.modalWindows.isEmpty());
    EXPECT_TRUE(dialogs.boxes.isEmpty());
  }
}

TEST_F(ExchangeTest, importOfABinaryFile_saysSoAndChangesNothing) {
  Open(kNames, kStore);
  data.Write(QStringLiteral("bild.vcf"), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("bild.vcf")));
  Trigger("Importieren1");
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes[0].text,
            U("Die Datei ") + QDir::toNativeSeparators(data.File(QStringLiteral("bild.vcf"))) +
                U(" kann nicht importiert werden. Die Datei enthält Binärdaten und ist keine "
                  "vCard-Datei."));
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
  EXPECT_TRUE(dialogs.modalWindows.isEmpty());
}

TEST_F(ExchangeTest, importWithoutNameIndex_stopsWithTheLoadMessage) {
  Open(kNames, kStore);
  data.Write(QStringLiteral("neu.vcf"), "BEGIN:VCARD\r\nN:Zorn;Zoe\r\nEND:VCARD\r\n");
  QFile::remove(data.File(QStringLiteral("names.qdx")));
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("neu.vcf")));
  Trigger("Importieren1");
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes[0].text, store::LoadFailureMessage());
  EXPECT_FALSE(data.Exists(QStringLiteral("names.qdx")));
  EXPECT_EQ(Store(), kStore);
}

}  // namespace
}  // namespace mainwindowtest
