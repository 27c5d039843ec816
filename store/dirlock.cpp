#include "store/dirlock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "store/fileio.h"
#include "store/messages.h"
#include "store/usererror.h"

namespace store {
namespace {

LockWaitNotice& Notice() {
  static LockWaitNotice notice;
  return notice;
}

std::mutex lockRefusalMutex;
std::function<bool()>& LockRefusal() {
  static std::function<bool()> refuses;
  return refuses;
}
bool LockRefused() {
  std::function<bool()> refuses;
  {
    std::lock_guard<std::mutex> guard(lockRefusalMutex);
    refuses = LockRefusal();
  }
  return refuses && refuses();
}

// Whether what stands at the lock's place may be a lock that a workstation holds. A directory
// or a link that leads nowhere is no one's lock: it never goes away by waiting, and the lock
// cannot be taken until someone removes it, so the change fails as in a directory that cannot
// be written, at once. A lock removed a moment ago counts as held: the next try takes it.
bool MayBeHeld(const QFileInfo& lockFile) {
  return lockFile.isFile() || (!lockFile.exists() && !lockFile.isSymLink());
}

// Whether the lock file is older than the stale time by the clock of the file system that
// holds it, the one that dated it. A workstation's own clock may be minutes off the file
// server's, and by it a lock taken a moment ago on the server looks long abandoned (or one
// abandoned long ago looks young). Without a way to ask the file system (a directory that
// takes no new file), this workstation's clock judges.
bool OlderThanStaleTime(const QString& lockPath, int staleMs) {
  const QDateTime dated = FreshAttributes(lockPath).modified;
  if (!dated.isValid())
    return false;  // gone meanwhile: the next attempt takes it
  const QDateTime now = FileSystemNow(lockPath).value_or(QDateTime::currentDateTime());
  return dated.msecsTo(now) > staleMs;
}

// A held lock's age asks the file system for its time: not at every attempt.
constexpr int kAgeCheckMs = 250;

void EndWait(bool waiting) {
  if (waiting && Notice().end)
    Notice().end();
}

}  // namespace

// Keeps a held lock file young while its change works. A waiting workstation takes a lock over
// once the file is older than the stale time: that is how the lock of a workstation that died
// is recognised. Its own machine's live holders are guarded by the system's lock on the file,
// but a workstation on another machine of the share may see only the file's age, and a change
// of many records (a purge of fifty thousand deleted ones, a share that is slow) can work
// longer than the stale time: its lock would be taken over and two changes would write at
// once. So the holder touches its lock file several times within the stale time; the lock of
// a dead workstation is no longer touched and goes stale as before.
class LockRefresher {
 public:
  LockRefresher(const QString& lockPath, int staleMs)
      : path_(lockPath), interval_(std::max(1, staleMs / 4)) {
    if (staleMs > 0)
      thread_ = std::thread([this] { Run(); });
  }
  ~LockRefresher() {
    if (!thread_.joinable())
      return;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  LockRefresher(const LockRefresher&) = delete;
  LockRefresher& operator=(const LockRefresher&) = delete;

 private:
  void Run() {
    std::unique_lock<std::mutex> guard(mutex_);
    while (!wake_.wait_for(guard, interval_, [this] { return done_; }))
      Touch();
  }
  void Touch() const {
#ifdef Q_OS_WIN
    // A lock file that its holder has open cannot be removed on Windows, also not over the
    // share: no one takes a live lock over there, whatever its age.
#else
    // Dated by the clock that dated the file when it was made, the file system's: the client
    // of a share that is told "now" may send this workstation's time along instead, and a
    // holder whose clock is behind would make its live lock look abandoned to the others.
    const QByteArray path = QFile::encodeName(path_);
    if (const std::optional<QDateTime> now = FileSystemNow(path_)) {
      const qint64 ms = now->toMSecsSinceEpoch();
      const timespec at{time_t(ms / 1000), long(ms % 1000) * 1000000};
      const timespec times[2] = {at, at};
      ::utimensat(AT_FDCWD, path.constData(), times, 0);
    } else {
      ::utimensat(AT_FDCWD, path.constData(), nullptr, 0);
    }
#endif
  }

  const QString path_;
  const std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;
};

DirLock::DirLock(const DataFiles& files, int waitMs, int staleMs, const QString& failureMessage)
    : lock_(files.LockPath()) {
  // QLockFile itself takes over only the lock of a process of this machine that is gone;
  // the age of a lock from another machine is judged here, by the file system's clock.
  lock_.setStaleLockTime(0);
  const QDeadlineTimer deadline(waitMs);
  bool waiting = false;
  int refusedInARow = 0;
  QDeadlineTimer nextAgeCheck(0);
  for (Attempt attempt = TryOnce(); attempt != Attempt::Taken; attempt = TryOnce()) {
    // Only a lock held by another workstation is worth waiting for; a directory that
    // cannot be written fails at once. A share reached through SFTP (sshfs) refuses to
    // create a lock file that is already there with a general error instead of "exists":
    // while a lock file stands there, that is a held lock too. A refusal with none there
    // is tried again at once, since the holder may have let go in between.
    const QFileInfo lockFile(files.LockPath());  // one question to the share per attempt
    const bool held = attempt == Attempt::Held || lockFile.isFile();
    refusedInARow = held ? 0 : refusedInARow + 1;
    if (!MayBeHeld(lockFile) || refusedInARow >= 3) {
      EndWait(waiting);
      throw UserError(failureMessage);
    }
    if (!held)
      continue;
    if (staleMs > 0 && nextAgeCheck.hasExpired()) {
      nextAgeCheck.setRemainingTime(kAgeCheckMs);
      if (RemoveIfAbandoned(files.LockPath(), staleMs))
        continue;
    }
    if (deadline.hasExpired()) {
      EndWait(waiting);
      throw UserError(LockBusyMessage());
    }
    if (!waiting && Notice().begin)
      Notice().begin();
    waiting = true;
    // Waiting workstations spread out, so they do not all try again at the same moment.
    QThread::msleep(QRandomGenerator::global()->bounded(1, 4));
  }
  EndWait(waiting);
  refresher_ = std::make_unique<LockRefresher>(files.LockPath(), staleMs);
  // Leftovers of changes that crashed are cleared while no other change can be writing.
  RemoveStaleTemporaries(
      {files.StorePath(), files.NamesPath(), files.SecurePath(), files.LockPath()});
}

DirLock::~DirLock() = default;

// Removes the lock file of a workstation that died, recognised by its age. Two waiting
// workstations must not both remove it: the second would remove the first one's new lock.
// So the removal is itself guarded by a lock, the one QLockFile uses for the same purpose,
// and the age is looked at once more under it.
bool DirLock::RemoveIfAbandoned(const QString& lockPath, int staleMs) {
  if (!OlderThanStaleTime(lockPath, staleMs))
    return false;
  QLockFile removal(lockPath + QStringLiteral(".rmlock"));
  return removal.tryLock(0) && OlderThanStaleTime(lockPath, staleMs) && lock_.removeStaleLockFile();
}

DirLock::Attempt DirLock::TryOnce() {
  if (LockRefused())
    return Attempt::Refused;
  if (lock_.tryLock(0))
    return Attempt::Taken;
  return lock_.error() == QLockFile::LockFailedError ? Attempt::Held : Attempt::Refused;
}

void SetLockWaitNotice(LockWaitNotice notice) {
  Notice() = std::move(notice);
}

const LockWaitNotice& CurrentLockWaitNotice() {
  return Notice();
}

void SetLockRefusalForTesting(std::function<bool()> refuses) {
  std::lock_guard<std::mutex> guard(lockRefusalMutex);
  LockRefusal() = std::move(refuses);
}

}  // namespace store
