// Saving and opening reports through the window.
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSet>
#include <QTableView>

#include "reports/companion.h"
#include "reports/rtf.h"
#include "store/fileio.h"
#include "store/messages.h"
#include "tests/reports/form8_fixture.h"

using namespace reporttest;

namespace {

class ReportFiles : public Form8Test {
 public:
  // Two fields ("Name", "Ort") of the three records.
  void BuildSmallReport() {
    Show();
    NewReport();
    Click("CheckBox2");
    SetChecked("CheckListBox1", 0, true);
    SetChecked("CheckListBox1", 7, true);
    Build();
  }
  void TearDown() override { store::SetFaultHook({}); }
};

}  // namespace

TEST_F(ReportFiles, saveThenOpen_restoresLinesAndEveryCell) {
  BuildSmallReport();
  const QStringList lines = form->BlockLines();
  const reports::Grid grid = form->GridData();
  SaveAs(dir.File("bericht"));  // no extension: ".txt" is added
  EXPECT_FALSE(form->BlockModified());
  ASSERT_TRUE(dir.Exists("bericht.txt"));
  EXPECT_TRUE(dir.Read("bericht.txt").startsWith("{\\rtf1"));
  EXPECT_EQ(dir.Read("bericht.sgr"),
            QByteArray("[0]\r\n0=\r\n1=1\r\n2=2\r\n3=3\r\n"
                       "[1]\r\n0=Name\r\n1=Beck\r\n2=M\xfcller\r\n3=Zander\r\n"
                       "[2]\r\n0=Ort\r\n1=Beck-Ort\r\n2=M\xfcller-Ort\r\n3=Zander-Ort\r\n"
                       "[xxx]\r\ncol=3\r\nrow=4\r\n"));

  dialogs.AnswerNext("&Nein");
  NewReport();
  Open(dir.File("bericht.txt"));
  EXPECT_EQ(form->BlockLines(), lines);
  EXPECT_EQ(form->GridData(), grid);
  EXPECT_FALSE(form->BlockModified());
}

// Values at the store's limit of 1023 characters, holding what Rich Text Format escapes and
// what the profile service could cut, come back exactly: the last character of the longest
// value is where a cut one short would fall.
TEST_F(ReportFiles, valuesAtTheirLimitWithEscapedCharacters_comeBackExactly) {
  StoredRecord full{"Voll,Anna", {}};
  for (const char* key :
       {"Vorname", "Name", "Position", "Kurzzeichen", "Firma", "Strasse", "PLZ", "Ort", "Telefon1",
        "Telefon2", "Fax", "Handy", "EMail", "Kurzwahl", "IRuf"}) {
    full.values.append(
        {key, QString(1000, QChar(0xE4)) + "{\\}\t\u20ac[x]=;\"" + QString(11, 'z') + "!"});
  }
  ASSERT_EQ(full.values[0].second.size(), 1023);
  StoredRecord odd{"B{r}ace\\,Tab\tX", {{"Vorname", "Tab\tX"}, {"Name", "B{r}ace\\"}}};
  dir.Write("adresse.qdx", StoreBytes({full, odd}));
  mainList = {"B{r}ace\\,Tab\tX", "Voll,Anna"};
  Show();
  NewReport();
  Build();
  const QStringList lines = form->BlockLines();
  const reports::Grid grid = form->GridData();
  ASSERT_TRUE(lines.contains("Interne Rufnummer: " + full.values[0].second));
  ASSERT_EQ(grid.Cell(15, 2), full.values[0].second);

  SaveAs(dir.File("r.txt"));
  NewReport();
  Open(dir.File("r.txt"));
  EXPECT_EQ(form->BlockLines(), lines);
  EXPECT_EQ(form->GridData().Cells(), grid.Cells());
  EXPECT_EQ(form->GridColumnCount(), 16);
  EXPECT_EQ(form->GridRowCount(), 3);
}

TEST_F(ReportFiles, dialogs_filterSuffixOverwriteQuestionAndLastName) {
  BuildSmallReport();
  SaveAs(dir.File("a.txt"));
  Click("ToolbarButton975");  // cancelled
  ASSERT_EQ(dialogs.fileDialogs.size(), 2);
  const platform::FileDialogSpec& save = dialogs.fileDialogs[1];
  EXPECT_EQ(save.filter, "Textdatei (*.txt)");
  EXPECT_EQ(save.defaultSuffix, "txt");
  EXPECT_TRUE(save.confirmOverwrite);
  EXPECT_EQ(dialogs.fileDialogs[0].initialPath, "");
  EXPECT_EQ(save.initialPath, dir.File("a.txt"));

  Click("ToolbarButton974");  // cancelled: nothing changes
  const platform::FileDialogSpec& open = dialogs.fileDialogs[2];
  EXPECT_EQ(open.filter, "Textdatei (*.txt)");
  EXPECT_TRUE(open.fileMustExist);
  EXPECT_EQ(open.initialPath, "");
  EXPECT_EQ(form->GridRowCount(), 4);
}

TEST_F(ReportFiles, resetGrid_savedAsTwoByTwoEmptyCompanion) {
  Show();
  NewReport();
  SaveAs(dir.File("leer.txt"));
  EXPECT_EQ(dir.Read("leer.sgr"),
            QByteArray("[0]\r\n0=\r\n1=\r\n[1]\r\n0=\r\n1=\r\n[xxx]\r\ncol=2\r\nrow=2\r\n"));
  EXPECT_TRUE(reports::ReadRtfLines(dir.Read("leer.txt")).isEmpty());
}

TEST_F(ReportFiles, savingOverLargerReport_keepsExtraKeys_openReadsOnlyCounts) {
  Show();
  NewReport();
  Build();  // all fifteen fields, three records: 16 columns, 4 rows
  SaveAs(dir.File("r.txt"));
  dialogs.AnswerNext("&Nein");
  NewReport();
  Click("CheckBox2");
  SetChecked("CheckListBox1", 7, true);
  SetChecked("CheckListBox2", 0, false);
  SetChecked("CheckListBox2", 1, false);
  Build();
  SaveAs(dir.File("r.txt"));
  const QByteArray companion = dir.Read("r.sgr");
  EXPECT_TRUE(companion.contains("[15]\r\n0=Int. Rufnr.\r\n"));
  EXPECT_TRUE(companion.contains("[1]\r\n0=Ort\r\n1=Zander-Ort\r\n2=M\xfcller\r\n"));
  EXPECT_TRUE(companion.endsWith("[xxx]\r\ncol=2\r\nrow=2\r\n"));

  Open(dir.File("r.txt"));
  EXPECT_EQ(form->GridColumnCount(), 2);
  EXPECT_EQ(form->GridRowCount(), 2);
  EXPECT_EQ(form->GridCell(1, 1), "Zander-Ort");
}

TEST_F(ReportFiles, textWithoutCompanion_linesAndOneUnfixedErrorCell) {
  dir.Write("notiz.txt",
            "Zeile 1\r\nStra\xdf"
            "e\r\n");
  Show();
  Open(dir.File("notiz.txt"));
  EXPECT_EQ(form->BlockLines(), QStringList({"Zeile 1", "Stra\u00dfe"}));
  EXPECT_EQ(form->GridColumnCount(), 1);
  EXPECT_EQ(form->GridRowCount(), 1);
  EXPECT_EQ(form->GridCell(0, 0), "Error");
  auto* grid = Get<QTableView>("StringGrid1");
  EXPECT_FALSE(grid->horizontalHeader()->isVisible());
  EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "Error");
}

TEST_F(ReportFiles, hostileCompanion_openedWithoutExhaustingMemory) {
  dir.Write("h.txt", "x\r\n");
  dir.Write("h.sgr", "[xxx]\r\ncol=2147483647\r\nrow=2147483647\r\n[0]\r\n0=a\r\n");
  Show();
  Open(dir.File("h.txt"));
  EXPECT_EQ(form->GridColumnCount(), 1);
  EXPECT_EQ(form->GridRowCount(), 1);
  EXPECT_EQ(form->GridCell(0, 0), "a");
}

TEST_F(ReportFiles, companionNotWritable_nothingWrittenModifiedKept) {
  BuildSmallReport();
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Open && path.endsWith(".sgr");
  });
  dialogs.fileAnswers.enqueue(dir.File("r.txt"));
  Click("ToolbarButton975");
  EXPECT_EQ(dialogs.Texts(), QStringList({store::CannotWriteMessage(dir.File("r.sgr"))}));
  EXPECT_FALSE(dir.Exists("r.txt"));
  EXPECT_TRUE(form->BlockModified());
}

TEST_F(ReportFiles, textNotCreatable_companionWrittenModifiedKept) {
  BuildSmallReport();
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Rename && path.endsWith(".txt");
  });
  SaveAs(dir.File("r.txt"));
  EXPECT_EQ(dialogs.Texts(), QStringList({store::CannotCreateMessage(dir.File("r.txt"))}));
  EXPECT_TRUE(dir.Exists("r.sgr"));
  EXPECT_FALSE(dir.Exists("r.txt"));
  EXPECT_TRUE(form->BlockModified());
}

// A report is a pair: a text file that cannot be replaced (a full disk, a link to a share that
// dropped out, a file made read-only) must not leave its old blocks beside a new table.
TEST_F(ReportFiles, textCannotBeWritten_oldReportKeepsItsTable) {
  BuildSmallReport();
  SaveAs(dir.File("r.txt"));
  const QByteArray oldText = dir.Read("r.txt");
  const QByteArray oldCompanion = dir.Read("r.sgr");
  SetChecked("CheckListBox1", 7, false);
  Trigger("AusmarkiertenDatenBerichterstellen1");

  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.endsWith(".txt");
  });
  SaveAs(dir.File("r.txt"));
  EXPECT_EQ(dialogs.Texts(), QStringList({store::CannotCreateMessage(dir.File("r.txt"))}));
  EXPECT_EQ(dir.Read("r.txt"), oldText);
  EXPECT_EQ(dir.Read("r.sgr"), oldCompanion);
  EXPECT_TRUE(form->BlockModified());
  store::SetFaultHook({});

  // The same report saved over a link whose file has gone.
  ASSERT_TRUE(QFile::link(dir.File("gone/r.txt"), dir.File("l.txt")));
  dir.Write("l.sgr", oldCompanion);
  SaveAs(dir.File("l.txt"));
  EXPECT_EQ(dialogs.Texts().last(), store::CannotCreateMessage(dir.File("l.txt")));
  EXPECT_EQ(dir.Read("l.sgr"), oldCompanion);
  EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::System),
            QStringList({"adresse.qdx", "l.sgr", "l.txt", "r.sgr", "r.txt"}));  // no leftovers
  EXPECT_TRUE(form->BlockModified());
}

// A report named like a companion would be its own companion: the text would replace the
// table just written, and the save would still say nothing.
TEST_F(ReportFiles, nameOfItsOwnCompanion_refusedNothingWritten) {
  BuildSmallReport();
  SaveAs(dir.File("bericht.sgr"));
  EXPECT_EQ(dialogs.Texts(), QStringList({store::CannotCreateMessage(dir.File("bericht.sgr"))}));
  EXPECT_FALSE(dir.Exists("bericht.sgr"));
  EXPECT_TRUE(form->BlockModified());

  // Saved under a name of its own, the same report is written whole.
  SaveAs(dir.File("bericht.txt"));
  EXPECT_FALSE(form->BlockModified());
  Open(dir.File("bericht.txt"));
  EXPECT_EQ(form->GridRowCount(), 4);
}

// A save that crashed halfway leaves its temporary files beside the report; the next save
// there removes them once they are old, and nothing that is not this program's own.
TEST_F(ReportFiles, crashLeftoversBesideTheReport_removedByTheNextSave) {
  BuildSmallReport();
  const QStringList stale = {"bericht.txt.0123abcd5.tmp", "bericht.sgr.deadbeef1f.tmp"};
  const QStringList kept = {"bericht.txt.12345678a.tmp", "anderes.txt.0123abcd5.tmp",
                            "bericht.txt.tmp"};
  for (const QString& name : stale + kept) {
    dir.Write(name, "x");
    dir.Age(name, name == kept.first() ? 5 * 60 : 11 * 60);  // the first is young
  }
  SaveAs(dir.File("bericht.txt"));
  EXPECT_FALSE(form->BlockModified());
  for (const QString& name : stale)
    EXPECT_FALSE(dir.Exists(name)) << qPrintable(name);
  for (const QString& name : kept)
    EXPECT_TRUE(dir.Exists(name)) << qPrintable(name);
}

// A report saved under the name of a data file (its own, or its companion's) would replace
// the address book: refused, nothing written, the report still unsaved.
TEST_F(ReportFiles, nameOfADataFile_refusedTheAddressBookStaysWhole) {
  BuildSmallReport();
  dir.Write("names.qdx", "Beck,Bea\r\nZander,Zoe\r\n");
  const QByteArray store = dir.Read("adresse.qdx");
  const QByteArray names = dir.Read("names.qdx");
  QFile::link(dir.File("names.qdx"), dir.File("liste.txt"));
  QFile::link(dir.File("names.qdx"), dir.File("tabelle.sgr"));  // the companion of tabelle.txt
  for (const QString& name : {QStringLiteral("adresse.qdx"), QStringLiteral("liste.txt"),
                              QStringLiteral("tabelle.txt")}) {
    dialogs.boxes.clear();
    SaveAs(dir.File(name));
    ASSERT_EQ(dialogs.boxes.size(), 1) << name.toStdString();
    EXPECT_TRUE(dialogs.Texts().first().contains(QString::fromUtf8("gehört zum Adressbuch")));
    EXPECT_TRUE(form->BlockModified());
  }
  EXPECT_EQ(dir.Read("adresse.qdx"), store);
  EXPECT_EQ(dir.Read("names.qdx"), names);
  EXPECT_FALSE(dir.Exists("adresse.sgr"));
  EXPECT_FALSE(dir.Exists("tabelle.txt"));
}

TEST_F(ReportFiles, unreadableText_messageAfterRetries_blockKeepsText_companionStillRead) {
  BuildSmallReport();
  SaveAs(dir.File("r.txt"));
  const QStringList lines = form->BlockLines();
  int attempts = 0;
  store::SetFaultHook([&](store::FileOp op, const QString& path) {
    if (op != store::FileOp::Read || !path.endsWith(".txt"))
      return false;
    ++attempts;
    return true;
  });
  Open(dir.File("r.txt"));
  EXPECT_EQ(attempts, 6000);
  EXPECT_EQ(dialogs.Texts(), QStringList({store::LoadFailureMessage()}));
  EXPECT_EQ(form->BlockLines(), lines);
  EXPECT_EQ(form->GridRowCount(), 4);
  EXPECT_FALSE(form->BlockModified());
}

// Building, saving and opening a report work under the wait cursor: for every record of a
// large address book each takes seconds. None is left behind.
TEST_F(ReportFiles, buildSaveAndOpen_workUnderTheWaitCursor) {
  QSet<Qt::CursorShape> seen;
  store::SetFaultHook([&](store::FileOp op, const QString&) {
    if (op == store::FileOp::Read || op == store::FileOp::Write) {
      const QCursor* cursor = QGuiApplication::overrideCursor();
      seen.insert(cursor ? cursor->shape() : Qt::ArrowCursor);
    }
    return false;
  });
  BuildSmallReport();
  EXPECT_EQ(seen, QSet<Qt::CursorShape>{Qt::WaitCursor}) << "build";
  seen.clear();
  SaveAs(dir.File("bericht.txt"));
  EXPECT_EQ(seen, QSet<Qt::CursorShape>{Qt::WaitCursor}) << "save";
  seen.clear();
  Open(dir.File("bericht.txt"));
  EXPECT_EQ(seen, QSet<Qt::CursorShape>{Qt::WaitCursor}) << "open";
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
