// Saving a record from the main window, and the question asked when it closes during an entry.
#include <QLineEdit>
#include <QToolButton>
#include <QTreeView>

#include "mainwindow/entrycheck.h"
#include "mainwindow/tform1.h"
#include "store/datafiles.h"
#include "store/recordkey.h"
#include "store/usererror.h"

namespace {

const char* const kNamesRequired = "Die Felder \"Vorname\" und \"Name\" müßen Daten enthalten";
const char* const kKeyExists = "Datensatz für diese Person existiert bereits!";
const char* const kKeyUnlisted =
    "Datensatz für diese Person existiert bereits! Er steht nicht in der Liste, weil er gerade "
    "an einem anderen Arbeitsplatz bearbeitet wird oder verwaist ist. Verwaiste Datensätze "
    "nimmt \"Verwaiste Datensätze wiederherstellen\" wieder in die Liste auf.";
const char* const kSaveQuestion = "Soll die bearbeitete Kundendatei gespeichert werden ?";

}  // namespace

// Text pasted from some programs comes decomposed: a "u" followed by a combining diaeresis,
// which the record store's code page cannot hold although it holds "ü". Composed, it is the
// same text to the reader; the fields show what is then checked and saved.
void TForm1::ComposeEditTexts() {
  for (QLineEdit* edit : edits_) {
    const QString composed = edit->text().normalized(QString::NormalizationForm_C);
    if (composed != edit->text())
      edit->setText(composed);
  }
}

store::RecordValues TForm1::EditValues() const {
  store::RecordValues values;
  for (int i = 0; i < store::kFieldCount; ++i)
    values[i] = edits_[i]->text();
  return values;
}

void TForm1::Button1Click() {
  SaveEntry();
}

bool TForm1::SaveEntry() {
  if (!EntryUnderway())
    return false;
  platform::Dialogs& dialogs = platform::Dialogs::Get();
  ComposeEditTexts();
  const store::RecordValues values = EditValues();
  if (values[store::kVorname].isEmpty() || values[store::kName].isEmpty()) {
    dialogs.Message(this, QString::fromUtf8(kNamesRequired));
    edits_[store::kVorname]->setFocus();
    return false;
  }
  if (const auto refusal = mainwindow::CheckEntry(values)) {
    dialogs.Message(this, refusal->message);
    QLineEdit* edit = edits_[refusal->field];
    edit->setFocus();
    edit->setCursorPosition(int(refusal->position));
    return false;
  }
  const QString key = store::FormRecordKey(values[store::kName], values[store::kVorname]);
  if (!WriteRecord(key, values))
    return false;
  EnterBrowsingState();
  return true;
}

bool TForm1::WriteRecord(const QString& key, const store::RecordValues& values) {
  platform::Dialogs& dialogs = platform::Dialogs::Get();
  try {
    // The duplicate test reads the name index as it is on disk now and ignores letter case,
    // because the record store matches section names that way: a key that differs from a
    // live one only in case would overwrite that record. Nor may the save overwrite a record
    // that another workstation is editing: only the record under edit here is overwritten.
    const auto outcome = book_->Files().SaveRecord(key, values, &editKey_);
    if (outcome == store::DataFiles::SaveOutcome::KeyExists) {
      dialogs.Message(this, QString::fromUtf8(kKeyExists));
      return false;
    }
    if (outcome == store::DataFiles::SaveOutcome::KeyUnlisted) {
      dialogs.Message(this, QString::fromUtf8(kKeyUnlisted));
      return false;
    }
  } catch (const store::UserError& error) {
    dialogs.Error(this, error.message());
    return false;
  }
  // The record under edit is saved now, under its old key or a new one; an old key that was
  // changed stays unlisted.
  editKey_.clear();
  ListSavedKey(key);
  return true;
}

void TForm1::ListSavedKey(const QString& key) {
  // The company view keeps Button3 down when it was entered from the internal-number view, but
  // its list holds plain keys.
  if (Button3->isChecked() && TreeView1->isHidden()) {
    Button3Click();  // the internal-number view is built again from the files
  } else {
    InsertListEntry(key);
  }
}

bool TForm1::FormCloseQuery() {
  if (!EntryUnderway())
    return true;
  switch (platform::Dialogs::Get().Confirm(this, QString::fromUtf8(kSaveQuestion), true)) {
    case platform::Answer::Cancel:
      return false;
    case platform::Answer::Yes:
      // A refused or failed save keeps the window open with the entry as typed; closing
      // would throw the input away.
      return SaveEntry();
    case platform::Answer::No:
      break;
  }
  // The record under edit is listed again before the window goes; if that fails the window
  // stays open.
  return RelistEditedRecord();
}
