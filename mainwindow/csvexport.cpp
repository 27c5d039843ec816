#include "mainwindow/csvexport.h"

#include <array>
#include <cstring>

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

// Writes the value at p, quoted when it must be; returns the end. Room for twice the value
// and its two quotes is needed.
char* PutValue(char* p, QByteArrayView value) {
  bool quote = false;
  for (const char c : value)
    quote |= kNeedsQuotes[uchar(c)];
  if (!quote) {
    std::memcpy(p, value.data(), size_t(value.size()));
    return p + value.size();
  }
  *p++ = '"';
  for (const char c : value) {
    if (c == '"')
      *p++ = '"';
    *p++ = c;
  }
  *p++ = '"';
  return p;
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
  const QByteArray header = store::ToCp1252(CsvHeader()) + "\r\n";
  // The file holds the store's values without their key names: less than the store. It is
  // written through a plain pointer, a line at a time, with room made for the line's worst
  // case (every byte a quote) before it.
  QByteArray out(header.size() + records.Bytes().size() + 4096, Qt::Uninitialized);
  std::memcpy(out.data(), header.constData(), size_t(header.size()));
  qsizetype used = header.size();
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());
  for (store::RecordRows rows(table); rows.Next();) {
    qsizetype worst = 2;
    for (int field = 0; field < store::kFieldCount; ++field)
      worst += 2 * rows.Value(field).size() + 3;
    if (out.size() - used < worst)
      out.resize(qMax(2 * out.size(), used + worst));
    char* const begin = out.data() + used;
    char* p = begin;
    for (int column = 0; column < store::kFieldCount; ++column) {
      if (column > 0)
        *p++ = ';';
      p = PutValue(p, rows.Value(kColumns[column]));
    }
    *p++ = '\r';
    *p++ = '\n';
    used += p - begin;
  }
  out.truncate(used);
  return out;
}

}  // namespace mainwindow
