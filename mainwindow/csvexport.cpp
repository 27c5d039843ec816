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

}  // namespace

QString CsvHeader() {
  return QStringLiteral(
      "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\u00dfe;PLZ;Ort;Telefon1;Telefon2;"
      "Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer");
}

QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys) {
  // The values go from the store's bytes to the file's bytes as they are: both are
  // Windows-1252, so no value is turned into text and back. Keys are matched ignoring letter
  // case, so the e-mail value stored under "EMail" is the one a reader asking for "Email" gets.
  static const QByteArray missing = store::ToCp1252(store::MissingValue());
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
  QByteArray out;
  out.reserve(records.Bytes().size() / 2 + 256);
  out += store::ToCp1252(CsvHeader());
  out += "\r\n";
  for (qsizetype row = 0; row < table.Size(); ++row) {
    for (int column = 0; column < store::kFieldCount; ++column) {
      if (column > 0)
        out += ';';
      const std::optional<QByteArrayView> value = table.Raw(row, kColumns[column]);
      if (value) {
        out.append(value->data(), value->size());
      } else {
        out += missing;
      }
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace mainwindow
