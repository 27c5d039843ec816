#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <optional>
#include <vector>

namespace store {

// How the search compares what is typed with what is stored. Everything works on
// Windows-1252 bytes, the store's own code page.
//
// Letter case is ignored (also for Œ/œ, Š/š, Ž/ž, Ÿ/ÿ, which lie outside Latin-1), and ä/ae,
// ö/oe, ü/ue, ß/ss are equal, so that "muller", "Müller" and "Mueller" find each other. No
// single spelling does that for a search by parts of words: "eller" must find "Mueller" and
// "mull" must find "Müller". Two spellings are therefore kept of every text and a word matches
// when it occurs in either:
//  - spelled out: lower case, ä ö ü æ œ ß written ae oe ue ae oe ss ("müller" -> "mueller");
//  - contracted: the spelled-out form with every "ae", "oe", "ue" cut to its vowel
//    ("müller", "mueller" and "muller" -> "muller").
// Line breaks become blanks, as in a value read from the store.

// Write the spelled-out or contracted form of bytes to out, which has room for twice as many
// bytes, and return the end of what they wrote.
char* WriteSpelledOut(QByteArrayView bytes, char* out);
char* WriteContracted(QByteArrayView bytes, char* out);
// The contracted form from a spelled-out form (what WriteSpelledOut wrote), which it shortens:
// out has room for as many bytes.
char* ContractSpelledOut(QByteArrayView spelledOut, char* out);
QByteArray SpelledOut(QByteArrayView bytes);
QByteArray Contracted(QByteArrayView bytes);

// A telephone number by its digits: blanks, "/", "-", "(" and ")" dropped, a leading "+49"
// (and a "(0)" right after it) read as "0"; any other character is kept, in lower case.
// "+49 (0)761 / 934 10-0" -> "0761934100".
// WritePhoneDigits writes to out, which has room for as many bytes, and returns the end.
char* WritePhoneDigits(QByteArrayView bytes, char* out);
QByteArray PhoneDigits(QByteArrayView bytes);

// One word typed into the search field, in the forms it is looked for.
struct SearchWord {
  QByteArray spelledOut;
  // Empty when it finds nothing the spelled-out form does not: contracting cuts only an "e"
  // after "a", "o" or "u", so a word that is its own contraction and holds those vowels at
  // most as its last letter ("e", "mu", "berlin") lies in a contracted text only where it
  // lies in the spelled-out text too.
  QByteArray contracted;
  // A word made of digits (and the separators of telephone numbers) also matches telephone
  // numbers by their digits: its PhoneDigits. Empty for any other word.
  QByteArray digits;
};

// The words typed, split at blanks. std::nullopt when a character has no Windows-1252 byte:
// the store cannot hold it, so such a search finds nothing. A store written in UTF-8
// (utf8Store) can hold it, but its values are searched as Windows-1252 with a "?" for each
// such character; the word then looks for that "?" in its place, and the records found so
// are to be checked against their text (SearchCache does). DEL, which no value holds, finds
// nothing either.
std::optional<std::vector<SearchWord>> SearchWords(QStringView typed, bool utf8Store = false);

// The words of typed: the runs of characters between blanks, in order.
std::vector<QStringView> SplitWords(QStringView typed);

}  // namespace store
