#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "store/fieldtable.h"
#include "store/importrecords.h"

namespace mainwindow {

// One card of a vCard file (or one line of a CSV export) as read, before it is checked.
struct ImportCard {
  qsizetype number = 0;        // the card's number in the file, or the record's line
  bool csvLine = false;        // number is a line of a CSV file
  QString name;                // the person as the file names it, for the summary; may be empty
  store::RecordValues values;  // editor order; empty where the card has nothing
  QString refusal;             // why the card cannot be imported at all; empty when it can
  QStringList leftOut;         // values no field takes ("weitere Telefonnummer „0171 1“")
};

// A whole file as read. error is set when the file as a whole cannot be taken (not a vCard
// file, binary data, too many cards): then nothing is imported.
struct ImportFile {
  std::vector<ImportCard> cards;
  QString error;
  bool cancelled = false;
};

// Asked now and then while a file is read, with the number of bytes read so far; false stops
// the reading (the import is cancelled, nothing is written).
using ReadProgress = std::function<bool(qint64 bytesRead)>;

// A file that some Windows programs write in UTF-16 (Outlook's cards, a spreadsheet saved as
// "Unicode"), told by its byte order mark or, when unmarked is true, by the zero bytes of its
// first two letters. Such a file is read whole and its text given to read as UTF-8 behind a byte
// order mark, with the progress told in bytes of the file. std::nullopt, and nothing read, when
// in is not UTF-16.
using ReadText = std::function<ImportFile(QIODevice& utf8, const ReadProgress& progress)>;
std::optional<ImportFile> ReadUtf16(QIODevice& in, const ReadProgress& progress, bool unmarked,
                                    const ReadText& read);

// Files with more cards than this are refused as a whole: the cards are held in memory until
// the one change that writes them all (about a kilobyte each), and the address book is made
// for some ten thousand records, a hundred thousand at most.
constexpr qsizetype kMaxImportCards = 200000;

// The cards that can become records, with the reasons of those that cannot: no name, a
// character or a length the data files cannot hold (the checks of a typed entry). The lines
// of a value of several lines are joined by ", " first, and blanks at both ends of every value
// dropped: the record store drops them when it reads a value anyway.
struct ImportCandidates {
  std::vector<store::NewRecord> records;
  std::vector<qsizetype> cardOf;  // records[i] comes from cards[cardOf[i]]
  std::vector<QString> reasons;   // per card: why it is not imported (empty: not decided here)
};
ImportCandidates CheckCards(const std::vector<ImportCard>& cards);

// The summary of an import: a heading line, the cards not imported with their reasons, and
// the values of imported cards that no field took.
struct ImportSummary {
  qsizetype imported = 0;
  QString heading;
  QStringList notImported;
  QStringList leftOut;
};
ImportSummary SummarizeImport(const std::vector<ImportCard>& cards,
                              const ImportCandidates& candidates,
                              const store::ImportOutcome& outcome);

// Where the card stands in its file: "Karte 3", "Zeile 5".
QString Where(const ImportCard& card);
// The name of a card for the summary: "Karte 3 (Anna Meier)".
QString CardLabel(const ImportCard& card);

}  // namespace mainwindow
