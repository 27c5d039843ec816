#include "store/replacedfiles.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#endif

namespace store {

#ifndef Q_OS_LINUX

ReplacedFile::ReplacedFile(const QString&, qint64) {}
ReplacedFile::~ReplacedFile() = default;
void CloseReplacedLater(int, qint64) {}
bool OnLocalDisk(int) {
  return false;
}
HoldReplacedFiles::HoldReplacedFiles() = default;
HoldReplacedFiles::~HoldReplacedFiles() = default;
void WaitForReplacedFiles() {}

#else

namespace {

constexpr qint64 kLargeFile = 1 << 20;

bool IsLocalDisk(unsigned long long type) {
  switch (type) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
    case 0x01021994:  // tmpfs
      return true;
    default:
      return false;
  }
}

std::mutex heldMutex;
std::condition_variable allClosed;
int holders = 0;
std::vector<int> held;
int closing = 0;  // files being let go of on threads of their own

void CloseNow(const std::vector<int>& fds) {
  for (int fd : fds)
    ::close(fd);
  std::lock_guard<std::mutex> guard(heldMutex);
  closing -= int(fds.size());
  allClosed.notify_all();
}

void CloseInBackground(std::vector<int> fds) {
  {
    std::lock_guard<std::mutex> guard(heldMutex);
    closing += int(fds.size());
  }
  try {
    std::thread([fds] { CloseNow(fds); }).detach();
  } catch (const std::system_error&) {
    CloseNow(fds);
  }
}

}  // namespace

bool OnLocalDisk(int fd) {
  struct statfs disk {};
  return ::fstatfs(fd, &disk) == 0 && IsLocalDisk(disk.f_type);
}

ReplacedFile::ReplacedFile(const QString& path, qint64 newSize) {
  if (newSize < kLargeFile)
    return;
  fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ >= 0 && !OnLocalDisk(fd_)) {
    ::close(fd_);
    fd_ = -1;
  }
}

ReplacedFile::~ReplacedFile() {
  if (fd_ >= 0)
    CloseReplacedLater(fd_, kLargeFile);
}

void CloseReplacedLater(int fd, qint64 size) {
  if (size < kLargeFile || !OnLocalDisk(fd)) {
    ::close(fd);
    return;
  }
  {
    std::lock_guard<std::mutex> guard(heldMutex);
    if (holders > 0) {
      held.push_back(fd);
      return;
    }
  }
  CloseInBackground({fd});
}

HoldReplacedFiles::HoldReplacedFiles() {
  std::lock_guard<std::mutex> guard(heldMutex);
  ++holders;
}

HoldReplacedFiles::~HoldReplacedFiles() {
  std::vector<int> fds;
  {
    std::lock_guard<std::mutex> guard(heldMutex);
    if (--holders == 0)
      fds.swap(held);
  }
  if (!fds.empty())
    CloseInBackground(std::move(fds));
}

void WaitForReplacedFiles() {
  std::unique_lock<std::mutex> lock(heldMutex);
  allClosed.wait(lock, [] { return closing == 0; });
}

#endif

}  // namespace store
