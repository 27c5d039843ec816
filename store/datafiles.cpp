#include "store/datafiles.h"

#include <QDir>
#include <QLockFile>

#include "platform/usererror.h"
#include "store/cp1252.h"
#include "store/fileio.h"
#include "store/listfile.h"
#include "store/messages.h"
#include "store/profiletext.h"
#include "store/sharedaccess.h"

namespace store {
namespace {

// A list file that exists but cannot be read is tried a few more times at once (another
// workstation may be replacing it this very moment) before the change gives up.
constexpr int kListReadAttempts = 20;

// Holds the data directory's lock file for one read-merge-write.
class DirLock {
 public:
  DirLock(const QString& path, int waitMs, int staleMs, const QString& failureMessage)
      : lock_(path) {
    lock_.setStaleLockTime(staleMs);
    if (!lock_.tryLock(waitMs))
      throw platform::UserError(failureMessage);
  }

 private:
  QLockFile lock_;
};

// Reads a list file for a change. A missing file counts as empty; a file that exists but
// cannot be read stops the change before anything is written.
QStringList ReadListForChange(const QString& path) {
  for (int attempt = 0; attempt < kListReadAttempts; ++attempt) {
    const ReadResult read = ReadWholeFile(path);
    if (read.status == ReadStatus::Ok)
      return DecodeListFile(read.bytes);
    if (read.status == ReadStatus::Missing)
      return {};
  }
  throw platform::UserError(LoadFailureMessage());
}

QByteArray ReadStoreForChange(const QString& path) {
  for (int attempt = 0; attempt < kListReadAttempts; ++attempt) {
    ReadResult read = ReadWholeFile(path);
    if (read.status == ReadStatus::Ok)
      return std::move(read.bytes);
    if (read.status == ReadStatus::Missing)
      return {};
  }
  throw platform::UserError(LoadFailureMessage());
}

void WriteList(const QString& path, const QStringList& keys) {
  if (!WriteFileAtomic(path, EncodeListFile(keys))) {
    throw platform::UserError(CannotCreateMessage(path));
  }
}

void WriteStore(const QString& path, const QByteArray& bytes) {
  if (!WriteFileAtomic(path, bytes))
    throw platform::UserError(CannotWriteMessage(path));
}

// Record keys that differ only in letter case address the same section, so "is it listed"
// ignores letter case.
qsizetype IndexIgnoringCase(const QStringList& list, const QString& key) {
  const QByteArray folded = FoldCase(ToCp1252(key));
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (list.at(i).size() == key.size() && FoldCase(ToCp1252(list.at(i))) == folded)
      return i;
  }
  return -1;
}

bool ListedIgnoringCase(const QStringList& list, const QString& key) {
  return IndexIgnoringCase(list, key) >= 0;
}

}  // namespace

DataFiles::DataFiles(QString dir) : dir_(std::move(dir)) {}

QString DataFiles::StorePath() const {
  return QDir(dir_).filePath(QStringLiteral("adresse.qdx"));
}
QString DataFiles::NamesPath() const {
  return QDir(dir_).filePath(QStringLiteral("names.qdx"));
}
QString DataFiles::SecurePath() const {
  return QDir(dir_).filePath(QStringLiteral("secure.qdx"));
}
QString DataFiles::LockPath() const {
  return QDir(dir_).filePath(QStringLiteral(".adressbuch.lock"));
}

void DataFiles::SetLockTimeouts(int waitMs, int staleMs) {
  lockWaitMs_ = waitMs;
  lockStaleMs_ = staleMs;
}

DataFiles::SaveOutcome DataFiles::SaveRecord(const QString& key, const RecordValues& values) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  QStringList names = ReadListForChange(NamesPath());
  // A key that differs from a listed one only in letter case would overwrite that record's
  // section; a soft-deleted record's section would be overwritten, and a later purge would
  // erase the new record with it.
  if (ListedIgnoringCase(names, key))
    return SaveOutcome::KeyExists;
  if (ListedIgnoringCase(ReadListForChange(SecurePath()), key))
    return SaveOutcome::KeyExists;

  ProfileText store(ReadStoreForChange(StorePath()));
  QList<QPair<QString, QString>> keyValues;
  for (int field : StoreOrder()) {
    keyValues.append({QString::fromLatin1(Fields()[field].storeKey), values[field]});
  }
  store.WriteSection(key, keyValues);
  WriteStore(StorePath(), store.Bytes());

  names.append(key);
  SortKeys(names);
  WriteList(NamesPath(), names);
  return SaveOutcome::Saved;
}

void DataFiles::RemoveFromNames(const QString& key) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  QStringList names = ReadListForChange(NamesPath());
  if (names.removeAll(key) == 0)
    return;
  WriteList(NamesPath(), names);
}

void DataFiles::AddToNames(const QString& key) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  QStringList names = ReadListForChange(NamesPath());
  if (ListedIgnoringCase(names, key))
    return;
  names.append(key);
  SortKeys(names);
  WriteList(NamesPath(), names);
}

bool DataFiles::DeleteRecord(const QString& key) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(SecurePath()));
  QStringList names = ReadListForChange(NamesPath());
  QStringList secure = ReadListForChange(SecurePath());
  // A key that is no longer listed was deleted or taken into an edit elsewhere meanwhile.
  if (!names.contains(key))
    return false;
  if (!secure.contains(key)) {
    secure.append(key);
    WriteList(SecurePath(), secure);
  }
  names.removeAll(key);
  WriteList(NamesPath(), names);
  return true;
}

DataFiles::RestoreOutcome DataFiles::RestoreRecords(const QStringList& keys) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  QStringList names = ReadListForChange(NamesPath());
  QStringList secure = ReadListForChange(SecurePath());
  for (const QString& key : keys) {
    if (ListedIgnoringCase(names, key))
      return RestoreOutcome::KeyLive;
  }
  RestoreOutcome outcome = RestoreOutcome::Restored;
  bool moved = false;
  for (const QString& key : keys) {
    const qsizetype at = secure.indexOf(key);
    if (at < 0) {
      outcome = RestoreOutcome::NotDeleted;  // restored or purged elsewhere meanwhile
      continue;
    }
    secure.removeAt(at);
    if (!ListedIgnoringCase(names, key))
      names.append(key);
    moved = true;
  }
  if (!moved)
    return outcome;
  // The name index first: should the second write fail, the key is listed twice rather than
  // nowhere, and a purge never erases a key that is listed as live.
  SortKeys(names);
  WriteList(NamesPath(), names);
  WriteList(SecurePath(), secure);
  return outcome;
}

void DataFiles::PurgeRecords(const QStringList& keys) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  const QStringList names = ReadListForChange(NamesPath());
  QStringList secure = ReadListForChange(SecurePath());
  const QByteArray before = ReadStoreForChange(StorePath());
  ProfileText store(before);
  for (const QString& key : keys) {
    if (!secure.contains(key))
      continue;  // restored or purged elsewhere meanwhile
    secure.removeAll(key);
    // A key that is live again (its section shared with a listed key) keeps its section.
    if (!ListedIgnoringCase(names, key))
      store.EraseSection(key);
  }
  if (store.Bytes() != before)
    WriteStore(StorePath(), store.Bytes());
  WriteList(SecurePath(), secure);
}

}  // namespace store
