// The vCard and CSV exchange at its edges, through the real main window: where an export may
// not go, cards as other programs write them, what the list shows after an import.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeView>

#include "tests/mainwindow/exchange_fixture.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kNames = "Alt,Bea\r\nBerg,Ute\r\n";
const QByteArray kStore = Person("Berg", "Ute", "Zeta") + Person("Alt", "Bea", "A;B", "12");

using ExchangeEdgesTest = ExchangeWindowTest;

// The save dialog lets the user type any name, also that of a data file in the program's own
// directory; the export would replace the address book with a vCard or CSV file.
TEST_F(ExchangeEdgesTest, exportOntoADataFile_isRefused_theAddressBookStaysWhole) {
  Open(kNames, kStore);
  data.Write(QStringLiteral("secure.qdx"), "Weg,Wim\r\n");
  QFile::link(data.File(QStringLiteral("names.qdx")), data.File(QStringLiteral("liste.vcf")));
  const QStringList targets = {
      data.File(QStringLiteral("adresse.qdx")), data.File(QStringLiteral("names.qdx")),
      data.File(QStringLiteral("secure.qdx")), data.File(QStringLiteral("liste.vcf")),
      data.Path() + QStringLiteral("/./adresse.qdx")};
  for (const char* command : {"VCardExport1", "ToolbarButton973"}) {
    for (const QString& target : targets) {
      dialogs.boxes.clear();
      dialogs.fileAnswers.enqueue(target);
      if (QByteArray(command) == "VCardExport1")
        Trigger(command);
      else
        Click(command);
      ASSERT_EQ(dialogs.boxes.size(), 1) << command << " " << target.toStdString();
      EXPECT_EQ(dialogs.boxes[0].text,
                QStringLiteral("Die Datei %1 gehört zum Adressbuch und wird nicht überschrieben. "
                               "Bitte wählen Sie einen anderen Namen.")
                    .arg(QDir::toNativeSeparators(target)));
    }
  }
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
  EXPECT_EQ(data.Read(QStringLiteral("secure.qdx")), QByteArray("Weg,Wim\r\n"));
  EXPECT_TRUE(QFileInfo(data.File(QStringLiteral("liste.vcf"))).isSymLink());

  // Beside them, any other name is written as usual.
  dialogs.boxes.clear();
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("adresse.qdx.vcf")));
  Trigger("VCardExport1");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_TRUE(data.Read(QStringLiteral("adresse.qdx.vcf")).startsWith("BEGIN:VCARD\r\n"));
}

// Outlook writes a street of two lines quoted-printable with "=0D=0A", Apple Contacts with
// "\\n"; a field holds one line, so the lines are joined rather than the card refused.
TEST_F(ExchangeEdgesTest, cardsWithAStreetOfTwoLines_areImportedWithTheLinesJoined) {
  Open(kNames, kStore);
  data.Write(QStringLiteral("outlook.vcf"),
             "BEGIN:VCARD\r\nVERSION:2.1\r\n"
             "N;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
             "ADR;WORK;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=DFe 1=0D=0A=\r\n"
             "Hinterhaus;Freiburg;;79100;Deutschland\r\n"
             "TEL;WORK;VOICE:0761 1\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zorn;Zoe;;;\r\n"
             "item1.ADR;type=WORK;type=pref:;;Am Hof 2\\n\\nHaus B\\n;Ulm;;89073;\r\n"
             "item1.X-ABADR:de\r\nEND:VCARD\r\n");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("outlook.vcf")));
  ExpectSummary();
  Trigger("Importieren1");
  EXPECT_EQ(heading, "Importierte Adressen: 2 von 2.");
  EXPECT_EQ(listText, "");
  EXPECT_EQ(Store(), kStore +
                         Section("M\xFCller,J\xFCrgen", {{store::kVorname, "J\xFCrgen"},
                                                         {store::kName, "M\xFCller"},
                                                         {store::kStrasse,
                                                          "Hauptstra\xDF"
                                                          "e 1, Hinterhaus"},
                                                         {store::kPLZ, "79100"},
                                                         {store::kOrt, "Freiburg"},
                                                         {store::kTelefon1, "0761 1"}}) +
                         Section("Zorn,Zoe", {{store::kVorname, "Zoe"},
                                              {store::kName, "Zorn"},
                                              {store::kStrasse, "Am Hof 2, Haus B"},
                                              {store::kPLZ, "89073"},
                                              {store::kOrt, "Ulm"}}));
}

// The record shown before the import stays shown; its entry, now further down the list, stays
// the one marked, so the list and the fields keep telling of the same person.
TEST_F(ExchangeEdgesTest, importKeepsTheShownRecordsEntrySelected_inBothListViews) {
  Open(kNames, kStore);
  data.Write(QStringLiteral("neu.vcf"),
             "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Adam;Anton\r\nX-PELLUMO-INTERN:7\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Abel;Ada\r\nX-PELLUMO-INTERN:8\r\nEND:VCARD\r\n");
  ClickRow(1);
  ASSERT_EQ(Edit(store::kName)->text(), "Berg");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("neu.vcf")));
  ExpectSummary();
  Trigger("Importieren1");
  ASSERT_EQ(Entries(), (QStringList{"Abel,Ada", "Adam,Anton", "Alt,Bea", "Berg,Ute"}));
  EXPECT_EQ(form->SelectedListIndex(), 3);
  EXPECT_EQ(Edit(store::kName)->text(), "Berg");

  // The internal-number view is built again, with the shown entry marked.
  Click("Button3");
  ClickRow(2);
  ASSERT_EQ(Edit(store::kName)->text(), "Alt");
  data.Write(QStringLiteral("mehr.vcf"),
             "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Aal;Ali\r\nX-PELLUMO-INTERN:9\r\nEND:VCARD\r\n");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("mehr.vcf")));
  ExpectSummary();
  Trigger("Importieren1");
  ASSERT_EQ(Entries(),
            (QStringList{"Aal,Ali @ 9", "Abel,Ada @ 8", "Adam,Anton @ 7", "Alt,Bea @ 12"}));
  EXPECT_EQ(form->SelectedListIndex(), 3);
  EXPECT_EQ(Edit(store::kName)->text(), "Alt");
}

// The company view entered from the internal-number view keeps that view's button down: an
// import there lists plain keys, as every reload of the company view does, and shows the
// imported people in the tree, as it does when the button is up.
TEST_F(ExchangeEdgesTest, importInTheCompanyViewEnteredFromTheNumberView_treeShowsTheNewPeople) {
  Open(kNames, kStore);
  Click("Button3");
  Click("ToolbarButton9712");
  data.Write(QStringLiteral("neu.vcf"),
             "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Adam;Anton\r\nORG:Zeta\r\nEND:VCARD\r\n");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("neu.vcf")));
  ExpectSummary();
  Trigger("Importieren1");

  EXPECT_EQ(Entries(), (QStringList{"Adam,Anton", "Alt,Bea", "Berg,Ute"}));
  auto* tree = Find<QTreeView>("TreeView1");
  const QModelIndex root = tree->model()->index(0, 0);
  QStringList shape;
  for (int c = 0; c < tree->model()->rowCount(root); ++c) {
    const QModelIndex company = tree->model()->index(c, 0, root);
    shape.append(company.data().toString());
    for (int m = 0; m < tree->model()->rowCount(company); ++m)
      shape.append("  " + tree->model()->index(m, 0, company).data().toString());
  }
  EXPECT_EQ(shape, (QStringList{"Zeta", "  Adam,Anton", "  Berg,Ute", "A;B", "  Alt,Bea"}));
}

}  // namespace
}  // namespace mainwindowtest
