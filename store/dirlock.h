#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

#include "store/datafiles.h"
#include "store/replacedfiles.h"

namespace store {

class LockRefresher;

// Holds the data directory's lock file for one read-merge-write.
//
// Other workstations hold the lock for a few milliseconds at a time, so a waiting change
// tries again every few milliseconds. QLockFile's own wait sleeps ever longer between its
// attempts (up to seconds); while several workstations are busy it misses the short moments
// in which the lock is free and fails its bounded wait although the lock was free often.
//
// Waits up to waitMs for a lock another workstation holds, and takes over one older than
// staleMs (by the file system's clock). Throws UserError(failureMessage) when the directory
// takes no lock file, and UserError(LockBusyMessage()) when the wait is over.
class DirLock {
 public:
  DirLock(const DataFiles& files, int waitMs, int staleMs, const QString& failureMessage);
  ~DirLock();
  DirLock(const DirLock&) = delete;
  DirLock& operator=(const DirLock&) = delete;

 private:
  enum class Attempt { Taken, Held, Refused };

  bool RemoveIfAbandoned(const QString& lockPath, int staleMs);
  Attempt TryOnce();

  // Files the change replaces are let go of after the lock (declared first, it goes last).
  HoldReplacedFiles holdReplaced_;
  QLockFile lock_;
  std::unique_ptr<LockRefresher> refresher_;  // stops before the lock file goes
};

}  // namespace store
