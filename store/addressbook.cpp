#include "store/addressbook.h"

#include <QFileInfo>

#include "store/cp1252.h"
#include "store/fileio.h"
#include "store/listfile.h"

namespace store {

AddressBook::AddressBook(QString dir)
    : files_(std::move(dir)),
      search_(std::make_unique<SearchCache>(
          files_.Dir(), [this](MessageSink& sink) { return OpenRecords(sink); })) {}

LoadResult AddressBook::LoadNames(MessageSink& sink) {
  return names_.Load(files_.NamesPath(), sink);
}

LoadResult AddressBook::ReadNames(MessageSink& sink) const {
  return LoadSortedList(files_.NamesPath(), sink);
}

bool AddressBook::NamesHold(const QString& key) const {
  ReadResult names = ReadWholeFile(files_.NamesPath());
  return names.status != ReadStatus::Ok || ListFileHolds(ListFileText(std::move(names.bytes)), key);
}

RefreshResult AddressBook::RefreshNames(const QStringList& shown, int selectedIndex,
                                        MessageSink& sink) const {
  return RefreshNameList(shown, selectedIndex, files_.Dir(), sink);
}

QByteArray AddressBook::SnapshotBuffer() const {
  // Shared with a snapshot that is still in use: that one must stay as it was read.
  if (!snapshotBuffer_.isDetached())
    snapshotBuffer_ = QByteArray();
  return std::exchange(snapshotBuffer_, QByteArray());
}

RecordStore AddressBook::KeepBuffer(RecordStore records) const {
  snapshotBuffer_ = records.Bytes();
  return records;
}

RecordStore AddressBook::OpenRecords(MessageSink& sink) const {
  return KeepBuffer(OpenRecordStore(files_.Dir(), sink, kProbeAttempts, SnapshotBuffer()));
}

RecordStore AddressBook::ReadRecords() const {
  ReadResult read = ReadWholeFile(files_.StorePath(), SnapshotBuffer());
  return KeepBuffer(read.status == ReadStatus::Ok ? RecordStore(std::move(read.bytes))
                                                  : RecordStore());
}

DeletedList AddressBook::LoadDeleted(MessageSink& sink) const {
  const QString path = files_.SecurePath();
  // A link that leads nowhere is an unreadable file, not a missing one.
  if (!EntryExists(path))
    return DeletedList{{}, true};
  LoadResult result = LoadSortedList(path, sink);
  if (!result.loaded && result.missing)
    return DeletedList{{}, true};
  return DeletedList{std::move(result.lines), result.loaded};
}

bool ListFileHolds(QByteArrayView bytes, const QString& key) {
  const QByteArray needle = ToCp1252(key);
  if (needle.isEmpty())
    return false;
  auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
  qsizetype from = 0;
  while (true) {
    const qsizetype at = bytes.indexOf(needle, from);
    if (at < 0)
      return false;
    const qsizetype end = at + needle.size();
    const bool startsLine = at == 0 || isLineEnd(bytes.at(at - 1));
    const bool endsLine = end == bytes.size() || isLineEnd(bytes.at(end));
    if (startsLine && endsLine)
      return true;
    from = at + 1;
  }
}

}  // namespace store
