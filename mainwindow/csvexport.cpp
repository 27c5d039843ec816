#include "mainwindow/csvexport.h"

#include "store/cp1252.h"

namespace mainwindow {

namespace {

// The columns are the record's keys in the order a new section is written: Vorname, Name,
// Position, Kurzzeichen, Firma, then the rest in editor order.
constexpr int kColumns[store::kFieldCount] = {
    store::kVorname, store::kName,  store::kPosition, store::kKurzzeichen, store::kFirma,
    store::kStrasse, store::kPLZ,   store::kOrt,      store::kTelefon1,    store::kTelefon2,
    store::kFax,     store::kHandy, store::kEMail,    store::kKurzwahl,    store::kIRuf};

const QLatin1String kLineEnd("\r\n");

}  // namespace

QString CsvHeader() {
  return QStringLiteral(
      "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\u00dfe;PLZ;Ort;Telefon1;Telefon2;"
      "Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer");
}

QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys) {
  QString text;
  text.reserve((keys.size() + 1) * 128);
  text += CsvHeader();
  text += kLineEnd;
  for (const QString& key : keys) {
    // One section parse per record; keys are matched ignoring letter case, so the e-mail
    // value stored under "EMail" is the one a reader asking for "Email" gets.
    const store::RecordValues values = records.Record(key);
    for (int column = 0; column < store::kFieldCount; ++column) {
      if (column > 0)
        text += QLatin1Char(';');
      text += values[kColumns[column]];
    }
    text += kLineEnd;
  }
  return store::ToCp1252(text);
}

}  // namespace mainwindow
