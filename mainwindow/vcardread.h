#pragma once

#include <QByteArray>

#include "mainwindow/importcards.h"

class QIODevice;

namespace mainwindow {

// Reads the cards of a vCard file of version 2.1, 3.0 or 4.0 as address books, phones and
// mail programs write them: folded lines, CHARSET= and ENCODING=QUOTED-PRINTABLE with soft
// line breaks, TYPE parameters as TYPE=work,voice, as TYPE=WORK;TYPE=VOICE and as the bare
// TEL;WORK;FAX of version 2.1, grouped properties (item1.TEL), a byte order mark (UTF-8, or
// UTF-16 in either byte order), LF or CR LF line ends. Unknown properties are passed over without
// being kept, so a huge photo costs no memory.
//
// Each card gives the fields of one record: N (Name;Vorname; without N the name is taken from
// FN, "Vorname Name"), ORG (Firma;Kurzzeichen), TITLE (Position), ADR (the first one of type
// work, else the first: Strasse, Ort, PLZ), TEL (fax numbers to Fax, mobile numbers to Handy,
// the others to Telefon1 and Telefon2), EMAIL, X-PELLUMO-KURZWAHL and X-PELLUMO-INTERN. The
// first value of each kind fills its field; the others, and name prefixes and suffixes, are
// listed in the card's leftOut. A card that ends before END:VCARD, has a line too long to
// keep or text in an unknown or broken character set is refused with the reason.
//
// A file with binary data (a zero byte), without any card, or with more than kMaxImportCards
// cards gives an error and no cards.
ImportFile ReadVCards(QIODevice& in, const ReadProgress& progress = {});
ImportFile ReadVCards(const QByteArray& bytes);

}  // namespace mainwindow
