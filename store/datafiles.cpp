#include "store/datafiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "store/cp1252.h"
#include "store/dirlock.h"
#include "store/fileio.h"
#include "store/inparallel.h"
#include "store/listbytes.h"
#include "store/listfile.h"
#include "store/messages.h"
#include "store/profilescan.h"
#include "store/profiletext.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"

namespace store {
namespace {

// A file that exists but cannot be read is tried a few more times at once (another
// workstation may be replacing it this very moment) before the change gives up.
constexpr int kReadAttempts = 20;

int defaultLockWaitMs = 10000;
int defaultLockStaleMs = 30000;

// Reads a data file for a change. A file that exists but cannot be read (also a link that
// leads nowhere) stops the change before anything is written, so it is never rewritten from
// an empty list; so does a missing file that the change may not take as empty.
enum class IfMissing { Empty, Fail };
QByteArray ReadForChange(const QString& path, IfMissing ifMissing = IfMissing::Empty,
                         QByteArray reuse = {}) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    ReadResult read = ReadWholeFile(path, std::exchange(reuse, QByteArray()));
    if (read.status == ReadStatus::Ok)
      return std::move(read.bytes);
    if (read.status == ReadStatus::Missing && ifMissing == IfMissing::Empty)
      return {};
  }
  throw store::UserError(LoadFailureMessage());
}

// The record store's bytes of the last change, kept for the next one to read into: taking
// 30 MB of memory afresh at every save costs more page faults than the read copies bytes.
std::mutex spareMutex;
QByteArray& SpareStoreBuffer() {
  static QByteArray spare;
  return spare;
}

// The name index must exist: without it the address book is unreachable (a share that
// dropped out), and a change would start a new index that lists none of the records.
QByteArray ReadNamesForChange(const QString& path) {
  return ReadForChange(path, IfMissing::Fail);
}

// The name index as read for a change that writes it, its order known when it holds the bytes
// this directory's changes wrote last. Shared, so that the change can hand it to namesOrder
// once written.
std::shared_ptr<ListBytes> NamesInOrder(QByteArray bytes, const WrittenInOrder& namesOrder) {
  auto names = std::make_shared<ListBytes>(std::move(bytes));
  namesOrder.Recall(*names);
  return names;
}

// The record store may be missing only while no list names a key: a new address book gets
// its first one. Otherwise every listed record would read "Error" after the next save.
QByteArray ReadStoreForChange(const QString& path, bool listsNameKeys, QByteArray reuse = {}) {
  QByteArray bytes =
      ReadForChange(path, listsNameKeys ? IfMissing::Fail : IfMissing::Empty, std::move(reuse));
  // A record store that an editor saved as UTF-16 holds records that no reader finds: sections
  // written into it would make a file that is neither UTF-16 nor Windows-1252, and that no
  // editor can turn back.
  if (HasUtf16ByteOrderMark(bytes))
    throw UserError(Utf16StoreMessage(path));
  return bytes;
}

// Holds the record store's bytes for one change, read into the buffer the last change kept,
// and keeps the buffer for the next change once no one else shares it. Declared before the
// objects that share the bytes, so it goes after them.
class StoreBytes {
 public:
  StoreBytes() {
    std::lock_guard<std::mutex> guard(spareMutex);
    bytes_ = std::exchange(SpareStoreBuffer(), QByteArray());
  }
  ~StoreBytes() {
    if (!bytes_.isDetached())
      return;
    std::lock_guard<std::mutex> guard(spareMutex);
    SpareStoreBuffer() = std::move(bytes_);
  }
  StoreBytes(const StoreBytes&) = delete;
  StoreBytes& operator=(const StoreBytes&) = delete;

  // The kept buffer, for a read ahead of the lock; Adopt gives the bytes read into it back.
  QByteArray Take() { return std::exchange(bytes_, QByteArray()); }
  const QByteArray& Adopt(QByteArray bytes) {
    bytes_ = std::move(bytes);
    return bytes_;
  }

  const QByteArray& Read(const QString& path, bool listsNameKeys) {
    bytes_ = ReadStoreForChange(path, listsNameKeys, std::exchange(bytes_, QByteArray()));
    return bytes_;
  }

 private:
  QByteArray bytes_;
};

// Writes the list's new file under a temporary name. Normally a few pieces of the bytes
// read; a list written elsewhere with other line ends comes in as many pieces as lines and
// is joined instead.
std::vector<QByteArrayView> ListPieces(const ListBytes& list, QByteArray* joined) {
  std::vector<QByteArrayView> pieces = list.Pieces();
  if (pieces.size() <= 64)
    return pieces;
  *joined = list.Bytes();
  return {QByteArrayView(*joined)};
}

bool WriteListPieces(PendingReplace* file, const ListBytes& list) {
  QByteArray joined;
  return file->Write(ListPieces(list, &joined));
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

// The new files of one save, made from the files as read and forced to disk, then renamed
// over the old ones in order: the record store first, then the name index, so that no
// workstation ever lists a key without its record.
struct SaveWork {
  DataFiles::SaveOutcome outcome = DataFiles::SaveOutcome::Saved;
  std::unique_ptr<PendingReplace> storeFile;
  std::unique_ptr<PendingReplace> namesFile;

  // A key that differs from a listed one only in letter case, or in blanks at its ends, would
  // overwrite that record's section. So would a soft-deleted record's key, and a later purge would
  // then erase the new record with the old one.
  static bool Listed(const QString& key, const ListBytes& names, const ListBytes& secure) {
    return names.IndexOfSameSection(key) >= 0 || secure.IndexOfSameSection(key) >= 0;
  }

  // While a record is edited no list names it, so another workstation's orphan dialog offers
  // it and may list it again. Nothing else can list its key meanwhile (a new record, an import
  // or a rename onto an unlisted section is refused), so a listed line of the edited record's
  // own section names this very record: the save takes its place instead of refusing.
  static void DropRelistedOwnKey(const QString& key, const QString* editedKey, ListBytes& names,
                                 const ListBytes& secure) {
    if (!editedKey || editedKey->isEmpty() ||
        ListBytes::SectionName(key) != ListBytes::SectionName(*editedKey) ||
        secure.IndexOfSameSection(key) >= 0) {
      return;
    }
    for (qsizetype i = names.IndexOfSameSection(key); i >= 0; i = names.IndexOfSameSection(key))
      names.RemoveAt(i);
  }

  // The section is there but no list names it: another workstation is editing that record
  // (its key is out of the name index meanwhile), or it is an orphan. Only the record that
  // this save finishes may overwrite it.
  static bool TakesUnlistedSection(const ProfileText::SectionChange& change, const QString& key,
                                   const QString* editedKey) {
    // The edited record's own section is the one its listed key names: the store ignores
    // letter case and blanks at both ends ("Meier,Anna " as an older version listed it).
    return editedKey && change.existed &&
           FoldCase(profile::EncodeName(key, false)) !=
               FoldCase(profile::EncodeName(*editedKey, false));
  }

  // Where the record's section goes in the store. The file is written as it was around the
  // changed section: no copy of the whole store.
  static ProfileText::SectionChange Plan(const ProfileText& store, const QString& key,
                                         const RecordValues& values) {
    QList<QPair<QString, QString>> keyValues;
    for (int field : StoreOrder())
      keyValues.append({QString::fromLatin1(Fields()[field].storeKey), values[field]});
    return store.PlanSection(key, keyValues);
  }

  // A record store kept in UTF-8 gives back at most 1023 bytes of a value: a longer one would
  // come back cut, so it is not saved.
  static bool FitsStore(const ProfileText& store, const RecordValues& values) {
    return !profile::TextOf(store.Bytes()).utf8 || FieldTooLongForUtf8(values) < 0;
  }
  static void CheckFitsStore(const ProfileText& store, const RecordValues& values) {
    if (!FitsStore(store, values))
      throw UserError(TooLongForUtf8Message(FieldTooLongForUtf8(values)));
  }

  // Makes both new files, names already holding the key (throws with the failing file's
  // message).
  void Write(const DataFiles& files, const ProfileText& store,
             const ProfileText::SectionChange& change, const ListBytes& names) {
    const QByteArrayView before(store.Bytes());
    storeFile = std::make_unique<PendingReplace>(files.StorePath());
    namesFile = std::make_unique<PendingReplace>(files.NamesPath());
    QByteArray joined;
    switch (PendingReplace::WriteBoth(
        *storeFile,
        {before.first(change.begin), QByteArrayView(change.bytes), before.sliced(change.end)},
        *namesFile, ListPieces(names, &joined))) {
      case 1:
        throw UserError(CannotWriteMessage(files.StorePath()));
      case 2:
        throw UserError(CannotCreateMessage(files.NamesPath()));
      default:
        break;
    }
  }

  DataFiles::SaveOutcome Commit(const DataFiles& files) {
    if (outcome != DataFiles::SaveOutcome::Saved)
      return outcome;
    if (!storeFile->Commit())
      throw UserError(CannotWriteMessage(files.StorePath()));
    if (!namesFile->Commit())
      throw UserError(CannotCreateMessage(files.NamesPath()));
    return outcome;
  }
};

// A save made before the lock is held, from the files read ahead. With a large store, the
// store's side (read, find the section) and the lists' side (read, check, insert the key) are
// done at once.
struct SaveAhead {
  ReadAhead names, secure, store;
  std::shared_ptr<ListBytes> namesList;  // as written, once made
  SaveWork work;
  bool made = false;
  std::optional<UserError> failure;

  void Prepare(const DataFiles& files, const QString& key, const RecordValues& values,
               const QString* editedKey, StoreBytes& storeBytes, const WrittenInOrder& namesOrder) {
    bool listed = false;
    bool listsNameKeys = false;
    auto listsSide = [&] {
      names.Read(files.NamesPath());
      secure.Read(files.SecurePath());
      if (names.Status() != ReadStatus::Ok || secure.Status() == ReadStatus::Failed)
        return;
      namesList = NamesInOrder(names.TakeBytes(), namesOrder);
      const ListBytes secureList(secure.TakeBytes());
      listsNameKeys = namesList->HasKeys() || secureList.HasKeys();
      SaveWork::DropRelistedOwnKey(key, editedKey, *namesList, secureList);
      listed = SaveWork::Listed(key, *namesList, secureList);
      if (!listed)
        namesList->InsertSorted(key);
    };
    std::optional<ProfileText> text;
    ProfileText::SectionChange change;
    auto storeSide = [&] {
      store.Read(files.StorePath(), storeBytes.Take());
      if (store.Status() == ReadStatus::Ok) {
        const QByteArray& bytes = storeBytes.Adopt(store.TakeBytes());
        if (HasUtf16ByteOrderMark(bytes))
          return;  // refused under the lock
        text.emplace(bytes);
      } else if (store.Status() == ReadStatus::Missing) {
        text.emplace(QByteArray());
      } else {
        return;
      }
      change = SaveWork::Plan(*text, key, values);
    };
    InParallel(QFileInfo(files.StorePath()).size() >= kParallelThreshold, listsSide, storeSide);
    if (!namesList || !text || !SaveWork::FitsStore(*text, values))
      return;  // made under the lock, which tells why it cannot be
    if (listed) {
      work.outcome = DataFiles::SaveOutcome::KeyExists;
      made = true;
      return;
    }
    if (SaveWork::TakesUnlistedSection(change, key, editedKey)) {
      work.outcome = DataFiles::SaveOutcome::KeyUnlisted;
      made = true;
      return;
    }
    // A new record store only while no list names a key (see ReadStoreForChange).
    if (store.Status() == ReadStatus::Missing && listsNameKeys)
      return;
    try {
      work.Write(files, *text, change, *namesList);
      made = true;
    } catch (const UserError& e) {
      failure = e;
    }
  }
  // The files read are still the files on disk: what was made from them (or the failure to
  // make it) is this change's.
  bool StillCurrent() const {
    return (made || failure) && names.StillCurrent() && secure.StillCurrent() &&
           store.StillCurrent();
  }
  DataFiles::SaveOutcome Commit(const DataFiles& files) {
    if (failure)
      throw *failure;
    return work.Commit(files);
  }
};

// The new files of one soft delete: the deleted-records file with the key, the name index
// without it, renamed in that order: should the second rename fail, the key stands in both
// files rather than in none, and nothing is lost.
struct DeleteWork {
  bool listed = true;
  std::unique_ptr<PendingReplace> secureFile;
  std::unique_ptr<PendingReplace> namesFile;

  void Make(const DataFiles& files, const QString& key, ListBytes& names, ListBytes& secure) {
    // A key that is no longer listed was deleted, or taken into an edit, elsewhere meanwhile.
    if (names.IndexOf(key) < 0) {
      listed = false;
      return;
    }
    names.RemoveAll(key);
    namesFile = std::make_unique<PendingReplace>(files.NamesPath());
    QByteArray namesJoined;
    if (secure.IndexOf(key) >= 0) {
      if (!namesFile->Write(ListPieces(names, &namesJoined)))
        throw UserError(CannotCreateMessage(files.NamesPath()));
      return;
    }
    secure.Append(key);
    secureFile = std::make_unique<PendingReplace>(files.SecurePath());
    QByteArray secureJoined;
    switch (PendingReplace::WriteBoth(*secureFile, ListPieces(secure, &secureJoined), *namesFile,
                                      ListPieces(names, &namesJoined))) {
      case 1:
        throw UserError(CannotCreateMessage(files.SecurePath()));
      case 2:
        throw UserError(CannotCreateMessage(files.NamesPath()));
      default:
        break;
    }
  }

  bool Commit(const DataFiles& files) {
    if (!listed)
      return false;
    if (secureFile && !secureFile->Commit())
      throw UserError(CannotCreateMessage(files.SecurePath()));
    if (!namesFile->Commit())
      throw UserError(CannotCreateMessage(files.NamesPath()));
    return true;
  }
};

struct DeleteAhead {
  ReadAhead names, secure;
  std::shared_ptr<ListBytes> namesList;  // as written, once made
  DeleteWork work;
  bool made = false;

  void Prepare(const DataFiles& files, const QString& key, const WrittenInOrder& namesOrder) {
    names.Read(files.NamesPath());
    secure.Read(files.SecurePath());
    if (names.Status() != ReadStatus::Ok || secure.Status() == ReadStatus::Failed)
      return;
    namesList = NamesInOrder(names.TakeBytes(), namesOrder);
    ListBytes secureList(secure.TakeBytes());
    try {
      work.Make(files, key, *namesList, secureList);
      made = true;
    } catch (const UserError& e) {
      failure = e;
    }
  }
  bool StillCurrent() const {
    return (made || failure) && names.StillCurrent() && secure.StillCurrent();
  }
  bool Commit(const DataFiles& files) {
    if (failure)
      throw *failure;
    return work.Commit(files);
  }
  std::optional<UserError> failure;
};

}  // namespace

DataFiles::DataFiles(QString dir)
    : dir_(std::move(dir)), lockWaitMs_(defaultLockWaitMs), lockStaleMs_(defaultLockStaleMs) {}

void DataFiles::SetDefaultLockTimeouts(int waitMs, int staleMs) {
  defaultLockWaitMs = waitMs;
  defaultLockStaleMs = staleMs;
}

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

namespace {

// One spelling of the file a path leads to: links followed, "." and ".." resolved. A file
// that does not exist yet is named inside its directory's spelling.
QString FileIdentity(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  if (!canonical.isEmpty())
    return canonical;
  const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
  return QDir(dir.isEmpty() ? info.absolutePath() : dir).filePath(info.fileName());
}

}  // namespace

bool DataFiles::HoldsFile(const QString& path) const {
  const QString target = FileIdentity(path);
  for (const QString& own : {StorePath(), NamesPath(), SecurePath(), LockPath()}) {
    if (target.compare(FileIdentity(own), kFileNameCase) == 0)
      return true;
  }
  return false;
}

void DataFiles::SetLockTimeouts(int waitMs, int staleMs) {
  lockWaitMs_ = waitMs;
  lockStaleMs_ = staleMs;
}

DataFiles::SaveOutcome DataFiles::SaveRecord(const QString& key, const RecordValues& values,
                                             const QString* editedKey) {
  StoreBytes storeBytes;
  // Taking the lock waits for the disk (the lock file is forced to it): the save is made
  // meanwhile from the files as they are, and counts once the lock is held if they are still
  // the files read. Otherwise it is made again under the lock.
  std::unique_ptr<SaveAhead> ahead;
  std::optional<DirLock> lock;
  auto takeLock = [&] {
    lock.emplace(*this, lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  };
  if (ReadAhead::Possible()) {
    ahead = std::make_unique<SaveAhead>();
    InParallel(true, takeLock,
               [&] { ahead->Prepare(*this, key, values, editedKey, storeBytes, namesOrder_); });
  } else {
    takeLock();
  }
  if (ahead && ahead->StillCurrent()) {
    const SaveOutcome outcome = ahead->Commit(*this);
    if (outcome == SaveOutcome::Saved)
      namesOrder_.Remember(std::move(ahead->namesList));
    return outcome;
  }
  ahead.reset();  // its new files go

  SaveWork work;
  auto names = NamesInOrder(ReadNamesForChange(NamesPath()), namesOrder_);
  const ListBytes secure(ReadForChange(SecurePath()));
  SaveWork::DropRelistedOwnKey(key, editedKey, *names, secure);
  if (SaveWork::Listed(key, *names, secure))
    return SaveOutcome::KeyExists;
  const ProfileText store(storeBytes.Read(StorePath(), names->HasKeys() || secure.HasKeys()));
  SaveWork::CheckFitsStore(store, values);
  const ProfileText::SectionChange change = SaveWork::Plan(store, key, values);
  if (SaveWork::TakesUnlistedSection(change, key, editedKey))
    return SaveOutcome::KeyUnlisted;
  names->InsertSorted(key);
  work.Write(*this, store, change, *names);
  const SaveOutcome outcome = work.Commit(*this);
  namesOrder_.Remember(std::move(names));
  return outcome;
}

bool DataFiles::RemoveFromNames(const QString& key) {
  DirLock lock(*this, lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  auto names = NamesInOrder(ReadNamesForChange(NamesPath()), namesOrder_);
  if (names->RemoveAll(key) == 0)
    return false;
  // A key that the deleted-records file names too (a delete or restore that a failed write cut
  // short) would have its section erased by a purge elsewhere while the record is edited here,
  // and a cancel would list a record without values. The record is live: the copy goes, first,
  // so that a failure in between leaves the key listed rather than nowhere.
  ListBytes secure(ReadForChange(SecurePath()));
  bool secureChanged = false;
  for (qsizetype i = secure.IndexOfSameSection(key); i >= 0; i = secure.IndexOfSameSection(key)) {
    secure.RemoveAt(i);
    secureChanged = true;
  }
  if (secureChanged)
    WriteList(SecurePath(), secure);
  WriteList(NamesPath(), *names);
  namesOrder_.Remember(std::move(names));
  return true;
}

bool DataFiles::AddToNames(const QString& key, bool needsRecord) {
  DirLock lock(*this, lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  auto names = NamesInOrder(ReadNamesForChange(NamesPath()), namesOrder_);
  if (names->IndexIgnoringCase(key) >= 0)
    return true;
  // Unlisted while it was edited, the record was offered by another workstation's orphan
  // dialog, listed again and deleted there: it stays deleted (and restorable) rather than
  // standing in both lists, and once purged there is no record left to list.
  const ListBytes secure(ReadForChange(SecurePath()));
  if (secure.IndexOfSameSection(key) >= 0)
    return false;
  if (needsRecord) {
    StoreBytes storeBytes;
    if (!ProfileText(storeBytes.Read(StorePath(), true)).HasSection(key))
      return false;
  }
  names->InsertSorted(key);
  WriteList(NamesPath(), *names);
  namesOrder_.Remember(std::move(names));
  return true;
}

bool DataFiles::DeleteRecord(const QString& key) {
  // Made while the lock is taken, as a save is.
  std::unique_ptr<DeleteAhead> ahead;
  std::optional<DirLock> lock;
  auto takeLock = [&] {
    lock.emplace(*this, lockWaitMs_, lockStaleMs_, CannotCreateMessage(SecurePath()));
  };
  if (ReadAhead::Possible()) {
    ahead = std::make_unique<DeleteAhead>();
    InParallel(true, takeLock, [&] { ahead->Prepare(*this, key, namesOrder_); });
  } else {
    takeLock();
  }
  if (ahead && ahead->StillCurrent()) {
    const bool deleted = ahead->Commit(*this);
    if (deleted)
      namesOrder_.Remember(std::move(ahead->namesList));
    return deleted;
  }
  ahead.reset();

  DeleteWork work;
  auto names = NamesInOrder(ReadNamesForChange(NamesPath()), namesOrder_);
  ListBytes secure(ReadForChange(SecurePath()));
  work.Make(*this, key, *names, secure);
  const bool deleted = work.Commit(*this);
  if (deleted)
    namesOrder_.Remember(std::move(names));
  return deleted;
}

DataFiles::RestoreOutcome DataFiles::RestoreRecords(const QStringList& keys) {
  DirLock lock(*this, lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  auto namesList = NamesInOrder(ReadNamesForChange(NamesPath()), namesOrder_);
  ListBytes& names = *namesList;
  ListBytes secure(ReadForChange(SecurePath()));
  // Each list is read once into sets: restoring fifty thousand keys must not scan both lists
  // for each of them.
  const QSet<QString> deleted = secure.ExactKeys();
  const QSet<QString> listed = names.ExactKeys();
  QSet<QByteArray> sections = names.SectionNames();
  for (const QString& key : keys) {
    // A key no longer deleted was restored or purged elsewhere meanwhile: it is skipped below,
    // and refuses none of the others.
    if (!deleted.contains(key))
      continue;
    // A key in both files is a move that a failed write cut short (see below): restoring it
    // again completes the move instead of refusing it.
    const bool cutShort = listed.contains(key);
    if (!cutShort && sections.contains(ListBytes::SectionName(key)))
      return RestoreOutcome::KeyLive;
  }
  RestoreOutcome outcome = RestoreOutcome::Restored;
  QSet<QString> moved;
  QStringList relisted;
  for (const QString& key : keys) {
    // A key given twice is moved once; the second finds it no longer deleted.
    if (!deleted.contains(key) || moved.contains(key)) {
      outcome = RestoreOutcome::NotDeleted;  // restored or purged elsewhere meanwhile
      continue;
    }
    moved.insert(key);
    QByteArray section = ListBytes::SectionName(key);
    if (!sections.contains(section)) {
      relisted.append(key);
      sections.insert(std::move(section));
    }
  }
  names.InsertSorted(relisted);
  if (moved.isEmpty())
    return outcome;
  // Every copy goes: a key that a deleted-records file lists twice (older programs appended
  // without looking) would otherwise still be offered as deleted once it is live again.
  secure.RemoveAll(moved);
  // The name index first: should the second write fail, the key is listed twice rather than
  // nowhere, and a purge never erases the section of a key that is listed as live.
  WriteList(NamesPath(), names);
  namesOrder_.Remember(std::move(namesList));
  WriteList(SecurePath(), secure);
  return outcome;
}

void DataFiles::PurgeRecords(const QStringList& keys) {
  DirLock lock(*this, lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  const ListBytes names(ReadNamesForChange(NamesPath()));
  ListBytes secure(ReadForChange(SecurePath()));
  StoreBytes storeBytes;
  const QByteArray& before = storeBytes.Read(StorePath(), names.HasKeys() || secure.HasKeys());
  ProfileText store(before);
  // Each list is read once into sets, and the store is passed once: purging fifty thousand
  // records must not scan the files for each of them (it held the lock for minutes).
  const QSet<QString> deleted = secure.ExactKeys();
  const QSet<QByteArray> live = names.SectionNames();
  QSet<QString> purged;
  QStringList erased;
  for (const QString& key : keys) {
    if (!deleted.contains(key) || purged.contains(key))
      continue;  // restored or purged elsewhere meanwhile, or given twice
    purged.insert(key);
    // A key that is live again (or whose section a listed key shares) keeps its section.
    // Otherwise every copy goes: a second one would come back as an orphan of the purged
    // record and refuse a new record of that name.
    if (!live.contains(ListBytes::SectionName(key)))
      erased.append(key);
  }
  secure.RemoveAll(purged);
  store.EraseEverySectionOf(erased);
  if (store.Bytes() != before)
    WriteStore(StorePath(), store.Bytes());
  WriteList(SecurePath(), secure);
}

ImportOutcome DataFiles::ImportRecords(const std::vector<NewRecord>& records,
                                       const std::function<bool()>& proceed) {
  DirLock lock(*this, lockWaitMs_, lockStaleMs_, CannotWriteMessage(StorePath()));
  const QByteArray names = ReadNamesForChange(NamesPath());
  const QByteArray secure = ReadForChange(SecurePath());
  const bool listsKeys = !names.trimmed().isEmpty() || !secure.trimmed().isEmpty();
  const QByteArray before = ReadStoreForChange(StorePath(), listsKeys);
  ImportPlan plan = PlanImport(names, secure, before, records);
  if (plan.outcome.imported == 0)
    return plan.outcome;
  if (proceed && !proceed()) {
    plan.outcome.cancelled = true;
    plan.outcome.imported = 0;
    return plan.outcome;
  }
  // The record store first: no workstation ever lists a key without its record. Should the
  // name index fail, the store is put back as it was (the lock is still held, so nothing else
  // changed it); if even that fails, the new sections stand listed by no one, and the user is
  // told how to list them.
  if (!WriteFileAtomic(StorePath(), {QByteArrayView(before), QByteArrayView(plan.sections)}))
    throw store::UserError(CannotWriteMessage(StorePath()));
  if (!WriteFileAtomic(NamesPath(), plan.names)) {
    if (WriteFileAtomic(StorePath(), before))
      throw store::UserError(CannotCreateMessage(NamesPath()) +
                             QStringLiteral("\nEs wurde nichts importiert."));
    throw store::UserError(CannotCreateMessage(NamesPath()) +
                           QStringLiteral("\nDie eingelesenen Datens\u00e4tze stehen in keiner "
                                          "Liste. \"Verwaiste Datens\u00e4tze wiederherstellen\" "
                                          "nimmt sie in die Liste auf."));
  }
  return plan.outcome;
}

QStringList DataFiles::OrphanedKeys() const {
  const ListBytes names(ReadNamesForChange(NamesPath()));
  const ListBytes secure(ReadForChange(SecurePath()));
  const QByteArray store = ReadForChange(StorePath());
  // Section names come without blanks and tabs at their ends; a listed key is compared as the
  // record store reads it. A line that ends in another control character names no section, so
  // the section it was meant for is offered here.
  QSet<QByteArray> listed = names.SectionNames();
  listed.unite(secure.SectionNames());
  QStringList orphans;
  for (const QString& section : profile::SectionNames(store)) {
    // A section the program could not have written under a record key is none of its records.
    if (section.isEmpty() || !IsKeyLength(section.size()))
      continue;
    if (!listed.contains(FoldCase(ToCp1252(section))))
      orphans.append(section);
  }
  SortKeys(orphans);
  return orphans;
}

DataFiles::RestoreOutcome DataFiles::RelistOrphans(const QStringList& keys) {
  DirLock lock(*this, lockWaitMs_, lockStaleMs_, CannotCreateMessage(NamesPath()));
  auto namesList = NamesInOrder(ReadNamesForChange(NamesPath()), namesOrder_);
  ListBytes& names = *namesList;
  const ListBytes secure(ReadForChange(SecurePath()));
  // Each file is read once into a set: listing fifty thousand orphans must not scan the files
  // for each of them (it held the lock for more than a minute).
  const QSet<QByteArray> live = names.SectionNames();
  for (const QString& key : keys) {
    if (live.contains(ListBytes::SectionName(key)))
      return RestoreOutcome::KeyLive;
  }
  // Listing a key needs its record: the store must be there, and each section is looked up.
  StoreBytes storeBytes;
  const QByteArray& store = storeBytes.Read(StorePath(), true);
  const bool utf8 = profile::TextOf(store).utf8;
  const QSet<QByteArray> sections = profile::FoldedSectionNames(store);
  const QSet<QByteArray> deleted = secure.FoldedLines();
  QSet<QByteArray> listed;  // the keys listed here, folded
  RestoreOutcome outcome = RestoreOutcome::Restored;
  QStringList relisted;
  for (const QString& key : keys) {
    // Deleted meanwhile (its key now stands in the deleted-records file): that file decides.
    // Gone meanwhile (listed, deleted and purged elsewhere): listing it would show a record
    // that reads "Error" in every field.
    QByteArray folded = FoldCase(ToCp1252(key));
    if (deleted.contains(folded) || listed.contains(folded) ||
        !sections.contains(FoldCase(profile::EncodeName(key, utf8)))) {
      outcome = RestoreOutcome::NotDeleted;
      continue;
    }
    relisted.append(key);
    listed.insert(std::move(folded));
  }
  if (!relisted.isEmpty()) {
    names.InsertSorted(relisted);
    WriteList(NamesPath(), names);
    namesOrder_.Remember(std::move(namesList));
  }
  return outcome;
}

}  // namespace store
