#include "tests/store/shareclient/filequestions.h"

#include "tests/store/shareclient/rememberedlength.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QFile>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::mutex mutex;
std::string watched;  // with a trailing slash; empty: not counting
std::atomic<int> questions{0};
std::atomic<int> roundTripMs{0};

mode_t ModeOf(int flags, va_list args) {
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(args, int)) : 0;
}

}  // namespace

namespace testsupport {

void CountFileQuestions(const QString& dir) {
  std::lock_guard<std::mutex> guard(mutex);
  watched = QFile::encodeName(dir).toStdString() + '/';
  questions = 0;
}

int FileQuestions() {
  return questions;
}

void StopCountingFileQuestions() {
  std::lock_guard<std::mutex> guard(mutex);
  watched.clear();
  roundTripMs = 0;
}

void SetRoundTripMs(int ms) {
  roundTripMs = ms;
}

void NoteFileQuestion(const char* path) {
  if (path == nullptr)
    return;
  {
    std::lock_guard<std::mutex> guard(mutex);
    if (watched.empty() || std::strncmp(path, watched.c_str(), watched.size()) != 0)
      return;
    ++questions;
  }
  if (roundTripMs > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(roundTripMs.load()));
}

}  // namespace testsupport

namespace {

int OpenCounted(const char* path, int flags, va_list args) {
  const mode_t mode = ModeOf(flags, args);
  testsupport::NoteFileQuestion(path);
  const int fd = int(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
  if (fd >= 0)
    testsupport::NoteOpened(path);
  return fd;
}

}  // namespace

// open64 is the same call where files are large by default.
extern "C" int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = OpenCounted(path, flags, args);
  va_end(args);
  return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = OpenCounted(path, flags, args);
  va_end(args);
  return fd;
}

extern "C" int access(const char* path, int mode) __THROW {
  testsupport::NoteFileQuestion(path);
  return int(::syscall(SYS_faccessat, AT_FDCWD, path, mode));
}

extern "C" int lstat(const char* path, struct stat* buffer) __THROW {
  testsupport::NoteFileQuestion(path);
  return int(::syscall(SYS_newfstatat, AT_FDCWD, path, buffer, AT_SYMLINK_NOFOLLOW));
}

extern "C" int lstat64(const char* path, struct stat64* buffer) __THROW {
  testsupport::NoteFileQuestion(path);
  return int(::syscall(SYS_newfstatat, AT_FDCWD, path, buffer, AT_SYMLINK_NOFOLLOW));
}
