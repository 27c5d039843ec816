// The address store's figures: loading the name index, reading and writing records.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "bench/benchregistry.h"
#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/recordtable.h"
#include "store/sharedaccess.h"

namespace {

class NullSink : public store::MessageSink {
 public:
  void ShowMessage(const QString& text) override { qFatal("unexpected: %s", qPrintable(text)); }
};

QString StorePath(const bench::Context& c) {
  return QDir(c.book.dir).filePath(QStringLiteral("adresse.qdx"));
}

const bench::Register rawRead(
    "raw_read", [](const bench::Context& c) { return bench::RawReadMs(StorePath(c)); }, 0);

// The floors of the writing commands: the record store's bytes, and the two list files' bytes,
// written as durably as the program writes them.
const bench::Register durableWrite(
    "durable_write",
    [](const bench::Context& c) { return bench::DurableWriteMs(c.book.dir, bench::Floor::Store); },
    1);
const bench::Register durableWriteLists(
    "durable_write_lists",
    [](const bench::Context& c) { return bench::DurableWriteMs(c.book.dir, bench::Floor::Lists); },
    2);

const bench::Register loadSortedList(
    "load_sorted_list",
    [](const bench::Context& c) {
      NullSink sink;
      store::LoadResult result;
      const double ms = bench::TimeMs([&] {
        result =
            store::LoadSortedList(QDir(c.book.dir).filePath(QStringLiteral("names.qdx")), sink);
      });
      if (result.lines.size() != c.book.liveKeys.size())
        qFatal("load_sorted_list: wrong count");
      return ms;
    },
    10);

// A record display: open the store (one read of the file) and read the fifteen fields of
// one record, the last one in the file.
const bench::Register readOneRecord(
    "read_one_record",
    [](const bench::Context& c) {
      NullSink sink;
      store::RecordValues values;
      const double ms = bench::TimeMs([&] {
        const store::RecordStore rs = store::OpenRecordStore(c.book.dir, sink);
        values = rs.Record(c.book.lastKeyInStore);
      });
      if (values[store::kVorname] == store::MissingValue())
        qFatal("read_one_record: not found");
      return ms;
    },
    20);

// Finishing an edit: the record is written whole and its key listed again. Taking the key
// out of the name index (the start of the edit) is not timed.
const bench::Register writeOneRecord(
    "write_one_record",
    [](const bench::Context& c) {
      store::DataFiles files(c.book.dir);
      const QString key = c.book.liveKeys.at(c.book.liveKeys.size() / 2);
      NullSink sink;
      store::RecordValues values = store::OpenRecordStore(c.book.dir, sink).Record(key);
      values[store::kOrt] = values[store::kOrt] == QStringLiteral("Köln") ? QStringLiteral("Bonn")
                                                                          : QStringLiteral("Köln");
      files.RemoveFromNames(key);
      store::DataFiles::SaveOutcome outcome{};
      const double ms = bench::TimeMs([&] { outcome = files.SaveRecord(key, values); });
      if (outcome != store::DataFiles::SaveOutcome::Saved)
        qFatal("write_one_record: refused");
      return ms;
    },
    30, bench::Floor::Store);

// Purging every deleted record (one in a hundred of the address book): the deleted-records
// file emptied and their sections erased from the record store, under the lock. The files are
// put back afterwards, untimed.
const bench::Register purgeRecords(
    "purge_records",
    [](const bench::Context& c) {
      store::DataFiles files(c.book.dir);
      QFile store(files.StorePath());
      QFile secure(files.SecurePath());
      if (!store.open(QIODevice::ReadOnly) || !secure.open(QIODevice::ReadOnly))
        qFatal("purge_records: cannot read the files");
      const QByteArray storeBefore = store.readAll();
      const QByteArray secureBefore = secure.readAll();
      store.close();
      secure.close();
      const double ms = bench::TimeMs([&] { files.PurgeRecords(c.book.deletedKeys); });
      if (QFileInfo(files.StorePath()).size() >= storeBefore.size() ||
          !store::WriteFileAtomic(files.StorePath(), storeBefore) ||
          !store::WriteFileAtomic(files.SecurePath(), secureBefore))
        qFatal("purge_records: nothing purged, or the files could not be put back");
      return ms;
    },
    35, bench::Floor::Store);

// An export or report over everything: one opened store, every field of every live record
// as text.
const bench::Register readAllRecords(
    "read_all_records",
    [](const bench::Context& c) {
      NullSink sink;
      qsizetype total = 0;
      const double ms = bench::TimeMs([&] {
        const store::RecordStore rs = store::OpenRecordStore(c.book.dir, sink);
        const store::RecordTable table = rs.ReadRecords(c.book.liveKeys, store::AllFields());
        for (qsizetype row = 0; row < table.Size(); ++row) {
          for (int field = 0; field < store::kFieldCount; ++field)
            total += table.Text(row, field).size();
        }
      });
      if (total == 0)
        qFatal("read_all_records: nothing read");
      return ms;
    },
    40);

// A list-wide view of one field (the internal numbers): one opened store, one field of every
// live record, as it stands in the store.
const bench::Register readOneFieldAllRecords(
    "read_one_field_all_records",
    [](const bench::Context& c) {
      NullSink sink;
      qsizetype total = 0;
      qsizetype present = 0;
      const double ms = bench::TimeMs([&] {
        const store::RecordStore rs = store::OpenRecordStore(c.book.dir, sink);
        const store::RecordTable table =
            rs.ReadRecords(c.book.liveKeys, store::FieldBit(store::kIRuf));
        for (qsizetype row = 0; row < table.Size(); ++row) {
          if (const auto raw = table.Raw(row, store::kIRuf)) {
            total += raw->size();
            ++present;
          }
        }
      });
      if (total == 0 || present != c.book.liveKeys.size())
        qFatal("read_one_field_all_records: not every record read");
      return ms;
    },
    41);

}  // namespace
