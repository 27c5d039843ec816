// Crash-point library for the power-cut harness (LD_PRELOAD).
//
// Counts the file-system calls that change a file or force it to disk, from the moment the
// program calls crashpoint_arm() on. With CRASHPOINT_AT=N the N-th such call is not made: the
// process is killed at once (SIGKILL) instead. With CRASHPOINT_LOG=<file> each counted call is
// written there, one a line. CRASHPOINT_DIR=<data directory> and CRASHPOINT_IMAGE=<directory>
// add a model of a power cut: the library keeps, for each file of the data directory, its
// bytes as of its last fsync/fdatasync, and the directory's entries as of its last fsync. At
// the crash point it writes two images of the data directory beside each other:
//   <image>/flushed   entries as of the last directory fsync, bytes as of the last file flush
//                     (the pessimistic POSIX model);
//   <image>/renamed   every entry as it is now, bytes as of the last flush (a file system that
//                     wrote the directory change before the file's data).
// A file that was never flushed (and did not exist when armed) is empty in both.
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

static int armed;
static long counter;
static long crashAt = -1;
static int logFd = -1;
static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
static char dataDir[PATH_MAX];
static char imageDir[PATH_MAX];

// The model: durable bytes per inode, durable entries of the data directory.
struct Blob {
  ino_t ino;
  char* bytes;
  size_t size;
};
struct Entry {
  char name[256];
  ino_t ino;
};
static struct Blob blobs[4096];
static int blobCount;
static struct Entry durable[1024];
static int durableCount;

#define REAL(ret, name, ...)                                      \
  static ret (*real_##name)(__VA_ARGS__);                         \
  static void load_##name(void) {                                 \
    if (!real_##name)                                             \
      real_##name = (ret(*)(__VA_ARGS__))dlsym(RTLD_NEXT, #name); \
  }

REAL(int, open, const char*, int, ...)
REAL(int, open64, const char*, int, ...)
REAL(int, openat, int, const char*, int, ...)
REAL(int, openat64, int, const char*, int, ...)
REAL(ssize_t, write, int, const void*, size_t)
REAL(ssize_t, pwrite64, int, const void*, size_t, off_t)
REAL(int, fsync, int)
REAL(int, fdatasync, int)
REAL(int, rename, const char*, const char*)
REAL(int, renameat, int, const char*, int, const char*)
REAL(int, renameat2, int, const char*, int, const char*, unsigned)
REAL(int, unlink, const char*)
REAL(int, unlinkat, int, const char*, int)
REAL(int, link, const char*, const char*)
REAL(int, ftruncate64, int, off_t)
REAL(int, fchmod, int, mode_t)
REAL(int, mkdir, const char*, mode_t)

static ssize_t RawWrite(int fd, const void* p, size_t n) {
  return syscall(SYS_write, fd, p, n);
}

static void Log(const char* fmt, ...) {
  if (logFd < 0)
    return;
  char line[1200];
  va_list args;
  va_start(args, fmt);
  int n = vsnprintf(line, sizeof line - 1, fmt, args);
  va_end(args);
  if (n > (int)sizeof line - 2)
    n = sizeof line - 2;
  line[n++] = '\n';
  RawWrite(logFd, line, n);
}

static void FdPath(int fd, char* out, size_t size) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, out, size - 1);
  out[n < 0 ? 0 : n] = 0;
}

static int InDataDir(const char* path) {
  size_t n = strlen(dataDir);
  return n > 0 && strncmp(path, dataDir, n) == 0 && (path[n] == '/' || path[n] == 0);
}

static struct Blob* BlobOf(ino_t ino) {
  for (int i = 0; i < blobCount; ++i)
    if (blobs[i].ino == ino)
      return &blobs[i];
  if (blobCount == (int)(sizeof blobs / sizeof blobs[0]))
    abort();
  blobs[blobCount].ino = ino;
  blobs[blobCount].bytes = NULL;
  blobs[blobCount].size = 0;
  return &blobs[blobCount++];
}

static void KeepBytes(int writtenFd, ino_t ino) {
  // The file may be open for writing only: it is read through a descriptor of its own.
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", writtenFd);
  load_open();
  const int fd = real_open(link, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    syscall(SYS_close, fd);
    return;
  }
  struct Blob* blob = BlobOf(ino);
  free(blob->bytes);
  blob->bytes = malloc(st.st_size + 1);
  blob->size = 0;
  while ((off_t)blob->size < st.st_size) {
    ssize_t got = pread(fd, blob->bytes + blob->size, st.st_size - blob->size, blob->size);
    if (got <= 0)
      break;
    blob->size += got;
  }
  syscall(SYS_close, fd);
}

static void KeepEntries(void) {
  DIR* dir = opendir(dataDir);
  if (!dir)
    return;
  durableCount = 0;
  struct dirent* e;
  while ((e = readdir(dir)) != NULL) {
    if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
      continue;
    snprintf(durable[durableCount].name, sizeof durable[0].name, "%s", e->d_name);
    durable[durableCount].ino = e->d_ino;
    ++durableCount;
  }
  closedir(dir);
}

static void WriteImage(const char* sub, struct Entry* entries, int count) {
  char path[PATH_MAX];
  snprintf(path, sizeof path, "%s/%s", imageDir, sub);
  load_mkdir();
  real_mkdir(path, 0777);
  for (int i = 0; i < count; ++i) {
    char file[PATH_MAX + 300];
    snprintf(file, sizeof file, "%s/%s", path, entries[i].name);
    load_open();
    int fd = real_open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
      continue;
    struct Blob* blob = NULL;
    for (int b = 0; b < blobCount; ++b)
      if (blobs[b].ino == entries[i].ino)
        blob = &blobs[b];
    if (blob && blob->size)
      RawWrite(fd, blob->bytes, blob->size);
    syscall(SYS_close, fd);
  }
}

static void WriteImages(void) {
  if (!imageDir[0] || !dataDir[0])
    return;
  WriteImage("flushed", durable, durableCount);
  static struct Entry now[1024];
  const int keep = durableCount;
  static struct Entry saved[1024];
  memcpy(saved, durable, sizeof durable);
  KeepEntries();
  memcpy(now, durable, sizeof durable);
  const int nowCount = durableCount;
  memcpy(durable, saved, sizeof durable);
  durableCount = keep;
  WriteImage("renamed", now, nowCount);
}

// Called by the program under test right before the command.
void crashpoint_arm(void) {
  pthread_mutex_lock(&mutex);
  const char* at = getenv("CRASHPOINT_AT");
  crashAt = at ? atol(at) : -1;
  const char* log = getenv("CRASHPOINT_LOG");
  if (log) {
    load_open();
    logFd = real_open(log, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  const char* dir = getenv("CRASHPOINT_DIR");
  const char* image = getenv("CRASHPOINT_IMAGE");
  if (dir && !realpath(dir, dataDir))
    dataDir[0] = 0;
  if (image)
    snprintf(imageDir, sizeof imageDir, "%s", image);
  if (dataDir[0]) {
    KeepEntries();
    for (int i = 0; i < durableCount; ++i) {
      char file[PATH_MAX + 300];
      snprintf(file, sizeof file, "%s/%s", dataDir, durable[i].name);
      load_open();
      int fd = real_open(file, O_RDONLY | O_CLOEXEC);
      if (fd < 0)
        continue;
      KeepBytes(fd, durable[i].ino);
      syscall(SYS_close, fd);
    }
  }
  counter = 0;
  armed = 1;
  pthread_mutex_unlock(&mutex);
}

// Returns the number of calls counted so far.
long crashpoint_count(void) {
  return counter;
}

static void Step(const char* what, const char* a, const char* b) {
  if (!armed)
    return;
  pthread_mutex_lock(&mutex);
  ++counter;
  Log("%ld %s %s %s", counter, what, a ? a : "", b ? b : "");
  if (counter == crashAt) {
    Log("crash at %ld", counter);
    WriteImages();
    kill(getpid(), SIGKILL);
    for (;;)
      pause();
  }
  pthread_mutex_unlock(&mutex);
}

static int IsRegular(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

static void StepFd(const char* what, int fd) {
  if (!armed || !IsRegular(fd))
    return;
  char path[PATH_MAX];
  FdPath(fd, path, sizeof path);
  Step(what, path, NULL);
}

static int Writes(int flags) {
  return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

#define OPEN_BODY(realcall)            \
  mode_t mode = 0;                     \
  if (flags & (O_CREAT | O_TMPFILE)) { \
    va_list args;                      \
    va_start(args, flags);             \
    mode = va_arg(args, mode_t);       \
    va_end(args);                      \
  }                                    \
  if (Writes(flags))                   \
    Step("open", path, NULL);          \
  return realcall;

int open(const char* path, int flags, ...) {
  load_open();
  OPEN_BODY(real_open(path, flags, mode))
}
int open64(const char* path, int flags, ...) {
  load_open64();
  OPEN_BODY(real_open64(path, flags, mode))
}
int __open_2(const char* path, int flags) {
  load_open();
  if (Writes(flags))
    Step("open", path, NULL);
  return real_open(path, flags);
}
int __open64_2(const char* path, int flags) {
  load_open64();
  if (Writes(flags))
    Step("open", path, NULL);
  return real_open64(path, flags);
}
int openat(int dirfd, const char* path, int flags, ...) {
  load_openat();
  OPEN_BODY(real_openat(dirfd, path, flags, mode))
}
int openat64(int dirfd, const char* path, int flags, ...) {
  load_openat64();
  OPEN_BODY(real_openat64(dirfd, path, flags, mode))
}

ssize_t write(int fd, const void* p, size_t n) {
  load_write();
  if (fd > 2)
    StepFd("write", fd);
  return real_write(fd, p, n);
}
ssize_t pwrite64(int fd, const void* p, size_t n, off_t at) {
  load_pwrite64();
  StepFd("pwrite", fd);
  return real_pwrite64(fd, p, n, at);
}
ssize_t pwrite(int fd, const void* p, size_t n, off_t at) {
  return pwrite64(fd, p, n, at);
}

static int Flush(int fd, int data, int (*real)(int)) {
  struct stat st;
  const int known = fstat(fd, &st) == 0;
  char path[PATH_MAX];
  FdPath(fd, path, sizeof path);
  if (armed)
    Step(data ? "fdatasync" : "fsync", path, NULL);
  // CRASHPOINT_SKIP_FLUSH=1: file flushes do nothing, to see the harness catch their absence.
  static int skip = -1;
  if (skip < 0)
    skip = getenv("CRASHPOINT_SKIP_FLUSH") != NULL;
  if (skip && known && S_ISREG(st.st_mode))
    return 0;
  const int result = real(fd);
  if (armed && result == 0 && known && dataDir[0]) {
    pthread_mutex_lock(&mutex);
    if (S_ISDIR(st.st_mode) && strcmp(path, dataDir) == 0)
      KeepEntries();
    else if (S_ISREG(st.st_mode) && InDataDir(path))
      KeepBytes(fd, st.st_ino);
    pthread_mutex_unlock(&mutex);
  }
  return result;
}
int fsync(int fd) {
  load_fsync();
  return Flush(fd, 0, real_fsync);
}
int fdatasync(int fd) {
  load_fdatasync();
  return Flush(fd, 1, real_fdatasync);
}

int rename(const char* from, const char* to) {
  load_rename();
  Step("rename", from, to);
  return real_rename(from, to);
}
int renameat(int fd1, const char* from, int fd2, const char* to) {
  load_renameat();
  Step("renameat", from, to);
  return real_renameat(fd1, from, fd2, to);
}
int renameat2(int fd1, const char* from, int fd2, const char* to, unsigned flags) {
  load_renameat2();
  Step("renameat2", from, to);
  return real_renameat2(fd1, from, fd2, to, flags);
}
int unlink(const char* path) {
  load_unlink();
  Step("unlink", path, NULL);
  return real_unlink(path);
}
int unlinkat(int fd, const char* path, int flags) {
  load_unlinkat();
  Step("unlinkat", path, NULL);
  return real_unlinkat(fd, path, flags);
}
int link(const char* from, const char* to) {
  load_link();
  Step("link", from, to);
  return real_link(from, to);
}
int ftruncate64(int fd, off_t size) {
  load_ftruncate64();
  StepFd("ftruncate", fd);
  return real_ftruncate64(fd, size);
}
int ftruncate(int fd, off_t size) {
  return ftruncate64(fd, size);
}
int fchmod(int fd, mode_t mode) {
  load_fchmod();
  StepFd("fchmod", fd);
  return real_fchmod(fd, mode);
}
int mkdir(const char* path, mode_t mode) {
  load_mkdir();
  Step("mkdir", path, NULL);
  return real_mkdir(path, mode);
}
