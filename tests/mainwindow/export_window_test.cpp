// The CSV export through the real main window and its save dialog.
#include "store/fileio.h"
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kHeader =
    "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\xDF"
    "e;PLZ;Ort;Telefon1;Telefon2;Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer\r\n";
const QByteArray kNames = "Alt,Bea\r\nBerg,Ute\r\n";
const QByteArray kStore = Person("Berg", "Ute", "Zeta") + Person("Alt", "Bea", "A;B", "12");
// A company with ";" is quoted, so the line keeps its fifteen cells.
const QByteArray kCsv = kHeader + "Bea;Alt;;;\"A;B\";;;;;;;;;;12\r\nUte;Berg;;;Zeta;;;;;;;;;;\r\n";

using ExportTest = MainWindowTest;

TEST_F(ExportTest, exportsTheWholeNameIndexInEveryView) {
  Open(kNames, kStore);
  const QString csv = data.File(QStringLiteral("export.csv"));

  dialogs.fileAnswers.enqueue(csv);
  Click("ToolbarButton973");
  EXPECT_EQ(data.Read(QStringLiteral("export.csv")), kCsv);

  Click("Button3");
  ASSERT_EQ(Entries(), QStringList{"Alt,Bea @ 12"});
  dialogs.fileAnswers.enqueue(csv);
  Click("ToolbarButton973");
  EXPECT_EQ(data.Read(QStringLiteral("export.csv")), kCsv);
  EXPECT_EQ(Entries(), QStringList{"Alt,Bea @ 12"});

  Click("ToolbarButton9712");
  dialogs.fileAnswers.enqueue(csv);
  Click("ToolbarButton973");
  EXPECT_EQ(data.Read(QStringLiteral("export.csv")), kCsv);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), kStore);
}

TEST_F(ExportTest, saveDialog_filterSuffixOverwriteQuestion_offersTheLastName) {
  Open(kNames, kStore);
  const QString csv = data.File(QStringLiteral("liste.csv"));
  dialogs.fileAnswers.enqueue(csv);
  Click("ToolbarButton973");
  Click("ToolbarButton973");

  ASSERT_EQ(dialogs.fileDialogs.size(), 2);
  EXPECT_EQ(dialogs.fileDialogs[0].filter, "Excel Export (*.csv)");
  EXPECT_EQ(dialogs.fileDialogs[0].defaultSuffix, "csv");
  EXPECT_TRUE(dialogs.fileDialogs[0].confirmOverwrite);
  EXPECT_EQ(dialogs.fileDialogs[1].initialPath, csv);
}

TEST_F(ExportTest, cancellingTheSaveDialog_writesNothing) {
  Open(kNames, kStore);
  Click("ToolbarButton973");

  EXPECT_EQ(dialogs.fileDialogs.size(), 1);
  EXPECT_EQ(QDir(data.Path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"adresse.qdx", "names.qdx"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

// An export that crashed halfway leaves its temporary file beside the export; the next export
// of that name removes it once it is old, and leaves every other file alone.
TEST_F(ExportTest, crashLeftoversBesideTheExport_removedByTheNextExport) {
  Open(kNames, kStore);
  const QStringList stale = {"export.csv.0123abcd5.tmp", "adressen.vcf.deadbeef1f.tmp"};
  const QStringList kept = {"export.csv.12345678a.tmp", "andere.csv.0123abcd5.tmp"};
  for (const QString& name : stale + kept) {
    data.Write(name, "x");
    data.Age(name, name == kept.first() ? 5 * 60 : 11 * 60);  // the first is young
  }
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("export.csv")));
  Click("ToolbarButton973");
  dialogs.fileAnswers.enqueue(data.File(QStringLiteral("adressen.vcf")));
  Trigger("VCardExport1");

  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_EQ(data.Read(QStringLiteral("export.csv")), kCsv);
  for (const QString& name : stale)
    EXPECT_FALSE(data.Exists(name)) << qPrintable(name);
  for (const QString& name : kept)
    EXPECT_TRUE(data.Exists(name)) << qPrintable(name);
}

TEST_F(ExportTest, fileThatCannotBeCreated_showsTheMessage_leavesNoFile) {
  Open(kNames, kStore);
  const QString csv = data.File(QStringLiteral("export.csv"));
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.contains(QStringLiteral("export.csv"));
  });
  dialogs.fileAnswers.enqueue(csv);
  Click("ToolbarButton973");
  store::SetFaultHook({});

  EXPECT_EQ(dialogs.Texts(), QStringList{store::CannotCreateMessage(csv)});
  EXPECT_TRUE(store::CannotCreateMessage(csv).startsWith("Datei "));
  EXPECT_EQ(QDir(data.Path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"adresse.qdx", "names.qdx"}));
}

}  // namespace
}  // namespace mainwindowtest
