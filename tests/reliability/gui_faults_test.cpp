// The main window under a failing disk: for each command that writes, the user sees the
// German message, the files are as before (or whole and consistent), and once the fault is
// gone the same window completes the command.
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "store/datafiles.h"
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"

namespace {

using store::FileOp;

QByteArray Section(const char* key, const char* name, const char* first, const char* ort = "") {
  return QByteArray("[") + key + "]\r\nVorname=" + first + "\r\nName=" + name +
         "\r\nPosition=\r\nKurzzeichen=\r\nFirma=\r\nStrasse=\r\nPLZ=\r\nOrt=" + ort +
         "\r\nTelefon1=\r\nTelefon2=\r\nFax=\r\nHandy=\r\nEMail=\r\nKurzwahl=\r\nIRuf=\r\n";
}

const QByteArray kNames = "Abel,Karl\r\nMeier,Anna\r\n";
const QByteArray kStore = Section("Abel,Karl", "Abel", "Karl") +
                          Section("Meier,Anna", "Meier", "Anna", "K\xF6ln") +
                          Section("Alt,Otto", "Alt", "Otto");
const QByteArray kSecure = "Alt,Otto\r\n";

class WindowFaultTest : public mainwindowtest::MainWindowTest {
 protected:
  void OpenFixture() {
    data.Write("secure.qdx", kSecure);
    Open(kNames, kStore);
  }
  // From now on every `op` on the file `name` fails, as on a full disk, a file another
  // program holds, or a file the user may not write.
  void Fail(FileOp op, const char* name) {
    store::SetFaultHook([op, name](FileOp o, const QString& path) {
      return o == op && path.endsWith(QLatin1Char('/') + QLatin1String(name));
    });
    ++faults;
  }
  void Heal() { store::SetFaultHook({}); }

  QString Path(const char* name) const { return data.File(QLatin1String(name)); }
  QByteArray Secure() const { return data.Read("secure.qdx"); }
  QString LastMessage() const {
    return dialogs.boxes.isEmpty() ? QString() : dialogs.boxes.last().text;
  }
  bool EntryUnderway() const { return Find<QWidget>("Button1")->isEnabled(); }
  int Row(const QString& entry) const { return int(Entries().indexOf(entry)); }
  void ExpectFilesUnchanged() const {
    EXPECT_EQ(Names(), kNames);
    EXPECT_EQ(Store(), kStore);
    EXPECT_EQ(Secure(), kSecure);
  }

  // Opens the restore dialog from the menu, ticks `key` and presses "&Wiederherstellen".
  void RestoreFromDialog(const QString& key) {
    dialogs.modalAnswers.enqueue([key](QDialog& dialog) {
      auto* list = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
      for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == key)
          list->item(row)->setCheckState(Qt::Checked);
      }
      dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
      return dialog.result();
    });
    Trigger("G1");
  }

  int faults = 0;
};

TEST_F(WindowFaultTest, saveNewRecord_diskFull_entryKeptAsTyped_savedOnceFreed) {
  OpenFixture();
  Click("ToolbarButton971");
  FillNames("Neu", "Nina");
  Type(store::kOrt, QString::fromUtf8("Köln"));
  Fail(FileOp::Write, "adresse.qdx");
  Click("Button1");
  EXPECT_EQ(LastMessage(), store::CannotWriteMessage(Path("adresse.qdx")));
  EXPECT_EQ(dialogs.boxes.last().icon, platform::Icon::Critical);
  ExpectFilesUnchanged();
  EXPECT_TRUE(EntryUnderway());
  EXPECT_EQ(Edit(store::kName)->text(), "Neu");
  EXPECT_EQ(Edit(store::kOrt)->text(), QString::fromUtf8("Köln"));
  EXPECT_EQ(Row("Neu,Nina"), -1);

  Heal();
  Click("Button1");
  EXPECT_FALSE(EntryUnderway());
  EXPECT_NE(Row("Neu,Nina"), -1);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nMeier,Anna\r\nNeu,Nina\r\n"));
  EXPECT_TRUE(Store().endsWith(Section("Neu,Nina", "Neu", "Nina", "K\xF6ln")));
}

TEST_F(WindowFaultTest, saveEditedRecord_nameIndexBusy_recordStaysInTheStore_listedOnRetry) {
  OpenFixture();
  ClickRow(Row("Meier,Anna"));
  Click("ToolbarButton972");
  ASSERT_TRUE(EntryUnderway());
  Type(store::kOrt, "Bonn");
  // The record store is written, then the name index cannot be replaced.
  Fail(FileOp::Rename, "names.qdx");
  Click("Button1");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(Path("names.qdx")));
  EXPECT_TRUE(EntryUnderway());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));  // as the edit left it: whole

  Heal();
  Click("Button1");
  EXPECT_FALSE(EntryUnderway());
  EXPECT_EQ(Names(), kNames);
  EXPECT_EQ(Store(), Section("Abel,Karl", "Abel", "Karl") +
                         Section("Meier,Anna", "Meier", "Anna", "Bonn") +
                         Section("Alt,Otto", "Alt", "Otto"));
}

TEST_F(WindowFaultTest, startEdit_nameIndexBusy_staysBrowsing_editsOnceFreed) {
  OpenFixture();
  ClickRow(Row("Meier,Anna"));
  Fail(FileOp::Rename, "names.qdx");
  Click("ToolbarButton972");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(Path("names.qdx")));
  EXPECT_FALSE(EntryUnderway());
  EXPECT_NE(Row("Meier,Anna"), -1);
  EXPECT_TRUE(List()->isEnabled());
  ExpectFilesUnchanged();

  Heal();
  ClickRow(Row("Meier,Anna"));
  Click("ToolbarButton972");
  EXPECT_TRUE(EntryUnderway());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
}

TEST_F(WindowFaultTest, cancelEdit_nameIndexFull_entryStaysOpen_recordListedAgainOnRetry) {
  OpenFixture();
  ClickRow(Row("Meier,Anna"));
  Click("ToolbarButton972");
  ASSERT_TRUE(EntryUnderway());
  Fail(FileOp::Write, "names.qdx");
  Click("ToolbarButton9711");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(Path("names.qdx")));
  // The record would be listed nowhere if the window gave up the entry now.
  EXPECT_TRUE(EntryUnderway());
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));

  Heal();
  Click("ToolbarButton9711");
  EXPECT_FALSE(EntryUnderway());
  EXPECT_NE(Row("Meier,Anna"), -1);
  ExpectFilesUnchanged();
}

TEST_F(WindowFaultTest, delete_deletedRecordsFileNotCreatable_recordStaysListed_deletedOnceFreed) {
  data.Write("names.qdx", kNames);
  Open(kNames, kStore);  // no secure.qdx yet: the first delete creates it
  ClickRow(Row("Meier,Anna"));
  Fail(FileOp::Open, "secure.qdx");  // permission denied
  Click("ToolbarButton979");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(Path("secure.qdx")));
  EXPECT_NE(Row("Meier,Anna"), -1);
  EXPECT_EQ(Names(), kNames);
  EXPECT_FALSE(data.Exists("secure.qdx"));

  Heal();
  ClickRow(Row("Meier,Anna"));
  Click("ToolbarButton979");
  EXPECT_EQ(Row("Meier,Anna"), -1);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\n"));
  EXPECT_EQ(Secure(), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Store(), kStore);
}

TEST_F(WindowFaultTest, purge_recordStoreBusy_nothingErased_purgedOnceFreed) {
  OpenFixture();
  Fail(FileOp::Rename, "adresse.qdx");
  dialogs.AnswerNext("&Ja");
  Trigger("GelschteDatenstzeendgltigverwerfen1");
  EXPECT_EQ(LastMessage(), store::CannotWriteMessage(Path("adresse.qdx")));
  ExpectFilesUnchanged();

  Heal();
  dialogs.AnswerNext("&Ja");
  Trigger("GelschteDatenstzeendgltigverwerfen1");
  EXPECT_EQ(Secure(), QByteArray());
  EXPECT_EQ(Store(), Section("Abel,Karl", "Abel", "Karl") +
                         Section("Meier,Anna", "Meier", "Anna", "K\xF6ln"));
}

TEST_F(WindowFaultTest, restore_nameIndexFull_nothingMoved_restoredOnceFreed) {
  OpenFixture();
  Fail(FileOp::Write, "names.qdx");
  RestoreFromDialog("Alt,Otto");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(Path("names.qdx")));
  ExpectFilesUnchanged();
  EXPECT_EQ(Row("Alt,Otto"), -1);

  Heal();
  RestoreFromDialog("Alt,Otto");
  EXPECT_NE(Row("Alt,Otto"), -1);
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nAlt,Otto\r\nMeier,Anna\r\n"));
  EXPECT_EQ(Secure(), QByteArray());
}

TEST_F(WindowFaultTest, restore_cutShortAfterTheNameIndex_completedByRestoringAgain) {
  OpenFixture();
  Fail(FileOp::Rename, "secure.qdx");
  RestoreFromDialog("Alt,Otto");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(Path("secure.qdx")));
  // The name index is written first, so the record is listed (and shown) rather than lost.
  EXPECT_NE(Row("Alt,Otto"), -1);
  EXPECT_EQ(Secure(), kSecure);

  Heal();
  const qsizetype shown = dialogs.boxes.size();
  RestoreFromDialog("Alt,Otto");
  EXPECT_EQ(dialogs.boxes.size(), shown) << LastMessage().toStdString();
  EXPECT_EQ(Names(), QByteArray("Abel,Karl\r\nAlt,Otto\r\nMeier,Anna\r\n"));
  EXPECT_EQ(Secure(), QByteArray());
}

TEST_F(WindowFaultTest, csvExport_targetBusy_oldFileKept_writtenOnceFreed) {
  OpenFixture();
  const QString target = data.File("export.csv");
  data.Write("export.csv", "alt\r\n");
  Fail(FileOp::Rename, "export.csv");
  dialogs.fileAnswers.enqueue(target);
  Click("ToolbarButton973");
  EXPECT_EQ(LastMessage(), store::CannotCreateMessage(target));
  EXPECT_EQ(data.Read("export.csv"), QByteArray("alt\r\n"));
  EXPECT_EQ(QDir(data.Path()).entryList(QDir::Files | QDir::Hidden).size(), 4);  // no leftovers

  Heal();
  dialogs.fileAnswers.enqueue(target);
  Click("ToolbarButton973");
  EXPECT_TRUE(data.Read("export.csv").startsWith("Vorname;Name;Position;"));
  EXPECT_EQ(data.Read("export.csv").count("\r\n"), 3);
}

TEST_F(WindowFaultTest, recordDisplay_storeUnreadable_messageOnce_showsTheRecordOnceReadable) {
  OpenFixture();
  Fail(FileOp::Read, "adresse.qdx");
  ClickRow(Row("Meier,Anna"));
  EXPECT_EQ(dialogs.Texts().count(store::StoreProbeFailureMessage()), 1);
  EXPECT_EQ(Edit(store::kName)->text(), "Error");

  Heal();
  ClickRow(Row("Abel,Karl"));
  ClickRow(Row("Meier,Anna"));
  EXPECT_EQ(Edit(store::kOrt)->text(), QString::fromUtf8("Köln"));
  EXPECT_EQ(dialogs.Texts().count(store::StoreProbeFailureMessage()), 1);
}

}  // namespace
