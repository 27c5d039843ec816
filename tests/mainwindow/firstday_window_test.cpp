// A new office's first day: the program installed beside an empty name index and nothing else,
// as the deployment leaves it, and the first records, deletes and imports from there.
#include <QDir>
#include <QLineEdit>
#include <QTreeView>
#include <tuple>
#include <vector>

#include "store/messages.h"
#include "tests/mainwindow/exchange_fixture.h"

namespace mainwindowtest {
namespace {

const QByteArray kAnna = Section(
    "Meier,Anna", {{store::kVorname, "Anna"}, {store::kName, "Meier"}, {store::kOrt, "K\xF6ln"}});
const QByteArray kBert = Section("Abel,Bert", {{store::kVorname, "Bert"}, {store::kName, "Abel"}});

class FirstDayTest : public ExchangeWindowTest {
 protected:
  // The files of the data directory, hidden ones too, sorted.
  QStringList Files() const {
    return QDir(data.Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  QLineEdit* SearchField() const { return Find<QLineEdit>("SearchEdit"); }
  QByteArray Secure() const { return data.Read(QStringLiteral("secure.qdx")); }
  void SaveNew(const QString& name, const QString& firstName, const QString& town = QString()) {
    Click("ToolbarButton971");
    FillNames(name, firstName);
    if (!town.isEmpty())
      Type(store::kOrt, town);
    Click("Button1");
  }
};

// Every command finds nothing to act on: none of them may report a failure (there is none),
// and none writes a data file.
TEST_F(FirstDayTest, emptyBook_commandsWithNothingToActOn_sayNothingAndWriteNoDataFile) {
  Open("");
  EXPECT_TRUE(Entries().isEmpty());
  for (Qt::Key key : {Qt::Key_F3, Qt::Key_F5, Qt::Key_F8})
    QTest::keyClick(form.get(), key);
  Click("ToolbarButton979");
  Click("ToolbarButton9710");
  Click("Button3");
  EXPECT_TRUE(Entries().isEmpty());
  Click("Button3");
  Click("ToolbarButton9712");
  Click("ToolbarButton9713");
  Click("ToolbarButton9713");
  Click("ToolbarButton9712");
  Trigger("Suchen1");
  QTest::keyClicks(SearchField(), QStringLiteral("me"));
  EXPECT_TRUE(Entries().isEmpty());
  QTest::keyClick(SearchField(), Qt::Key_Escape);
  EXPECT_EQ(SearchField()->text(), QString());

  // The exports write what there is: the CSV header, and no card.
  dialogs.fileAnswers.enqueue(data.File("export.csv"));
  Click("ToolbarButton973");
  EXPECT_EQ(data.Read("export.csv"),
            "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\xDF"
            "e;PLZ;Ort;Telefon1;Telefon2;Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer\r\n");
  dialogs.fileAnswers.enqueue(data.File("export.vcf"));
  Trigger("VCardExport1");
  EXPECT_TRUE(data.Exists("export.vcf"));
  EXPECT_EQ(data.Read("export.vcf"), QByteArray());

  AnswerRestoreDialog({});
  Trigger("G1");
  EXPECT_TRUE(restoreDialogEntries.isEmpty());
  AnswerRestoreDialog({});
  Trigger("VerwaisteDatenstzewiederherstellen1");
  EXPECT_TRUE(restoreDialogEntries.isEmpty());
  dialogs.AnswerNext(QStringLiteral("&Nein"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");

  EXPECT_EQ(
      dialogs.Texts(),
      QStringList{QString::fromUtf8("Sind Sie sicher, daß Sie 0 Datensätze verwerfen wollen ?")});
  EXPECT_EQ(Files(), (QStringList{"export.csv", "export.vcf", "names.qdx"}));
  EXPECT_EQ(Names(), QByteArray());
}

// The first two records, the first delete, its restore, a purge, and the next start of the
// program on what the day left.
TEST_F(FirstDayTest, firstRecords_deleteRestorePurge_nextStartShowsWhatWasLeft) {
  Open("");
  SaveNew("Meier", "Anna", QStringLiteral("Köln"));
  EXPECT_EQ(Files(), (QStringList{"adresse.qdx", "names.qdx"}));
  EXPECT_EQ(Names(), "Meier,Anna\r\n");
  EXPECT_EQ(Store(), kAnna);
  SaveNew("Abel", "Bert");
  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anna\r\n");
  EXPECT_EQ(Store(), kAnna + kBert);

  ClickRow(0);
  Click("ToolbarButton979");
  EXPECT_EQ(Names(), "Meier,Anna\r\n");
  EXPECT_EQ(Secure(), "Abel,Bert\r\n");
  EXPECT_EQ(Store(), kAnna + kBert);
  AnswerRestoreDialog({"Abel,Bert"});
  Trigger("G1");
  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anna\r\n");
  EXPECT_EQ(Secure(), QByteArray());
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna"}));

  ClickRow(0);
  Click("ToolbarButton979");
  dialogs.AnswerNext(QStringLiteral("&Ja"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");
  EXPECT_EQ(Names(), "Meier,Anna\r\n");
  EXPECT_EQ(Secure(), QByteArray());
  EXPECT_EQ(Store(), kAnna);
  EXPECT_EQ(
      dialogs.Texts(),
      QStringList{QString::fromUtf8("Sind Sie sicher, daß Sie 1 Datensätze verwerfen wollen ?")});

  form->close();
  form.reset();
  OpenWindow();
  EXPECT_EQ(Entries(), QStringList{"Meier,Anna"});
  ClickRow(0);
  EXPECT_EQ(Edit(store::kOrt)->text(), QStringLiteral("Köln"));
  EXPECT_EQ(dialogs.Texts().size(), 1);
}

// The first import: a phone's vCard file into the empty book makes the record store.
TEST_F(FirstDayTest, firstImport_ofAPhonesCard_makesTheRecordStoreAndListsTheRecord) {
  Open("");
  data.Write("telefon.vcf",
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zorn;Zoe;;;\r\nFN:Zoe Zorn\r\n"
             "TEL;TYPE=CELL:0171 2345\r\nEND:VCARD\r\n");
  dialogs.fileAnswers.enqueue(data.File("telefon.vcf"));
  ExpectSummary();
  Trigger("Importieren1");
  EXPECT_EQ(heading, QStringLiteral("Importierte Adressen: 1 von 1."));
  EXPECT_EQ(Names(), "Zorn,Zoe\r\n");
  EXPECT_EQ(Store(),
            "[Zorn,Zoe]\r\nVorname=Zoe\r\nName=Zorn\r\nPosition=\r\nKurzzeichen=\r\nFirma=\r\n"
            "Strasse=\r\nPLZ=\r\nOrt=\r\nTelefon1=\r\nTelefon2=\r\nFax=\r\nHandy=0171 2345\r\n"
            "EMail=\r\nKurzwahl=\r\nIRuf=\r\n");
  EXPECT_EQ(Entries(), QStringList{"Zorn,Zoe"});
  EXPECT_FALSE(data.Exists("secure.qdx"));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// Two workstations start on the empty book at the same time and each saves its first record.
TEST_F(FirstDayTest, twoWorkstationsSaveTheirFirstRecords_bothAreKept) {
  Open("");
  auto other = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(data.Path()));
  other->show();
  Click("ToolbarButton971");
  FillNames("Meier", "Anna");
  Type(store::kOrt, QStringLiteral("Köln"));
  other->ToolbarButton971Click();
  other->findChild<QLineEdit*>(QStringLiteral("EName"))->setText(QStringLiteral("Abel"));
  other->findChild<QLineEdit*>(QStringLiteral("EVorname"))->setText(QStringLiteral("Bert"));
  Click("Button1");
  other->Button1Click();

  EXPECT_EQ(Names(), "Abel,Bert\r\nMeier,Anna\r\n");
  EXPECT_EQ(Store(), kAnna + kBert);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  dialogs.AnswerNext(QStringLiteral("&Nein"));
  other->close();
}

// The first-day files as another program leaves them: an empty name index of zero bytes or of
// one CR LF, an empty record store, an empty deleted-records file. The views and the search
// report nothing, and the first record saves.
TEST_F(FirstDayTest, emptyFilesLeftByAnotherProgram_viewsSayNothing_firstRecordSaves) {
  const QByteArray none;  // the file does not exist
  const std::vector<std::tuple<QByteArray, QByteArray, QByteArray>> cases = {
      {"", none, none}, {"\r\n", none, none}, {"", "", none}, {"", none, ""}, {"\r\n", "", ""}};
  for (const auto& [names, records, deleted] : cases) {
    SCOPED_TRACE(testing::Message() << "names " << names.size() << " bytes, adresse "
                                    << (records.isNull() ? -1 : records.size()) << ", secure "
                                    << (deleted.isNull() ? -1 : deleted.size()));
    testsupport::TempDataDir dir;
    dir.Write(QStringLiteral("names.qdx"), names);
    if (!records.isNull())
      dir.Write(QStringLiteral("adresse.qdx"), records);
    if (!deleted.isNull())
      dir.Write(QStringLiteral("secure.qdx"), deleted);
    dialogs.boxes.clear();
    TForm1 window(std::make_shared<store::AddressBook>(dir.Path()));
    window.show();
    EXPECT_TRUE(window.ListEntries().isEmpty());
    window.findChild<QToolButton*>(QStringLiteral("Button3"))->click();
    window.findChild<QToolButton*>(QStringLiteral("Button3"))->click();
    window.findChild<QToolButton*>(QStringLiteral("ToolbarButton9712"))->click();
    window.findChild<QToolButton*>(QStringLiteral("ToolbarButton9712"))->click();
    window.findChild<QLineEdit*>(QStringLiteral("SearchEdit"))->setText(QStringLiteral("m"));
    window.findChild<QLineEdit*>(QStringLiteral("SearchEdit"))->clear();
    EXPECT_TRUE(dialogs.boxes.isEmpty());

    window.ToolbarButton971Click();
    window.findChild<QLineEdit*>(QStringLiteral("EName"))->setText(QStringLiteral("Meier"));
    window.findChild<QLineEdit*>(QStringLiteral("EVorname"))->setText(QStringLiteral("Anna"));
    window.Button1Click();
    EXPECT_EQ(window.ListEntries(), QStringList{"Meier,Anna"});
    EXPECT_TRUE(dir.Read(QStringLiteral("names.qdx")).startsWith("Meier,Anna\r\n"));
    EXPECT_TRUE(dir.Read(QStringLiteral("adresse.qdx")).startsWith("[Meier,Anna]\r\n"));
    EXPECT_EQ(dir.Read(QStringLiteral("secure.qdx")), deleted);
    EXPECT_EQ(dir.Exists(QStringLiteral("secure.qdx")), !deleted.isNull());
    EXPECT_TRUE(dialogs.boxes.isEmpty());
    window.close();
  }
}

}  // namespace
}  // namespace mainwindowtest
