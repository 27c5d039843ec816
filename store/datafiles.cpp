#include "store/datafiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QThread>

#include "store/fileio.h"
#include "store/inparallel.h"
#include "store/listbytes.h"
#include "store/messages.h"
#include "store/profiletext.h"
#include "store/replacedfiles.h"
#include "store/usererror.h"

namespace store {
namespace {

// A file that exists but cannot be read is tried a few more times at once (another
// workstation may be replacing it this very moment) before the change gives up.
constexpr int kReadAttempts = 20;

// Holds the data directory's lock file for one read-merge-write.
//
// Other workstations hold the lock for a few milliseconds at a time, so a waiting change
// tries again every few milliseconds. QLockFile's own wait sleeps ever longer between its
// attempts (up to seconds); while several workstations are busy it misses the short moments
// in which the lock is free and fails its bounded wait although the lock was free often.
class DirLock {
 public:
  DirLock(const QString& path, int waitMs, int staleMs, const QString& failureMessage)
      : lock_(path) {
    lock_.setStaleLockTime(staleMs);
    const QDeadlineTimer deadline(waitMs);
    while (!lock_.tryLock(0)) {
      // Only a lock held by another workstation is worth waiting for; a directory that
      // cannot be written fails at once.
      if (lock_.error() != QLockFile::LockFailedError || deadline.hasExpired())
        throw store::UserError(failureMessage);
      // Waiting workstations spread out, so they do not all try again at the same moment.
      QThread::msleep(QRandomGenerator::global()->bounded(1, 4));
    }
  }

 private:
  // Files the change replaces are let go of after the lock (declared first, it goes last).
  HoldReplacedFiles holdReplaced_;
  QLockFile lock_;
};

// Reads a data file for a change. A missing file counts as empty; a file that exists but
// cannot be read stops the change before anything is written, so it is never rewritten from
// an empty list.
QByteArray ReadForChange(const QString& path) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    ReadResult read = ReadWholeFile(path);
    if (read.status == ReadStatus::Ok)
      return std::move(read.bytes);
    if (read.status == ReadStatus::Missing)
      return {};
  }
  throw store::UserError(LoadFailureMessage());
}

// Writes the list's new file under a temporary name. Normally a few pieces of the bytes
// read; a list written elsewhere with other line ends comes in as many pieces as lines and
// is joined instead.
bool WriteListPieces(PendingReplace* file, const ListBytes& list) {
  const std::vector<QByteArrayView> pieces = list.Pieces();
  if (pieces.size() <= 64)
    return file->Write(pieces);
  const QByteArray joined = list.Bytes();
  return file->Write({QByteArrayView(joined)});
}

void WriteList(const QString& path, const ListBytes& list) {
  PendingReplace file(path);
  if (!WriteListPieces(&file, list) || !file.Commit())
    throw store::UserError(CannotCreateMessage(path));
}

void WriteStore(const QString& path, const QByteArray& bytes) {
  if (!WriteFileAtomic(path, bytes))
    throw store::UserError(CannotWriteMessage(path));
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
  ListBytes names(ReadForChange(NamesPath()));
  // A key that differs from a listed one only in letter case would overwrite that record's
  // section. So would a soft-deleted record's key, and a later purge would then erase the
  // new record with the old one.
  if (names.IndexIgnoringCase(key) >= 0)
    return SaveOutcome::KeyExists;
  if (ListBytes(ReadForChange(SecurePath())).IndexIgnoringCase(key) >= 0) {
    return SaveOutcome::KeyExists;
  }

  // The record goes into the store while the name index is made ready; the new index
  // replaces the old one only once the record is in the store, so no workstation ever lists
  // a key without its record. With a large store both are done at once, the store on a
  // second thread (the key order the index needs belongs to this one). The store is read
  // here: memory a second thread takes for itself is given back to the system at once, and
  // taking 30 MB afresh at every save would cost more than the thread saves.
  const ProfileText store(ReadForChange(StorePath()));
  auto writeStore = [&] {
    QList<QPair<QString, QString>> keyValues;
    for (int field : StoreOrder())
      keyValues.append({QString::fromLatin1(Fields()[field].storeKey), values[field]});
    // The file is written as it was around the changed section: no copy of the whole store.
    const ProfileText::SectionChange change = store.PlanSection(key, keyValues);
    const QByteArray& before = store.Bytes();
    if (!WriteFileAtomic(StorePath(),
                         {QByteArrayView(before).first(change.begin), QByteArrayView(change.bytes),
                          QByteArrayView(before).sliced(change.end)})) {
      throw store::UserError(CannotWriteMessage(StorePath()));
    }
  };
  PendingReplace namesFile(NamesPath());
  bool namesWritten = false;
  auto prepareNames = [&] {
    names.InsertSorted(key);
    namesWritten = WriteListPieces(&namesFile, names);
  };
  if (store.Bytes().size() >= kParallelThreshold) {
    InParallel(true, prepareNames, writeStore);
  } else {
    writeStore();
    prepareNames();
  }
  if (!namesWritten || !namesFile.Commit())
    throw store::UserError(CannotCreateMessage(NamesPath()));
  return SaveOutcome::Saved;
}

void DataFiles::RemoveFromNames(const QString& key) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  ListBytes names(ReadForChange(NamesPath()));
  if (names.RemoveAll(key) == 0)
    return;
  WriteList(NamesPath(), names);
}

void DataFiles::AddToNames(const QString& key) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  ListBytes names(ReadForChange(NamesPath()));
  if (names.IndexIgnoringCase(key) >= 0)
    return;
  names.InsertSorted(key);
  WriteList(NamesPath(), names);
}

bool DataFiles::DeleteRecord(const QString& key) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(SecurePath()));
  ListBytes names(ReadForChange(NamesPath()));
  ListBytes secure(ReadForChange(SecurePath()));
  // A key that is no longer listed was deleted, or taken into an edit, elsewhere meanwhile.
  if (names.IndexOf(key) < 0)
    return false;
  // The deleted-records file first: should the second write fail, the key stands in both
  // files rather than in none, and nothing is lost.
  if (secure.IndexOf(key) < 0) {
    secure.Append(key);
    WriteList(SecurePath(), secure);
  }
  names.RemoveAll(key);
  WriteList(NamesPath(), names);
  return true;
}

DataFiles::RestoreOutcome DataFiles::RestoreRecords(const QStringList& keys) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  ListBytes names(ReadForChange(NamesPath()));
  ListBytes secure(ReadForChange(SecurePath()));
  for (const QString& key : keys) {
    // A key in both files is a move that a failed write cut short (see below): restoring it
    // again completes the move instead of refusing it.
    const bool cutShort = names.IndexOf(key) >= 0 && secure.IndexOf(key) >= 0;
    if (!cutShort && names.IndexIgnoringCase(key) >= 0)
      return RestoreOutcome::KeyLive;
  }
  RestoreOutcome outcome = RestoreOutcome::Restored;
  bool moved = false;
  for (const QString& key : keys) {
    const qsizetype at = secure.IndexOf(key);
    if (at < 0) {
      outcome = RestoreOutcome::NotDeleted;  // restored or purged elsewhere meanwhile
      continue;
    }
    secure.RemoveAt(at);
    if (names.IndexIgnoringCase(key) < 0)
      names.InsertSorted(key);
    moved = true;
  }
  if (!moved)
    return outcome;
  // The name index first: should the second write fail, the key is listed twice rather than
  // nowhere, and a purge never erases the section of a key that is listed as live.
  WriteList(NamesPath(), names);
  WriteList(SecurePath(), secure);
  return outcome;
}

void DataFiles::PurgeRecords(const QStringList& keys) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  const ListBytes names(ReadForChange(NamesPath()));
  ListBytes secure(ReadForChange(SecurePath()));
  const QByteArray before = ReadForChange(StorePath());
  ProfileText store(before);
  for (const QString& key : keys) {
    if (secure.RemoveAll(key) == 0)
      continue;  // restored or purged elsewhere meanwhile
    // A key that is live again (or whose section a listed key shares) keeps its section.
    if (names.IndexIgnoringCase(key) < 0)
      store.EraseSection(key);
  }
  if (store.Bytes() != before)
    WriteStore(StorePath(), store.Bytes());
  WriteList(SecurePath(), secure);
}

ImportOutcome DataFiles::ImportRecords(const std::vector<NewRecord>& records,
                                       const std::function<bool()>& proceed) {
  DirLock lock(LockPath(), lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  // Without its name index the address book is unreachable (a share that dropped out): an
  // import must not start a new one there.
  if (!QFileInfo::exists(NamesPath()))
    throw store::UserError(LoadFailureMessage());
  const QByteArray names = ReadForChange(NamesPath());
  const QByteArray secure = ReadForChange(SecurePath());
  const bool storeExists = QFileInfo::exists(StorePath());
  if (!storeExists && (!names.trimmed().isEmpty() || !secure.trimmed().isEmpty()))
    throw store::UserError(LoadFailureMessage());
  const QByteArray before = ReadForChange(StorePath());
  ImportPlan plan = PlanImport(names, secure, before, records);
  if (plan.outcome.imported == 0)
    return plan.outcome;
  if (proceed && !proceed()) {
    plan.outcome.cancelled = true;
    plan.outcome.imported = 0;
    return plan.outcome;
  }
  // The record store first: should the name index fail, the new sections stand in the store
  // listed by no one, and no workstation ever lists a key without its record.
  if (!WriteFileAtomic(StorePath(), {QByteArrayView(before), QByteArrayView(plan.sections)}))
    throw store::UserError(CannotWriteMessage(StorePath()));
  if (!WriteFileAtomic(NamesPath(), plan.names))
    throw store::UserError(CannotCreateMessage(NamesPath()));
  return plan.outcome;
}

}  // namespace store
