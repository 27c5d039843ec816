#include "mainwindow/csvexport.h"

#include <array>

#include "store/cp1252.h"

namespace mainwindow {

namespace {

// The columns are the record's keys in the order a new section is written: Vorname, Name,
// Position, Kurzzeichen, Firma, then the rest in editor order.
constexpr int kColumns[store::kFieldCount] = {
    store::kVorname, store::kName,  store::kPosition, store::kKurzzeichen, store::kFirma,
    store::kStrasse, store::kPLZ,   store::kOrt,      store::kTelefon1,    store::kTelefon2,
    store::kFax,     store::kHandy, store::kEMail,    store::kKurzwahl,    store::kIRuf};

// Bytes that would split a value into two cells or two lines unless it is quoted.
constexpr std::array<bool, 256> kNeedsQuotes = [] {
  std::array<bool, 256> special{};
  special[uchar(';')] = special[uchar('"')] = special[uchar('\r')] = special[uchar('\n')] = true;
  return special;
}();

void AppendValue(QByteArray& out, QByteArrayView value) {
  bool quote = false;
  for (const char c : value)
    quote |= kNeedsQuotes[uchar(c)];
  if (!quote) {
    out.append(value);
    return;
  }
  out.append('"');
  for (const char c : value) {
    if (c == '"')
      out.append('"');
    out.append(c);
  }
  out.append('"');
}

}  // namespace

QString CsvHeader() {
  return QStringLiteral(
      "Vorname;Name;Position;Kurzzeichen/Abteilung;Firma;Stra\u00dfe;PLZ;Ort;Telefon1;Telefon2;"
      "Fax;Mobiltelefon;E-Mail;Kurzwahl;Interne Rufnummer");
}

QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys) {
  // The values go from the store's bytes to the file's bytes as they are: both are
  // Windows-1252. Keys are matched ignoring letter case, so the e-mail value stored under
  // "EMail" is the one a reader asking for "Email" gets.
  QByteArray out = store::ToCp1252(CsvHeader()) + "\r\n";
  // The file holds the store's values without their key names: less than the store.
  out.reserve(out.size() + records.Bytes().size());
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
  for (store::RecordRows rows(table); rows.Next();) {
    for (int column = 0; column < store::kFieldCount; ++column) {
      if (column > 0)
        out.append(';');
      AppendValue(out, rows.Value(kColumns[column]));
    }
    out.append("\r\n", 2);
  }
  return out;
}

}  // namespace mainwindow
