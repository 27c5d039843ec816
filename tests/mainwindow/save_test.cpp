// Saving a record: the bytes written, the refusals with the entry left as typed, editing with
// and without a new name, failed writes, and the question asked when the window closes.
#include <memory>

#include "store/datafiles.h"

#include "tests/mainwindow/mainwindowfixture.h"

namespace mainwindowtest {
namespace {

using SaveTest = MainWindowTest;

const QByteArray kMeier = Section("Meier,Anna", {{store::kVorname, "Anna"},
                                                 {store::kName, "Meier"},
                                                 {store::kOrt, "K\xF6ln"},
                                                 {store::kIRuf, "123"}});

TEST_F(SaveTest, newRecordIsWrittenWholeInStoreOrderAndListedUnselected) {
  Open("Zorn,Zoe\r\n", "");
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  Type(store::kFirma, QStringLiteral("Müller & Söhne"));
  Type(store::kEMail, QStringLiteral("anna@meier.de"));
  Type(store::kIRuf, QStringLiteral("123"));
  Click("Button1");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Store(), QByteArray("[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nPosition=\r\n"
                                "Kurzzeichen=\r\nFirma=M\xFCller & S\xF6hne\r\nStrasse=\r\nPLZ=\r\n"
                                "Ort=\r\nTelefon1=\r\nTelefon2=\r\nFax=\r\nHandy=\r\n"
                                "EMail=anna@meier.de\r\nKurzwahl=\r\nIRuf=123\r\n"));
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\nZorn,Zoe\r\n"));
  EXPECT_EQ(Entries(), (QStringList{"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  EXPECT_FALSE(form->EntryUnderway());
}

TEST_F(SaveTest, saveKeepsKeysAnotherWorkstationAddedOrRemovedMeanwhile) {
  Open("Abel,Bert\r\nZorn,Zoe\r\n", "");
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  data.Write(QStringLiteral("names.qdx"), "Kurz,Karl\r\nZorn,Zoe\r\n");
  Click("Button1");
  EXPECT_EQ(Names(), QByteArray("Kurz,Karl\r\nMeier,Anna\r\nZorn,Zoe\r\n"));
}

TEST_F(SaveTest, emptyNameOrFirstNameIsRefusedWithFocusInFirstName) {
  Open("", "");
  Click("ToolbarButton971");
  Type(store::kVorname, QStringLiteral("Anna"));
  Type(store::kOrt, QStringLiteral("Bonn"));
  Click("Button1");
  EXPECT_EQ(
      dialogs.Texts(),
      QStringList{QStringLiteral("Die Felder \"Vorname\" und \"Name\" müßen Daten enthalten")});
  EXPECT_EQ(dialogs.boxes.at(0).buttons, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(dialogs.boxes.at(0).caption, QStringLiteral("Pellumo! NetworkEdition"));
  EXPECT_TRUE(Edit(store::kVorname)->hasFocus());
  ExpectEntryIntact(store::kOrt, QStringLiteral("Bonn"));
  EXPECT_TRUE(Store().isEmpty());
}

TEST_F(SaveTest, keyListedOnDiskIsRefusedIgnoringLetterCase) {
  Open("Meier,Anna\r\n", kMeier);
  for (const QString& name : {QStringLiteral("Meier"), QStringLiteral("MEIER")}) {
    dialogs.boxes.clear();
    Click("ToolbarButton971");
    FillNames(name, QStringLiteral("Anna"));
    Type(store::kOrt, QStringLiteral("Bonn"));
    Click("Button1");
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("Datensatz für diese Person existiert bereits!")});
    ExpectEntryIntact(store::kName, name);
    EXPECT_EQ(Store(), kMeier);
    EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
    Click("ToolbarButton9711");
  }
}

TEST_F(SaveTest, keyAnotherWorkstationListedMeanwhileIsRefused) {
  Open("", kMeier);
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  data.Write(QStringLiteral("names.qdx"), "Meier,Anna\r\n");
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("Datensatz für diese Person existiert bereits!")});
  EXPECT_EQ(Store(), kMeier);
}

TEST_F(SaveTest, inputTheFilesCannotHoldIsRefusedNamingTheField) {
  struct Case {
    int field;
    QString text;
    QString message;
  };
  const Case cases[] = {
      {store::kName, QStringLiteral("Mei@er"),
       QStringLiteral("Das Feld \"Name\" darf kein \"@\" enthalten.")},
      {store::kVorname, QStringLiteral("An@na"),
       QStringLiteral("Das Feld \"Vorname\" darf kein \"@\" enthalten.")},
      {store::kName, QStringLiteral("Meier]"),
       QStringLiteral("Das Feld \"Name\" darf kein \"]\" enthalten.")},
      {store::kName, QStringLiteral(" Meier"),
       QStringLiteral("Das Feld \"Name\" darf nicht mit einem Leerzeichen beginnen.")},
      {store::kVorname, QStringLiteral("Anna "),
       QStringLiteral("Das Feld \"Vorname\" darf nicht mit einem Leerzeichen enden.")},
      {store::kStrasse, QStringLiteral("Łódzka 1"),
       QStringLiteral("Das Zeichen \"Ł\" im Feld \"Straße\" kann nicht gespeichert werden. Bitte "
                      "ersetzen Sie es.")},
      {store::kEMail, QStringLiteral("a😀@b.de"),
       QStringLiteral("Das Zeichen \"😀\" im Feld \"E-Mail\" kann nicht gespeichert werden. Bitte "
                      "ersetzen Sie es.")},
  };
  Open("", "");
  for (const Case& c : cases) {
    dialogs.boxes.clear();
    Click("ToolbarButton971");
    FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
    Type(c.field, c.text);
    Click("Button1");
    EXPECT_EQ(dialogs.Texts(), QStringList{c.message});
    ExpectEntryIntact(c.field, c.text);
    EXPECT_TRUE(Edit(c.field)->hasFocus());
    EXPECT_TRUE(Store().isEmpty());
    EXPECT_TRUE(Names().isEmpty());
    Click("ToolbarButton9711");
  }
}

// Pasted text that spells "ü" as "u" and a combining diaeresis is the "ü" the files hold: it
// is saved composed, under the key it reads as; a character that does not compose into the
// code page is still refused, at its place.
TEST_F(SaveTest, decomposedLettersAreSavedComposed) {
  Open("", "");
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Mu\u0308ller"), QStringLiteral("Jo\u0308rg"));
  Type(store::kOrt, QStringLiteral("Ko\u0308ln"));
  Click("Button1");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Names(), QByteArray("M\xFCller,J\xF6rg\r\n"));
  EXPECT_TRUE(Store().startsWith("[M\xFCller,J\xF6rg]\r\nVorname=J\xF6rg\r\nName=M\xFCller\r\n"));
  EXPECT_TRUE(Store().contains("\r\nOrt=K\xF6ln\r\n"));

  Click("ToolbarButton971");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  Type(store::kOrt, QStringLiteral("Ko\u0308ln-q\u0301"));
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("Das Zeichen \"\u0301\" im Feld \"Ort\" kann nicht "
                                       "gespeichert werden. Bitte ersetzen Sie es.")});
  EXPECT_EQ(Edit(store::kOrt)->text(), QStringLiteral("K\u00f6ln-q\u0301"));
  EXPECT_EQ(Edit(store::kOrt)->cursorPosition(), 6);
}

TEST_F(SaveTest, controlCharacterIsRefused) {
  Open("", "");
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  Edit(store::kOrt)->setText(QStringLiteral("K\u00f6ln\rBonn"));
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("Das Feld \"Ort\" enthält ein Steuerzeichen, das nicht "
                                       "gespeichert werden kann. Bitte entfernen Sie es.")});
  EXPECT_TRUE(Store().isEmpty());
}

TEST_F(SaveTest, editWithoutNewNameOverwritesTheSectionInPlaceAndListsTheKeyAgain) {
  Open("Meier,Anna\r\n", kMeier + Section("Zorn,Zoe", {{store::kName, "Zorn"}}));
  ClickRow(0);
  Click("ToolbarButton972");
  Type(store::kOrt, QStringLiteral("Bonn"));
  Click("Button1");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  QByteArray expected = kMeier;
  expected.replace("Ort=K\xF6ln", "Ort=Bonn");
  EXPECT_EQ(Store(), expected + Section("Zorn,Zoe", {{store::kName, "Zorn"}}));
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Entries(), QStringList{"Meier,Anna"});
}

TEST_F(SaveTest, editWithNewNameListsTheNewKeyAndKeepsTheOldSectionUnlisted) {
  Open("Meier,Anna\r\n", kMeier);
  ClickRow(0);
  Click("ToolbarButton972");
  Type(store::kVorname, QStringLiteral("Anne"));
  Click("Button1");
  EXPECT_EQ(Store(), kMeier + Section("Meier,Anne", {{store::kVorname, "Anne"},
                                                     {store::kName, "Meier"},
                                                     {store::kOrt, "K\xF6ln"},
                                                     {store::kIRuf, "123"}}));
  EXPECT_EQ(Names(), QByteArray("Meier,Anne\r\n"));
  EXPECT_EQ(Entries(), QStringList{"Meier,Anne"});
}

TEST_F(SaveTest, editRenamedOntoAnotherListedKeyIsRefusedAndCancelListsTheOriginal) {
  Open("Abel,Bert\r\nMeier,Anna\r\n", kMeier);
  ClickRow(1);
  Click("ToolbarButton972");
  FillNames(QStringLiteral("abel"), QStringLiteral("bert"));
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("Datensatz für diese Person existiert bereits!")});
  Click("ToolbarButton9711");
  EXPECT_EQ(Names(), QByteArray("Abel,Bert\r\nMeier,Anna\r\n"));
  EXPECT_EQ(Entries(), (QStringList{"Abel,Bert", "Meier,Anna"}));
  EXPECT_EQ(Store(), kMeier);
}

// Another workstation has taken Meier,Anna into an edit (her key is out of the name index) or
// left her orphaned: a new record, or a rename, under her key must not overwrite her record.
TEST_F(SaveTest, keyOfARecordEditedElsewhere_isRefused_andThatRecordKept) {
  const QString unlisted = QStringLiteral(
      "Datensatz für diese Person existiert bereits! Er steht nicht in der Liste, weil er gerade "
      "an einem anderen Arbeitsplatz bearbeitet wird oder verwaist ist. Verwaiste Datensätze "
      "nimmt \"Verwaiste Datensätze wiederherstellen\" wieder in die Liste auf.");
  const QByteArray abel = Section("Abel,Bert", {{store::kVorname, "Bert"}, {store::kName, "Abel"}});
  Open("Abel,Bert\r\nMeier,Anna\r\n", abel + kMeier);
  data.Write(QStringLiteral("names.qdx"), "Abel,Bert\r\n");  // the edit elsewhere begins
  Click("ToolbarButton971");
  FillNames(QStringLiteral("MEIER"), QStringLiteral("Anna"));
  Type(store::kOrt, QStringLiteral("Berlin"));
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(), QStringList{unlisted});
  ExpectEntryIntact(store::kOrt, QStringLiteral("Berlin"));
  Click("ToolbarButton9711");

  dialogs.boxes.clear();
  ClickRow(0);
  Click("ToolbarButton972");  // Abel,Bert renamed into Meier,Anna
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  Click("Button1");
  EXPECT_EQ(dialogs.Texts(), QStringList{unlisted});
  EXPECT_EQ(Store(), abel + kMeier);
  EXPECT_TRUE(Names().isEmpty());

  // The other workstation finishes its edit under the same key.
  store::RecordValues values;
  values[store::kName] = QStringLiteral("Meier");
  values[store::kVorname] = QStringLiteral("Anna");
  const QString own = QStringLiteral("Meier,Anna");
  EXPECT_EQ(store::DataFiles(data.Path()).SaveRecord(own, values, &own),
            store::DataFiles::SaveOutcome::Saved);
}

// A rename that only changes letter case stays in the record's own section: no orphan is left.
TEST_F(SaveTest, renameThatOnlyChangesLetterCase_keepsOneSection) {
  Open("meier,anna\r\n",
       Section("meier,anna", {{store::kVorname, "anna"}, {store::kName, "meier"}}));
  ClickRow(0);
  Click("ToolbarButton972");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  Click("Button1");
  EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.Texts().join('|').toStdString();
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Store(), Section("meier,anna", {{store::kVorname, "Anna"}, {store::kName, "Meier"}}));
  EXPECT_TRUE(store::DataFiles(data.Path()).OrphanedKeys().isEmpty());
}

TEST_F(SaveTest, failedWriteShowsTheErrorAndKeepsTheEntry) {
  Open("", "");
  Click("ToolbarButton971");
  FillNames(QStringLiteral("Meier"), QStringLiteral("Anna"));
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.contains(QStringLiteral("adresse"));
  });
  Click("Button1");
  store::SetFaultHook({});
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes.at(0).icon, platform::Icon::Critical);
  EXPECT_TRUE(dialogs.boxes.at(0).text.endsWith(QStringLiteral("kann nicht geschrieben werden")))
      << dialogs.boxes.at(0).text.toStdString();
  ExpectEntryIntact(store::kName, QStringLiteral("Meier"));
  EXPECT_TRUE(Names().isEmpty());
  EXPECT_TRUE(Entries().isEmpty());
}

// The name index cannot be written while the hook is set.
void FailNameIndexWrites() {
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.contains(QStringLiteral("names"));
  });
}

TEST_F(SaveTest, editThatCannotTakeTheKeyOutOfTheIndexDoesNotStart) {
  Open("Meier,Anna\r\n", kMeier);
  ClickRow(0);
  FailNameIndexWrites();
  Click("ToolbarButton972");
  store::SetFaultHook({});
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_TRUE(dialogs.boxes.at(0).text.endsWith(QStringLiteral("kann nicht erstellt werden")))
      << dialogs.boxes.at(0).text.toStdString();
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Entries(), QStringList{"Meier,Anna"});
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
}

TEST_F(SaveTest, cancelThatCannotListTheRecordAgainKeepsTheEntryForAnotherTry) {
  Open("Meier,Anna\r\n", kMeier);
  ClickRow(0);
  Click("ToolbarButton972");
  Type(store::kOrt, QStringLiteral("Bonn"));
  FailNameIndexWrites();
  Click("ToolbarButton9711");
  ASSERT_EQ(dialogs.boxes.size(), 1);
  ExpectEntryIntact(store::kOrt, QStringLiteral("Bonn"));
  EXPECT_TRUE(Names().isEmpty());
  // Nor does the window close on "No" while the record cannot be listed again.
  dialogs.AnswerNext(QStringLiteral("&Nein"));
  EXPECT_FALSE(form->close());
  store::SetFaultHook({});
  Click("ToolbarButton9711");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Entries(), QStringList{"Meier,Anna"});
}

TEST_F(SaveTest, closingWhileBrowsingAsksNothing) {
  Open("", "");
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  form.reset();
}

TEST_F(SaveTest, closeQuestionCancelKeepsTheWindowAndTheEntry) {
  Open("Meier,Anna\r\n", kMeier);
  ClickRow(0);
  Click("ToolbarButton972");
  Type(store::kOrt, QStringLiteral("Bonn"));
  // The window outlives this function (the fixture closes it), and so must the counter.
  auto closings = std::make_shared<int>(0);
  form->SetClosingHook([closings] { ++*closings; });
  dialogs.AnswerNext(QStringLiteral("Abbrechen"));
  EXPECT_FALSE(form->close());
  EXPECT_EQ(*closings, 0);
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes.at(0).text,
            QStringLiteral("Soll die bearbeitete Kundendatei gespeichert werden ?"));
  EXPECT_EQ(dialogs.boxes.at(0).caption, QStringLiteral("Bestätigen"));
  EXPECT_EQ(
      dialogs.boxes.at(0).buttons,
      (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen")}));
  ExpectEntryIntact(store::kOrt, QStringLiteral("Bonn"));
  EXPECT_TRUE(Names().isEmpty());
}

TEST_F(SaveTest, closeQuestionYesSavesAndCloses) {
  Open("Meier,Anna\r\n", kMeier);
  ClickRow(0);
  Click("ToolbarButton972");
  Type(store::kOrt, QStringLiteral("Bonn"));
  int closings = 0;
  form->SetClosingHook([&] { ++closings; });
  dialogs.AnswerNext(QStringLiteral("&Ja"));
  EXPECT_TRUE(form->close());
  EXPECT_EQ(closings, 1);
  EXPECT_TRUE(Store().contains("Ort=Bonn\r\n"));
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
  form.reset();
}

TEST_F(SaveTest, closeQuestionYesWithRefusedInputKeepsTheWindowOpen) {
  Open("", "");
  Click("ToolbarButton971");
  Type(store::kVorname, QStringLiteral("Anna"));
  dialogs.AnswerNext(QStringLiteral("&Ja"));
  EXPECT_FALSE(form->close());
  EXPECT_EQ(dialogs.boxes.size(), 2);
  ExpectEntryIntact(store::kVorname, QStringLiteral("Anna"));
}

TEST_F(SaveTest, closeQuestionNoClosesAndListsTheEditedRecordAgain) {
  Open("Meier,Anna\r\n", kMeier);
  ClickRow(0);
  Click("ToolbarButton972");
  ASSERT_TRUE(Names().isEmpty());
  Type(store::kOrt, QStringLiteral("Bonn"));
  dialogs.AnswerNext(QStringLiteral("&Nein"));
  EXPECT_TRUE(form->close());
  EXPECT_EQ(Names(), QByteArray("Meier,Anna\r\n"));
  EXPECT_EQ(Store(), kMeier);
  form.reset();
}

}  // namespace
}  // namespace mainwindowtest
