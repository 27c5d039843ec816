// Which cards become records, and what the summary of an import says about the others.
#include <gtest/gtest.h>

#include "mainwindow/importcards.h"

namespace {

using mainwindow::ImportCard;

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

ImportCard Card(int number, const QString& name, const QString& first) {
  ImportCard card;
  card.number = number;
  card.name = QString(first + QLatin1Char(' ') + name).trimmed();
  card.values[store::kName] = name;
  card.values[store::kVorname] = first;
  return card;
}

TEST(ImportCheckTest, cardsTheRecordsCannotHold_areRefusedWithTheReason) {
  std::vector<ImportCard> cards;
  cards.push_back(Card(1, "", ""));
  cards.push_back(Card(2, "Meier", ""));
  cards.push_back(Card(3, "", "Anna"));
  cards.push_back(Card(4, "Mei@er", "Anna"));
  cards.push_back(Card(5, "Meier", U("Anna 😀")));
  cards.push_back(Card(6, "Meier", "Anna"));
  cards.back().values[store::kPLZ] = "D-79822";
  cards.push_back(Card(7, "Meier", "Anna"));
  cards.back().values[store::kStrasse] = "Hof 1\x1BHaus 2";  // line breaks are joined
  cards.push_back(Card(8, "Meier", "Anna"));
  cards.back().values[store::kFirma] = QString(1024, QLatin1Char('x'));
  cards.push_back(Card(9, "Meier", "Anna"));
  cards.back().refusal = U("Die Karte ist unvollständig: END:VCARD fehlt.");
  const mainwindow::ImportCandidates candidates = mainwindow::CheckCards(cards);
  EXPECT_TRUE(candidates.records.empty());
  EXPECT_EQ(candidates.reasons,
            (std::vector<QString>{
                U("Die Adresse hat keinen Namen."),
                U("Die Adresse hat keinen Vornamen."),
                U("Die Adresse hat keinen Nachnamen (Feld „Name“)."),
                U("Das Feld \"Name\" darf kein \"@\" enthalten."),
                U("Das Zeichen \"😀\" im Feld \"Vorname\" kann nicht gespeichert werden. Bitte "
                  "ersetzen Sie es."),
                U("Das Feld „PLZ“ nimmt höchstens 5 Zeichen auf, nicht „D-79822“."),
                U("Das Feld \"Straße\" enthält ein Steuerzeichen, das nicht gespeichert werden "
                  "kann. Bitte entfernen Sie es."),
                U("Das Feld \"Firma\" darf höchstens 1023 Zeichen enthalten."),
                U("Die Karte ist unvollständig: END:VCARD fehlt."),
            }));
}

TEST(ImportCheckTest, blanksAtBothEnds_droppedAsTheStoreDropsThemOnReading) {
  std::vector<ImportCard> cards{Card(1, " Meier\t", "  Anna ")};
  cards[0].values[store::kOrt] = " Bonn ";
  const mainwindow::ImportCandidates candidates = mainwindow::CheckCards(cards);
  ASSERT_EQ(candidates.records.size(), 1u);
  EXPECT_EQ(candidates.records[0].key, "Meier,Anna");
  EXPECT_EQ(candidates.records[0].values[store::kOrt], "Bonn");
  EXPECT_EQ(candidates.cardOf, (std::vector<qsizetype>{0}));
}

TEST(ImportCheckTest, summary_countsListsEachCardNotImportedAndWhatWasLeftOut) {
  std::vector<ImportCard> cards{
      Card(1, "Berg", "Ute"), Card(2, "", ""),        Card(3, "Alt", "Bea"), Card(4, "BERG", "ute"),
      Card(5, "Neu", "Nora"), Card(6, "Tot", "Tina"), Card(7, "Edit", "Eva")};
  cards[4].leftOut = QStringList{U("weitere Telefonnummer „2“"), U("Namenszusatz „Dr.“")};
  const mainwindow::ImportCandidates candidates = mainwindow::CheckCards(cards);
  ASSERT_EQ(candidates.records.size(), 6u);
  store::ImportOutcome outcome;
  outcome.refusals = {store::ImportRefusal::None,       store::ImportRefusal::KeyLive,
                      store::ImportRefusal::KeyTwice,   store::ImportRefusal::None,
                      store::ImportRefusal::KeyDeleted, store::ImportRefusal::KeyInStore};
  outcome.earlier = {-1, -1, 0, -1, -1, -1};
  outcome.imported = 2;
  const mainwindow::ImportSummary summary = mainwindow::SummarizeImport(cards, candidates, outcome);
  EXPECT_EQ(summary.heading, "Importierte Adressen: 2 von 7.");
  EXPECT_EQ(summary.notImported,
            (QStringList{
                U("Karte 2: Die Adresse hat keinen Namen."),
                U("Karte 3 (Bea Alt): Datensatz für diese Person existiert bereits!"),
                U("Karte 4 (ute BERG): Diese Person steht schon weiter oben in der Datei (Karte "
                  "1)."),
                U("Karte 6 (Tina Tot): Ein gelöschter Datensatz für diese Person existiert "
                  "bereits; er kann wiederhergestellt werden."),
                U("Karte 7 (Eva Edit): Unter diesem Namen stehen bereits Daten im Adressbuch (ein "
                  "Datensatz, der gerade an einem anderen Arbeitsplatz bearbeitet wird, oder ein "
                  "verwaister). Verwaiste Datensätze nimmt \"Verwaiste Datensätze "
                  "wiederherstellen\" wieder in die Liste auf."),
            }));
  EXPECT_EQ(summary.leftOut,
            (QStringList{U("Karte 5 (Nora Neu): weitere Telefonnummer „2“; Namenszusatz „Dr.“")}));
}

}  // namespace
