#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "store/fieldtable.h"
#include "store/importrecords.h"
#include "store/listbytes.h"

namespace store {

// The three data files of one data directory, and every change to them.
//
// Each change takes the lock file "<dir>/.adressbuch.lock" for its read-merge-write (with a
// bounded wait), re-reads the files it changes as they are on disk now, applies its own delta
// (add these keys, remove those keys, write this section) and replaces the files atomically.
// Keys that another workstation added or removed meanwhile stay added or removed.
//
// Failures throw store::UserError with the German message of the failing write:
// "nach <file> kann nicht geschrieben werden" for the record store, "Datei <file> kann nicht
// erstellt werden" for a list file; LockBusyMessage() when another workstation holds the lock
// past the wait. A file that exists but cannot be read (also a link that leads nowhere) stops
// the change before anything is written (LoadFailureMessage()), and so does a missing name
// index, or a missing record store while a list names a key. Only a missing deleted-records
// file counts as empty (it does not exist before the first delete). A data file that is a link
// is written through. Every change clears what crashed changes left behind (temporary files
// older than ten minutes).
class DataFiles {
 public:
  explicit DataFiles(QString dir);

  const QString& Dir() const { return dir_; }
  QString StorePath() const;   // adresse.qdx
  QString NamesPath() const;   // names.qdx
  QString SecurePath() const;  // secure.qdx
  QString LockPath() const;    // .adressbuch.lock
  // True when path names one of the data files or the lock file, also through a link or by
  // another spelling of the same path: an export written there would replace the address book.
  bool HoldsFile(const QString& path) const;

  // How long a change waits for another workstation's lock before it fails, and after how
  // long an abandoned lock (a workstation that died) is taken over. A change keeps its own lock
  // file young while it works, however long that takes, so only an abandoned lock ages.
  void SetLockTimeouts(int waitMs, int staleMs);
  // The same for every object made from now on (10 s and 30 s unless set; tests shorten them).
  static void SetDefaultLockTimeouts(int waitMs, int staleMs);

  enum class SaveOutcome { Saved, KeyExists, KeyUnlisted };
  // Saves a record under key: refused (KeyExists, nothing written) when the name index on
  // disk lists a key equal to it ignoring letter case and blanks at both ends; otherwise writes all
  // fifteen values into the key's section in one atomic replace and adds the key to the name index.
  //
  // editedKey, when given, is the key of the record this save finishes (empty for a new
  // record). The key's section may then only be overwritten when it is that record's own:
  // a section that no list names belongs to a record under edit on another workstation, or
  // to an orphan, and the save is refused (KeyUnlisted, nothing written). Without editedKey
  // the section is overwritten.
  SaveOutcome SaveRecord(const QString& key, const RecordValues& values,
                         const QString* editedKey = nullptr);

  // Name index deltas: the edit cycle takes a key out while it is edited and puts it back.
  // RemoveFromNames is false (nothing written) when the name index no longer lists key: another
  // workstation took the record into an edit, deleted or renamed it since the caller looked.
  // AddToNames is true when key is listed afterwards; false (nothing written) when the
  // deleted-records file names its section, or, with needsRecord, when the record store holds
  // no section for it (deleted and purged meanwhile).
  bool RemoveFromNames(const QString& key);
  bool AddToNames(const QString& key, bool needsRecord = false);

  // Soft delete: moves key from the name index to the deleted-records file.
  // False (nothing written) when the key is no longer listed in the name index.
  bool DeleteRecord(const QString& key);

  enum class RestoreOutcome { Restored, KeyLive, NotDeleted };
  // Moves the keys from the deleted-records file back to the name index. Refused
  // (KeyLive, nothing written) when any of them is listed in the name index ignoring
  // letter case and blanks at both ends (a key that names the same section). Keys no longer in the
  // deleted-records file are skipped and the outcome is NotDeleted; the others are still moved,
  // every copy of them. No key is listed twice.
  RestoreOutcome RestoreRecords(const QStringList& keys);

  // Erases the sections of keys from the record store and removes exactly those keys from
  // the deleted-records file (which is written even when it becomes empty).
  void PurgeRecords(const QStringList& keys);

  // Adds the records of an import as one change: one read-merge-write of the record store
  // (the new sections after the existing ones) and then of the name index (the new keys in
  // their sorted places), so another workstation sees either none of them or all. Records
  // whose key is live, deleted, has a section or came earlier in the import are refused
  // (PlanImport). proceed() is asked once everything is ready, before anything is written;
  // false leaves every file as it was. Stops (UserError) without writing when names.qdx is
  // missing, or adresse.qdx is missing while a list names a key.
  ImportOutcome ImportRecords(const std::vector<NewRecord>& records,
                              const std::function<bool()>& proceed = {});
  // Records that a crash during an edit, or a rename, left behind: the sections of the record
  // store whose names neither the name index nor the deleted-records file lists (letter case
  // ignored), sorted. Reads the files as a reader does, without the lock.
  QStringList OrphanedKeys() const;
  // Lists such keys in the name index again. Refused (KeyLive, nothing written) when any of
  // them is listed there meanwhile, ignoring letter case; keys deleted meanwhile, and keys
  // whose section is gone meanwhile, are skipped (NotDeleted), the others are still listed.
  RestoreOutcome RelistOrphans(const QStringList& keys);

 private:
  QString dir_;
  int lockWaitMs_;
  int lockStaleMs_;
  WrittenInOrder namesOrder_;  // the name index as these changes wrote it last
};

// What the user is shown while a change waits for another workstation's lock: begin runs once
// when the wait starts, end when it is over (lock taken or given up). Process-wide; the
// windows set it (a wait cursor), the store shows nothing itself. Runs on the thread of the
// change.
struct LockWaitNotice {
  std::function<void()> begin;
  std::function<void()> end;
};
void SetLockWaitNotice(LockWaitNotice notice);
const LockWaitNotice& CurrentLockWaitNotice();

// For tests: asked before each attempt to create the lock file (on the thread that takes the
// lock); true refuses the attempt with a general error instead of "exists", as a share reached
// through SFTP (sshfs) refuses a lock file that is already there. Empty function: none refused.
void SetLockRefusalForTesting(std::function<bool()> refuses);

}  // namespace store
