// The main window on data files damaged elsewhere (a disk, a share, an editor, a backup
// restored by halves): every record the files still hold stays reachable, and the program's
// own commands lead back to a sound address book without losing or doubling a line.
#include <QDialog>

#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kAlt = Person("Alt", "Bea", "A");
const QByteArray kBerg = Person("Berg", "Ute", "B");
const QByteArray kCarl = Person("Carl", "Max", "C");
const QByteArray kDorn = Person("Dorn", "Ida", "D");

class DamagedFilesTest : public MainWindowTest {
 protected:
  QByteArray Secure() const { return data.Read(QStringLiteral("secure.qdx")); }
  // Opens the orphan dialog, ticks the entries given and restores them.
  void RestoreOrphans(const QStringList& ticked) {
    AnswerRestoreDialog(ticked);
    Trigger("VerwaisteDatenstzewiederherstellen1");
  }
  // Edits the record at row: a new town, saved with F12.
  void EditTown(int row, const QString& town) {
    ClickRow(row);
    Trigger("Datensatzbearbeiten1");
    Type(store::kOrt, town);
    Trigger("Dateneingabebeenden1");
  }
  void Purge() {
    dialogs.AnswerNext(QStringLiteral("&Ja"));
    Trigger("GelschteDatenstzeendgltigverwerfen1");
  }
};

// An editor that leaves a tab at the end or the start of a key: the record store reads a
// header's name without blanks and tabs at its ends, so the key still names the record.
TEST_F(DamagedFilesTest, nameIndexKeyWithTabsAround_showsItsRecord_andAnEditSavesIntoIt) {
  Open("Alt,Bea\t\r\n\tBerg,Ute\r\n", kAlt + kBerg);
  const int alt = int(Entries().indexOf("Alt,Bea\t"));
  const int berg = int(Entries().indexOf("\tBerg,Ute"));
  ASSERT_TRUE(alt >= 0 && berg >= 0);
  ClickRow(alt);
  EXPECT_EQ(Edit(store::kFirma)->text(), "A");
  ClickRow(berg);
  EXPECT_EQ(Edit(store::kFirma)->text(), "B");

  EditTown(berg, "Xdorf");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Store(), kAlt + Person("Berg", "Ute", "B").replace("Ort=\r\n", "Ort=Xdorf\r\n"));
  EXPECT_EQ(Names(), "Alt,Bea\t\r\nBerg,Ute\r\n");

  // The views read many records at once, and find the same ones.
  Click("ToolbarButton9712");
  QStringList companies;
  for (int i = 0; i < Nodes()->rowCount(Root()); ++i)
    companies.append(Nodes()->index(i, 0, Root()).data().toString());
  EXPECT_EQ(companies, (QStringList{"A", "B"}));
}

// A key line whose end the record store does not take for a blank (a vertical tab, a form
// feed) names no section: its record reads "Error" in every field, so the orphan dialog must
// offer the section, or nothing in the program reaches it.
TEST_F(DamagedFilesTest, nameIndexKeyEndingInAControlCharacter_itsRecordIsOfferedAsOrphan) {
  Open("Alt,Bea\r\nBerg,Ute\v\r\nCarl,Max\f\r\n", kAlt + kBerg + kCarl);
  ClickRow(1);
  ASSERT_EQ(Edit(store::kFirma)->text(), "Error");

  RestoreOrphans({"Berg,Ute", "Carl,Max"});
  EXPECT_EQ(restoreDialogEntries, (QStringList{"Berg,Ute", "Carl,Max"}));
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\nBerg,Ute\v\r\nCarl,Max\r\nCarl,Max\f\r\n");
  const int row = int(Entries().indexOf("Berg,Ute"));
  ASSERT_GE(row, 0);
  ClickRow(row);
  EXPECT_EQ(Edit(store::kFirma)->text(), "B");
}

// Entries pasted from the internal-number view into the name index ("Alt,Bea @ 12"): the
// program saves no key with "@", so such a line names no record. It shows as one that reads
// "Error", and delete, purge and the orphan dialog lead back to the record under its key.
TEST_F(DamagedFilesTest, nameIndexLineWithDecoration_canBeDeleted_andItsRecordRelisted) {
  Open("Alt,Bea @ 12\r\nBerg,Ute\r\n", kAlt + kBerg);
  ClickRow(0);
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Edit(store::kFirma)->text(), "Error");
  Trigger("Lschen2");
  EXPECT_EQ(Names(), "Berg,Ute\r\n");
  EXPECT_EQ(Secure(), "Alt,Bea @ 12\r\n");

  Purge();
  RestoreOrphans({"Alt,Bea"});
  EXPECT_EQ(restoreDialogEntries, QStringList{"Alt,Bea"});
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\n");
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Store(), kAlt + kBerg);
  ClickRow(0);
  EXPECT_EQ(Edit(store::kFirma)->text(), "A");
  EXPECT_EQ(dialogs.boxes.size(), 1);  // the purge's question
}

// Lists that an editor saved as UTF-16 (Notepad's "Unicode"), with their byte-order marks:
// read as the keys they hold, not as keys with a NUL between every two letters, and written
// back in the program's own form by the next change.
TEST_F(DamagedFilesTest, listsSavedAsUtf16_listTheirKeys_andAChangeWritesThemBack) {
  const QString names = QString::fromUtf8("Alt,Bea\r\nM\u00fcller,J\u00f6rg\r\n");
  QByteArray littleEndian("\xFF\xFE");
  QByteArray bigEndian("\xFE\xFF");
  for (const QChar c : names) {
    littleEndian += char(c.unicode() & 0xFF);
    littleEndian += char(c.unicode() >> 8);
  }
  for (const QChar c : QStringLiteral("Berg,Ute\r\n")) {
    bigEndian += char(c.unicode() >> 8);
    bigEndian += char(c.unicode() & 0xFF);
  }
  data.Write("secure.qdx", bigEndian);
  Open(littleEndian, kAlt + kBerg + Person("M\xfcller", "J\xf6rg", "M"));
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", QString::fromUtf8("M\u00fcller,J\u00f6rg")}));
  ClickRow(1);
  EXPECT_EQ(Edit(store::kFirma)->text(), "M");

  RestoreOrphans({});
  EXPECT_TRUE(restoreDialogEntries.isEmpty()) << restoreDialogEntries.join('|').toStdString();
  ClickRow(0);
  Trigger("Lschen2");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Names(), "M\xfcller,J\xf6rg\r\n");
  EXPECT_EQ(Secure(), "Berg,Ute\r\nAlt,Bea\r\n");
}

// A record store that an editor saved as UTF-16: no record in it can be read, and a save or
// a purge is refused with a message that says why and what to do, rather than writing
// Windows-1252 sections into it that no editor could turn back.
TEST_F(DamagedFilesTest, recordStoreSavedAsUtf16_changesRefusedWithAClearMessage_fileKept) {
  QByteArray utf16("\xFF\xFE");
  for (const char c : kAlt) {
    utf16 += c;
    utf16 += '\0';
  }
  data.Write("secure.qdx", "Alt,Bea\r\n");
  Open("Berg,Ute\r\n", utf16);
  Click("ToolbarButton971");
  FillNames("Carl", "Max");
  Trigger("Dateneingabebeenden1");
  const QString message = store::Utf16StoreMessage(data.Path() + "/adresse.qdx");
  EXPECT_EQ(dialogs.Texts(), QStringList{message});
  ExpectEntryIntact(store::kName, "Carl");
  Trigger("Dateneingabeabbrechen1");

  Purge();
  EXPECT_EQ(dialogs.Texts().last(), message);
  EXPECT_EQ(Store(), utf16);
  EXPECT_EQ(Names(), "Berg,Ute\r\n");
  EXPECT_EQ(Secure(), "Alt,Bea\r\n");
}

// Lines cut short, a NUL from a bad sector and Mac line ends: every record stays reachable
// through the list or the orphan dialog, and a delete keeps the lines it does not change.
TEST_F(DamagedFilesTest, nameIndexCutShortOrHoldingANul_recordsReachable_linesKept) {
  const QByteArray nul("Be\0rg,Ute\r\n", 11);
  Open("Carl,Max\rAlt,Bea\r" + nul + "Dor", kAlt + kBerg + kCarl + kDorn);
  EXPECT_EQ(Entries().size(), 4);

  RestoreOrphans({"Berg,Ute", "Dorn,Ida"});
  EXPECT_EQ(restoreDialogEntries, (QStringList{"Berg,Ute", "Dorn,Ida"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  ASSERT_EQ(Entries().indexOf("Alt,Bea"), 0);
  ClickRow(0);
  Trigger("Lschen2");
  EXPECT_EQ(Secure(), "Alt,Bea\r\n");
  EXPECT_TRUE(Names().contains(nul)) << Names().toStdString();
  for (const char* key : {"Berg,Ute\r\n", "Carl,Max\r\n", "Dor\r\n", "Dorn,Ida\r\n"})
    EXPECT_TRUE(Names().contains(key)) << key;
}

// A record store cut off in a header, with stray lines before the first header and between
// sections: saving keeps every byte that is not the saved record's, and a new record starts
// on a line of its own.
TEST_F(DamagedFilesTest, recordStoreWithStrayLinesAndCutHeader_savesKeepThem) {
  const QByteArray junk("\x8f\xff\x00garbage\x01\r\n=\r\n;x\r\n", 20);
  Open("Alt,Bea\r\nBerg,Ute\r\n", "Name=Stray\r\n" + kAlt + junk + kBerg + "[Carl,M");
  ClickRow(1);
  EXPECT_EQ(Edit(store::kFirma)->text(), "B");

  EditTown(1, "Xdorf");
  Click("ToolbarButton971");
  FillNames("Dorn", "Ida");
  Trigger("Dateneingabebeenden1");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  const QByteArray berg = Person("Berg", "Ute", "B").replace("Ort=\r\n", "Ort=Xdorf\r\n");
  const QByteArray kept = "Name=Stray\r\n" + kAlt + junk + berg + "[Carl,M\r\n[Dorn,Ida]";
  EXPECT_TRUE(Store().startsWith(kept)) << Store().toStdString();
}

// Last week's name index beside today's record store: a record added since is an orphan, a
// record deleted since stands in both lists. Deleting it again does not list it twice, and a
// purge erases it.
TEST_F(DamagedFilesTest, oldNameIndexBesideNewStore_orphanRelisted_doubleListedDeletedOnce) {
  data.Write("secure.qdx", "Dorn,Ida\r\n");
  Open("Alt,Bea\r\nBerg,Ute\r\nDorn,Ida\r\n", kAlt + kBerg + kCarl + kDorn);
  RestoreOrphans({"Carl,Max"});
  EXPECT_EQ(restoreDialogEntries, QStringList{"Carl,Max"});

  ASSERT_EQ(Entries().indexOf("Dorn,Ida"), 3);
  ClickRow(3);
  Trigger("Lschen2");
  EXPECT_EQ(Secure(), "Dorn,Ida\r\n");
  Purge();
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\nCarl,Max\r\n");
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Store(), kAlt + kBerg + kCarl);
}

}  // namespace
}  // namespace mainwindowtest
