#include "mainwindow/csvexport.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "store/cp1252.h"
#include "store/inparallel.h"

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

namespace {

// Appends the lines of rows [from, to) of table to out from *at on; out grows when needed.
void AppendLines(const store::RecordTable& table, const QByteArray& storeBytes, qsizetype from,
                 qsizetype to, QByteArray* out, char** at) {
  // Short values (nearly all) are copied as one block of kBlock bytes, which the compiler
  // does in a single move instead of a call per value; the bytes beyond the value are
  // overwritten by what follows. A block is only read where kBlock bytes of the store's
  // buffer (or of the padded missing-value text) follow the value.
  constexpr qsizetype kBlock = 16;
  constexpr qsizetype kPlaceAhead = 16;  // rows between the hints and the copy of that row
  constexpr qsizetype kValuesAhead = 8;
  static const std::array<char, kBlock> padded = [] {
    std::array<char, kBlock> bytes{};
    const QByteArray text = store::ToCp1252(store::MissingValue());
    std::copy_n(text.constData(), std::min(text.size(), kBlock - 1), bytes.data());
    return bytes;
  }();
  const QByteArrayView missing(padded.data(), qsizetype(std::strlen(padded.data())));
  const char* const storeBegin = storeBytes.constData();
  const char* const storeEnd = storeBegin + storeBytes.size();
  auto blockReadable = [&](QByteArrayView value) {
    return value.data() == padded.data() ||
           (value.data() >= storeBegin && storeEnd - value.data() >= kBlock);
  };
  char* p = *at;
  auto makeRoom = [out, &p](qsizetype bytes) {
    if (out->constData() + out->size() - p >= bytes)
      return;
    const qsizetype used = p - out->constData();
    out->resize(2 * out->size() + bytes);
    p = out->data() + used;
  };
  store::RecordTable::RowValues values;
  for (qsizetype row = from; row < to; ++row) {
    // The rows' sections lie all over the store: ask the memory for a later row's place in
    // the table and a nearer row's values now, so they have arrived when that row is copied.
    if (row + kPlaceAhead < to)
      table.PrefetchPlace(row + kPlaceAhead);
    if (row + kValuesAhead < to)
      table.PrefetchValues(row + kValuesAhead);
    table.RawRow(row, &values);
    for (int column = 0; column < store::kFieldCount; ++column) {
      const QByteArrayView value = values[size_t(kColumns[column])].value_or(missing);
      makeRoom(value.size() + kBlock + 2);  // the value, then ";" or CR LF
      if (value.size() <= kBlock && blockReadable(value)) {
        std::memcpy(p, value.data(), kBlock);
      } else {
        std::memcpy(p, value.data(), size_t(value.size()));
      }
      p += value.size();
      if (column + 1 < store::kFieldCount)
        *p++ = ';';
    }
    *p++ = '\r';
    *p++ = '\n';
  }
  *at = p;
}

}  // namespace

std::array<QByteArray, 2> ExportCsvPieces(const store::RecordStore& records,
                                          const QStringList& keys) {
  // The values go from the store's bytes to the file's bytes as they are: both are
  // Windows-1252, so no value is turned into text and back. Keys are matched ignoring letter
  // case, so the e-mail value stored under "EMail" is the one a reader asking for "Email" gets.
  const QByteArray header = store::ToCp1252(CsvHeader()) + "\r\n";
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());

  // The lines of the first and the second half of the keys are copied at once, each into a
  // buffer of its own. The store holds every value and more (the key names and line ends),
  // so half its size is usually room enough for half the lines; a buffer grows when a
  // value, the marks after it and a block's overshoot would not fit. Both buffers are made
  // here: memory a second thread takes for itself is given back to the system at once.
  const QByteArray& storeBytes = records.Bytes();
  const qsizetype half = table.Size() / 2;
  std::array<QByteArray, 2> pieces{
      QByteArray(header.size() + storeBytes.size() / 2 + 64, Qt::Uninitialized),
      QByteArray(storeBytes.size() / 2 + 64, Qt::Uninitialized)};
  std::array<char*, 2> ends{std::copy(header.cbegin(), header.cend(), pieces[0].data()),
                            pieces[1].data()};
  store::InParallel(
      storeBytes.size() >= store::kParallelThreshold,
      [&] { AppendLines(table, storeBytes, 0, half, &pieces[0], &ends[0]); },
      [&] { AppendLines(table, storeBytes, half, table.Size(), &pieces[1], &ends[1]); });
  for (size_t i = 0; i < pieces.size(); ++i)
    pieces[i].truncate(ends[i] - pieces[i].constData());
  return pieces;
}

QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys) {
  const std::array<QByteArray, 2> pieces = ExportCsvPieces(records, keys);
  return pieces[0] + pieces[1];
}

}  // namespace mainwindow
