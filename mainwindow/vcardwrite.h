#pragma once

#include <QByteArray>
#include <QStringList>

#include "store/recordstore.h"

namespace mainwindow {

// The vCard export: one vCard 4.0 card per key, in the given order, as one file of UTF-8 text
// with CR LF line ends. Lines longer than 75 octets are folded (never inside a UTF-8
// sequence); "\", "," and ";" and line breaks in values are escaped. The card of a record
// holds N (Name;Vorname), FN ("Vorname Name"), ORG (Firma;Kurzzeichen), TITLE (Position),
// ADR;TYPE=work (;;Strasse;Ort;;PLZ;), TEL;TYPE=work,voice (Telefon1, Telefon2; a Telefon2
// without a Telefon1 is marked X-PELLUMO-FELD=Telefon2), TEL;TYPE=work,fax, TEL;TYPE=cell,
// EMAIL;TYPE=work, X-PELLUMO-KURZWAHL and X-PELLUMO-INTERN; an empty field gives no property.
// A key without a section in the record store gives a card with only the names taken from the
// key, so the person is not lost on the way out.
QByteArray ExportVCards(const store::RecordStore& records, const QStringList& keys);

// One card from the fifteen values (editor order); for tests and the fuzz target.
QByteArray VCardOf(const store::RecordValues& values);

}  // namespace mainwindow
