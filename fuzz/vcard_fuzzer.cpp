// The import readers on any bytes: vCard files from any program, damaged or hostile files,
// and CSV files.
//
// Properties: nothing crashes or reads past the input; every card read comes with its values
// or a reason; the bytes read as a record store export one card per key; and a record's fifteen
// values (any Windows-1252 text but CR and the zero byte) written as a vCard and read again are
// the same values.
#include "fuzz/fuzzcheck.h"
#include "mainwindow/csvimport.h"
#include "mainwindow/importcards.h"
#include "mainwindow/vcardread.h"
#include "mainwindow/vcardwrite.h"
#include "store/cp1252.h"
#include "store/profilescan.h"
#include "store/recordstore.h"

using fuzzcheck::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const mainwindow::ImportFile read = mainwindow::ReadVCards(bytes);
  Require(read.error.isEmpty() || read.cards.empty(), "a refused file gives no cards");
  const mainwindow::ImportCandidates candidates = mainwindow::CheckCards(read.cards);
  Require(candidates.reasons.size() == read.cards.size(), "a reason slot per card");
  mainwindow::CheckCards(mainwindow::ReadCsvExport(bytes).cards);

  // The same bytes as a record store (Windows-1252, or UTF-8 after a byte-order mark),
  // exported: every key gives one card that reads back.
  const QStringList keys = store::profile::SectionNames(bytes).mid(0, 16);
  if (!keys.isEmpty()) {
    const mainwindow::ImportFile exported =
        mainwindow::ReadVCards(mainwindow::ExportVCards(store::RecordStore(bytes), keys));
    Require(exported.error.isEmpty() && exported.cards.size() == size_t(keys.size()),
            "an exported store gives one card per key");
  }

  // The same bytes as the values of one record.
  FuzzedDataProvider in(data, size);
  store::RecordValues values;
  for (QString& value : values) {
    QByteArray raw = fuzzcheck::Bytes(in, 120);
    raw.replace('\r', ' ').replace('\0', ' ');
    value = store::FromCp1252(raw);
  }
  const mainwindow::ImportFile again = mainwindow::ReadVCards(mainwindow::VCardOf(values));
  Require(again.error.isEmpty() && again.cards.size() == 1, "one card written, one card read");
  Require(again.cards[0].refusal.isEmpty(), "a written card is read without refusal");
  Require(again.cards[0].values == values, "values survive writing and reading a vCard");
  return 0;
}
