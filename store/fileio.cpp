#include "store/fileio.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "store/inparallel.h"
#include "store/replacedfiles.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace store {
namespace {

std::mutex hookMutex;
FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}

bool Fails(FileOp op, const QString& path) {
  FaultHook hook;
  {
    std::lock_guard<std::mutex> guard(hookMutex);
    hook = Hook();
  }
  return hook && hook(op, path);
}

// A temporary file is named after its target, a dot, eight hexadecimal digits of salt and
// a counter (in all 9 to 16 digits), and ".tmp": a left-over file (after a crash or a power
// cut) says where it came from, and RemoveStaleTemporaries recognises its own.
QString TemporaryName(const QString& path, quint32 salt, quint32 count) {
  return path + QStringLiteral(".%1%2.tmp").arg(salt, 8, 16, QLatin1Char('0')).arg(count, 0, 16);
}

QRegularExpression TemporaryPattern(const QString& targetName) {
  return QRegularExpression(QStringLiteral("\\A") + QRegularExpression::escape(targetName) +
                            QStringLiteral("\\.[0-9a-f]{9,16}\\.tmp\\z"));
}

// Creates and opens a new file next to path that no one else has opened.
bool OpenUniqueTemporary(const QString& path, QFile* file) {
  static std::atomic<quint32> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const quint32 salt = QRandomGenerator::global()->generate();
    file->setFileName(TemporaryName(path, salt, counter.fetch_add(1)));
    // NewOnly fails when the name exists, so two writers never share a temporary file.
    if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
      return true;
    if (!file->exists())
      return false;  // not a clash of names: the directory refuses new files
  }
  return false;
}

// Renames `from` to `to`, replacing `to` in one step.
bool RenameOver(const QString& from, const QString& to, QString* error) {
#ifdef Q_OS_WIN
  // A file that a reader has open cannot be replaced on Windows: Qt opens every file without
  // FILE_SHARE_DELETE. Readers never take the lock, and reading the record store over a share
  // takes a moment, so a change whose replace meets one tries again for a while instead of
  // failing, for up to five seconds.
  const QDeadlineTimer deadline(5000);
  for (;;) {
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                    reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING)) {
      return true;
    }
    const DWORD code = GetLastError();
    const bool heldOpen = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
                          code == ERROR_LOCK_VIOLATION;
    if (!heldOpen || deadline.hasExpired()) {
      *error = QStringLiteral("rename failed (%1)").arg(code);
      return false;
    }
    QThread::msleep(20);
  }
#else
  const ReplacedFile replaced(to, QFileInfo(from).size());
  if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
    return true;
  *error = QString::fromLocal8Bit(std::strerror(errno));
  return false;
#endif
}

// Forces the file's bytes to the disk. Without it a power cut shortly after the rename can
// leave the target empty or full of zeros on file systems that do not write a renamed file
// out before the rename itself (XFS, many network servers).
bool SyncFile(QFile* file) {
#ifdef Q_OS_WIN
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file->handle()));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
#elif defined(Q_OS_LINUX)
  return ::fdatasync(file->handle()) == 0;
#else
  return ::fsync(file->handle()) == 0;
#endif
}

// Forces the directory entry of a rename to the disk, so the new file is the one found after
// a power cut. Windows has no such step; the rename there is made durable by the file system.
void SyncDirectory(const QString& dir) {
#ifndef Q_OS_WIN
  const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
  if (fd < 0)
    return;
  // Some file systems (network shares among them) refuse to sync a directory. The rename has
  // happened by then and every reader sees the new file, so that is no failure of the replace.
  ::fsync(fd);
  ::close(fd);
#else
  Q_UNUSED(dir);
#endif
}

// Asks the file system for the open file's size and times as they are now. A network client
// may answer from what it learnt of the path a moment ago and serve no byte past that size: on
// a share mounted through FUSE (sshfs) a file that another workstation has just replaced by a
// longer one reads cut off at the old file's length. Asking for a fresh size ends that.
void RefreshOpenFile(QFile& file) {
#if defined(Q_OS_LINUX) && defined(STATX_SIZE) && defined(AT_STATX_FORCE_SYNC)
  struct statx fresh {};
  ::statx(file.handle(), "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC,
          STATX_SIZE | STATX_MTIME | STATX_CTIME, &fresh);
#else
  Q_UNUSED(file);
#endif
}

}  // namespace

std::optional<QDateTime> FileSystemNow(const QString& path) {
  QFile probe;
  if (!OpenUniqueTemporary(path, &probe))
    return std::nullopt;
  const QDateTime now = probe.fileTime(QFileDevice::FileModificationTime);
  probe.close();
  probe.remove();
  return now.isValid() ? std::optional<QDateTime>(now) : std::nullopt;
}

FileAttributes FreshAttributes(const QString& path) {
  FileAttributes attributes;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    RefreshOpenFile(file);
    attributes.exists = true;
    attributes.size = file.size();
    attributes.modified = file.fileTime(QFileDevice::FileModificationTime);
    attributes.changed = file.fileTime(QFileDevice::FileMetadataChangeTime);
    return attributes;
  }
  // Gone, or not to be read: all the path can tell.
  const QFileInfo info(path);
  if (info.exists()) {
    attributes.exists = true;
    attributes.size = info.size();
    attributes.modified = info.lastModified();
    attributes.changed = info.metadataChangeTime();
  }
  return attributes;
}

namespace {

// Reads an open file whole into result (status Ok), or leaves result failed.
void ReadOpenFile(QFile& file, const QString& path, QByteArray reuse, ReadResult* out) {
  ReadResult& result = *out;
  if (Fails(FileOp::Read, path))
    return;
  RefreshOpenFile(file);
  const qint64 expected = std::max<qint64>(file.size(), 0);
  QByteArray bytes;
  if (reuse.isDetached() && reuse.capacity() >= expected) {
    bytes = std::move(reuse);
    bytes.resize(expected);
  } else {
    // Room for a few saves more, so that the next read of a growing file fits a kept buffer.
    bytes.reserve(expected + expected / 32);
    bytes.resize(expected);
  }
  // The file is read straight into the buffer, then once more to find it at its end: bytes
  // appended since its size was asked for are taken in too.
  qint64 total = 0;
  while (total < expected) {
    const qint64 got = file.read(bytes.data() + total, expected - total);
    if (got < 0 || file.error() != QFileDevice::NoError)
      return;
    if (got == 0)
      break;
    total += got;
  }
  char probe[4096];
  const qint64 more = total < expected ? 0 : file.read(probe, sizeof probe);
  if (more < 0 || file.error() != QFileDevice::NoError)
    return;
  if (more > 0) {
    bytes.truncate(total);
    bytes.append(probe, more);
    bytes.append(file.readAll());
    if (file.error() != QFileDevice::NoError)
      return;
    total = bytes.size();
  }
  bytes.truncate(total);
  result.bytes = std::move(bytes);
  result.status = ReadStatus::Ok;
}

}  // namespace

QString ResolvedPath(const QString& path) {
  const QFileInfo info(path);
  if (!info.isSymbolicLink())
    return path;
  // Empty for a dangling link and for a loop of links.
  return info.canonicalFilePath();
}

bool EntryExists(const QString& path) {
#ifndef Q_OS_WIN
  // One question to the file system, which a link answers too (lstat does not follow it): on a
  // share every question is a round trip, and a missing file is asked about once per attempt.
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
#else
  const QFileInfo info(path);
  return info.exists() || info.isSymbolicLink();
#endif
}

void RemoveStaleTemporaries(const QStringList& targets, qint64 olderThanSeconds) {
  // Grouped by directory: one listing per directory, whatever the number of targets.
  QHash<QString, QStringList> namesByDir;
  for (const QString& target : targets) {
    const QString resolved = ResolvedPath(target);
    if (resolved.isEmpty())
      continue;
    const QFileInfo info(resolved);
    namesByDir[info.absolutePath()].append(info.fileName());
  }
  for (auto it = namesByDir.cbegin(); it != namesByDir.cend(); ++it) {
    // Their age by the clock that dated them, the file system's (this workstation's may be
    // minutes off a file server's); asked only when there is one of ours to judge.
    std::optional<QDateTime> limit;
    std::vector<QRegularExpression> patterns;
    for (const QString& name : it.value())
      patterns.push_back(TemporaryPattern(name));
    const QFileInfoList candidates = QDir(it.key()).entryInfoList(
        {QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& candidate : candidates) {
      const bool ours =
          std::any_of(patterns.begin(), patterns.end(), [&](const QRegularExpression& pattern) {
            return pattern.match(candidate.fileName()).hasMatch();
          });
      if (!ours)
        continue;
      if (!limit) {
        limit = FileSystemNow(QDir(it.key()).filePath(it.value().first()))
                    .value_or(QDateTime::currentDateTime())
                    .addSecs(-olderThanSeconds);
      }
      // A young one may belong to a workstation that is still writing although its lock was
      // taken over as abandoned (a very slow share); only crash leftovers are that old.
      if (candidate.lastModified() < *limit)
        QFile::remove(candidate.absoluteFilePath());
    }
  }
}

#ifdef Q_OS_LINUX

bool ReadAhead::Possible() {
  return true;
}

void ReadAhead::Read(const QString& path, QByteArray reuse) {
  path_ = path;
  result_ = ReadResult();
  missing_ = false;
  if (Fails(FileOp::Open, path))
    return;
  fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    // Only a change that holds the lock creates a data file, so a missing one stays missing.
    missing_ = errno == ENOENT && !EntryExists(path);
    result_.status = missing_ ? ReadStatus::Missing : ReadStatus::Failed;
    return;
  }
  auto identity = [this](Identity* id) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
      return false;
    *id = {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
           qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
           qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
    return true;
  };
  Identity before;
  Identity after;
  QFile file;
  if (!OnLocalDisk(fd_) || !identity(&before) ||
      !file.open(fd_, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
    result_.status = ReadStatus::Failed;
    return;
  }
  ReadOpenFile(file, path, std::move(reuse), &result_);
  // Changed while it was read (a writer that does not replace the file): of no use.
  if (!identity(&after) || !(after == before))
    result_.status = ReadStatus::Failed;
  identity_ = after;
}

bool ReadAhead::StillCurrent() const {
  if (missing_)
    return !EntryExists(path_);
  if (fd_ < 0 || result_.status != ReadStatus::Ok)
    return false;
  struct stat st {};
  if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
    return false;
  const Identity now{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
  return now == identity_;
}

ReadAhead::~ReadAhead() {
  // The file may have been replaced by the change meanwhile: the last close of a large
  // replaced file is left to a thread of its own, as the replace itself does.
  if (fd_ >= 0)
    CloseReplacedLater(fd_, identity_.size);
}

#else

bool ReadAhead::Possible() {
  return false;
}
void ReadAhead::Read(const QString& path, QByteArray) {
  path_ = path;
}
bool ReadAhead::StillCurrent() const {
  return false;
}
ReadAhead::~ReadAhead() = default;

#endif

void SetFaultHook(FaultHook hook) {
  std::lock_guard<std::mutex> guard(hookMutex);
  Hook() = std::move(hook);
}

ReadResult ReadWholeFile(const QString& path) {
  return ReadWholeFile(path, QByteArray());
}

namespace {

ReadResult ReadWhole(const QString& path, QByteArray reuse, bool tellMissing) {
  ReadResult result;
  QFile file(path);
  if (Fails(FileOp::Open, path) || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    // A link that leads nowhere (dangling, or a loop) is a file that cannot be read, not a
    // missing one: it must never be replaced by a new file from nothing.
    if (tellMissing && !EntryExists(path))
      result.status = ReadStatus::Missing;
    return result;
  }
  ReadOpenFile(file, path, std::move(reuse), &result);
  return result;
}

}  // namespace

ReadResult ReadWholeFile(const QString& path, QByteArray reuse) {
  return ReadWhole(path, std::move(reuse), true);
}

ReadResult TryReadWholeFile(const QString& path, QByteArray reuse) {
  return ReadWhole(path, std::move(reuse), false);
}

PendingReplace::PendingReplace(QString path) : path_(std::move(path)) {}

PendingReplace::~PendingReplace() {
  if (file_.isOpen() || (written_ && !committed_)) {
    file_.close();
    file_.remove();
  }
}

bool PendingReplace::Write(const std::vector<QByteArrayView>& pieces, QString* errorDetail) {
  if (!WriteUnsynced(pieces, errorDetail))
    return false;
  return Finish(!Fails(FileOp::Sync, path_) && SyncFile(&file_), errorDetail);
}

int PendingReplace::WriteBoth(PendingReplace& first, const std::vector<QByteArrayView>& firstPieces,
                              PendingReplace& second,
                              const std::vector<QByteArrayView>& secondPieces) {
  if (!first.WriteUnsynced(firstPieces, nullptr))
    return 1;
  if (!second.WriteUnsynced(secondPieces, nullptr))
    return 2;
  if (Fails(FileOp::Sync, first.path_))
    return 1;
  if (Fails(FileOp::Sync, second.path_))
    return 2;
  // Each flush mostly waits for the disk: two at once share that wait.
  bool firstSynced = false;
  bool secondSynced = false;
  InParallel(
      true, [&] { firstSynced = SyncFile(&first.file_); },
      [&] { secondSynced = SyncFile(&second.file_); });
  if (!first.Finish(firstSynced, nullptr))
    return 1;
  if (!second.Finish(secondSynced, nullptr))
    return 2;
  return 0;
}

bool PendingReplace::WriteUnsynced(const std::vector<QByteArrayView>& pieces,
                                   QString* errorDetail) {
  // The temporary file lies in the target's directory and is renamed over the target, so a
  // reader on another workstation sees the old file or the new one, never a mixture. It is
  // forced to disk before the rename and the directory after it, so a power cut leaves the
  // old file or the new one, never an empty one. Its disk blocks are not reserved ahead
  // (fallocate): a reserved block reads as zeros until written.
  auto fail = [&](const QString& detail) {
    if (errorDetail)
      *errorDetail = detail;
    return false;
  };
  Q_ASSERT(!written_ && !file_.isOpen());
  if (Fails(FileOp::Open, path_))
    return fail(QStringLiteral("open failed"));
  // A link is written through: the file it leads to is replaced, and the link stays.
  target_ = ResolvedPath(path_);
  if (target_.isEmpty())
    return fail(QStringLiteral("link leads to no file"));
  // A file made read-only is not replaced behind its owner's back.
  const QFileInfo target(target_);
  if (target.exists() && !target.isWritable())
    return fail(QStringLiteral("existing file is not writable"));
  if (!OpenUniqueTemporary(target_, &file_))
    return fail(file_.errorString());
  // From here on every way out but the successful rename removes the temporary file.
  if (Fails(FileOp::Write, path_))
    return fail(QStringLiteral("write failed"));
  // At most a megabyte per write: a single write of tens of megabytes now and then stalled
  // in the kernel for 40-60 ms (Linux, ext4), which writes of a megabyte never did.
  constexpr qsizetype kMaxWrite = 1 << 20;
  for (QByteArrayView piece : pieces) {
    for (qsizetype at = 0; at < piece.size(); at += kMaxWrite) {
      const qsizetype n = std::min(kMaxWrite, piece.size() - at);
      if (file_.write(piece.data() + at, n) != n)
        return fail(file_.errorString());
    }
  }
  // A replaced file keeps its permissions; a new one gets the usual ones (made with 0666
  // less the umask, as any new file). Set before the flush, so they reach the disk with it.
  // A share that keeps no permissions refuses this; the bytes matter more.
  if (target.exists())
    file_.setPermissions(target.permissions());
  return true;
}

bool PendingReplace::Finish(bool synced, QString* errorDetail) {
  auto fail = [&](const QString& detail) {
    if (errorDetail)
      *errorDetail = detail;
    return false;
  };
  if (!synced)
    return fail(QStringLiteral("flush to disk failed"));
  file_.close();
  written_ = true;
  if (file_.error() != QFileDevice::NoError)
    return fail(file_.errorString());
  return true;
}

bool PendingReplace::Commit(QString* errorDetail) {
  auto fail = [&](const QString& detail) {
    if (errorDetail)
      *errorDetail = detail;
    return false;
  };
  if (!written_ || file_.error() != QFileDevice::NoError)
    return fail(QStringLiteral("nothing written"));
  if (Fails(FileOp::Rename, path_))
    return fail(QStringLiteral("rename failed"));
  QString renameError;
  if (!RenameOver(file_.fileName(), target_, &renameError))
    return fail(renameError);
  committed_ = true;
  if (!Fails(FileOp::SyncDirectory, path_))
    SyncDirectory(QFileInfo(target_).absolutePath());
  return true;
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, QString* errorDetail) {
  return WriteFileAtomic(path, {QByteArrayView(bytes)}, errorDetail);
}

bool WriteFileAtomic(const QString& path, std::initializer_list<QByteArrayView> pieces,
                     QString* errorDetail) {
  return WriteFileAtomic(path, std::vector<QByteArrayView>(pieces), errorDetail);
}

bool WriteFileAtomic(const QString& path, const std::vector<QByteArrayView>& pieces,
                     QString* errorDetail) {
  PendingReplace replace(path);
  return replace.Write(pieces, errorDetail) && replace.Commit(errorDetail);
}

}  // namespace store
