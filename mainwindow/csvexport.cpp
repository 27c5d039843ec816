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

// Short values (nearly all) are copied as one block of kBlock bytes, which the compiler does
// in a single move instead of a call per value; the bytes beyond the value are overwritten by
// what follows. A block is only read where kBlock bytes of the store's buffer (or of the padded
// missing-value text) follow the value.
constexpr qsizetype kBlock = 16;

const std::array<char, kBlock>& PaddedMissingValue() {
  static const std::array<char, kBlock> padded = [] {
    std::array<char, kBlock> bytes{};
    const QByteArray text = store::ToCp1252(store::MissingValue());
    std::copy_n(text.constData(), std::min(text.size(), kBlock - 1), bytes.data());
    return bytes;
  }();
  return padded;
}

// A buffer filled from its start; it grows when what comes would not fit.
class Filler {
 public:
  explicit Filler(QByteArray* out, qsizetype at = 0) : out_(out), p_(out->data() + at) {}
  char* Room(qsizetype bytes) {
    if (out_->constData() + out_->size() - p_ < bytes) {
      const qsizetype used = p_ - out_->constData();
      out_->resize(2 * out_->size() + bytes);
      p_ = out_->data() + used;
    }
    return p_;
  }
  void Advance(char* to) { p_ = to; }
  qsizetype Used() const { return p_ - out_->constData(); }

 private:
  QByteArray* out_;
  char* p_;
};

// The lines of the sections [from, to) of table, one after the other in out; places[s] is
// where section s's line lies in out (offset << 16 | length: a line is at most fifteen values
// of 1023 bytes and their marks).
void PutSectionLines(const store::RecordTable& table, const QByteArray& storeBytes, qint32 from,
                     qint32 to, QByteArray* out, quint64* places) {
  const std::array<char, kBlock>& padded = PaddedMissingValue();
  const QByteArrayView missing(padded.data(), qsizetype(std::strlen(padded.data())));
  const char* const storeBegin = storeBytes.constData();
  const char* const storeEnd = storeBegin + storeBytes.size();
  auto blockReadable = [&](QByteArrayView value) {
    return value.data() == padded.data() ||
           (value.data() >= storeBegin && storeEnd - value.data() >= kBlock);
  };
  Filler fill(out);
  store::RecordTable::RowValues values;
  for (qint32 section = from; section < to; ++section) {
    table.RawSection(section, &values);
    const qsizetype begin = fill.Used();
    for (int column = 0; column < store::kFieldCount; ++column) {
      const QByteArrayView value = values[size_t(kColumns[column])].value_or(missing);
      char* p = fill.Room(value.size() + kBlock + 2);  // the value, then ";" or CR LF
      if (value.size() <= kBlock && blockReadable(value)) {
        std::memcpy(p, value.data(), kBlock);
      } else {
        std::memcpy(p, value.data(), size_t(value.size()));
      }
      p += value.size();
      *p++ = column + 1 < store::kFieldCount ? ';' : '\r';
      fill.Advance(p);
    }
    char* end = fill.Room(1);
    *end = '\n';
    fill.Advance(end + 1);
    places[section] = quint64(begin) << 16 | quint64(fill.Used() - begin);
  }
  out->truncate(fill.Used());
}

// The lines of rows [from, to) of table in out after `at` bytes: each its section's line, or
// the line of a record without a section.
void PutRowLines(const store::RecordTable& table, const std::array<QByteArray, 2>& lines,
                 qint32 secondLines, const std::vector<quint64>& places, qsizetype from,
                 qsizetype to, QByteArray* out, qsizetype at) {
  static const QByteArray missingLine = []() -> QByteArray {
    QByteArray line = store::ToCp1252(store::MissingValue());
    for (int column = 1; column < store::kFieldCount; ++column)
      line += ';' + store::ToCp1252(store::MissingValue());
    return line + "\r\n";
  }();
  auto line = [&](qint32 section) {
    if (section < 0)
      return QByteArrayView(missingLine);
    const quint64 place = places[size_t(section)];
    return QByteArrayView(lines[section >= secondLines].constData() + (place >> 16),
                          qsizetype(place & 0xFFFF));
  };
  // The lines lie all over the buffers: each is asked for some rows before it is copied.
  constexpr qsizetype kAhead = 8;
  Filler fill(out, at);
  for (qsizetype row = from; row < to; ++row) {
    if (row + kAhead < to) {
      const QByteArrayView ahead = line(table.SectionOf(row + kAhead));
      for (qsizetype b = 0; b < ahead.size(); b += 64)
        __builtin_prefetch(ahead.data() + b);
    }
    const QByteArrayView bytes = line(table.SectionOf(row));
    char* p = fill.Room(bytes.size());
    std::memcpy(p, bytes.data(), size_t(bytes.size()));
    fill.Advance(p + bytes.size());
  }
  out->truncate(fill.Used());
}

}  // namespace

std::array<QByteArray, 2> ExportCsvPieces(const store::RecordStore& records,
                                          const QStringList& keys) {
  // The values go from the store's bytes to the file's bytes as they are: both are
  // Windows-1252, so no value is turned into text and back. Keys are matched ignoring letter
  // case, so the e-mail value stored under "EMail" is the one a reader asking for "Email" gets.
  const QByteArray header = store::ToCp1252(CsvHeader()) + "\r\n";
  const store::RecordTable table = records.ReadRecords(keys, store::AllFields());

  // First every section's line, front to back through the store, so its bytes are read in
  // the order they lie; then the lines in list order, each copied whole. Both steps are done
  // in two halves at once, each into buffers of its own made here (memory a second thread
  // takes for itself is given back to the system at once). The store holds every value and
  // more (the key names and line ends), so half its size is usually room enough for half the
  // lines; a buffer grows when it is not.
  const QByteArray& storeBytes = records.Bytes();
  const bool parallel = storeBytes.size() >= store::kParallelThreshold;
  const qint32 sections = table.SectionCount();
  const qint32 halfSections = sections / 2;
  std::vector<quint64> places(static_cast<size_t>(sections));
  std::array<QByteArray, 2> lines{QByteArray(storeBytes.size() / 2 + 64, Qt::Uninitialized),
                                  QByteArray(storeBytes.size() / 2 + 64, Qt::Uninitialized)};
  store::InParallel(
      parallel,
      [&] { PutSectionLines(table, storeBytes, 0, halfSections, &lines[0], places.data()); },
      [&] {
        PutSectionLines(table, storeBytes, halfSections, sections, &lines[1], places.data());
      });

  const qsizetype half = table.Size() / 2;
  std::array<QByteArray, 2> pieces{
      QByteArray(header.size() + storeBytes.size() / 2 + 64, Qt::Uninitialized),
      QByteArray(storeBytes.size() / 2 + 64, Qt::Uninitialized)};
  std::copy(header.cbegin(), header.cend(), pieces[0].data());
  store::InParallel(
      parallel,
      [&] { PutRowLines(table, lines, halfSections, places, 0, half, &pieces[0], header.size()); },
      [&] { PutRowLines(table, lines, halfSections, places, half, table.Size(), &pieces[1], 0); });
  return pieces;
}

QByteArray ExportCsv(const store::RecordStore& records, const QStringList& keys) {
  const std::array<QByteArray, 2> pieces = ExportCsvPieces(records, keys);
  return pieces[0] + pieces[1];
}

}  // namespace mainwindow
