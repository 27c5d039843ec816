#include "store/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "store/replacedfiles.h"

#ifdef Q_OS_WIN
#include <windows.h>
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

// Creates and opens a new file next to path that no one else has opened, named after the
// target so a left-over file (after a power cut) says where it came from.
bool OpenUniqueTemporary(const QString& path, QFile* file) {
  static std::atomic<quint32> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const quint32 salt = QRandomGenerator::global()->generate();
    file->setFileName(path + QStringLiteral(".%1%2.tmp")
                                 .arg(salt, 8, 16, QLatin1Char('0'))
                                 .arg(counter.fetch_add(1), 0, 16));
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
  if (MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                  reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                  MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  *error = QStringLiteral("rename failed (%1)").arg(GetLastError());
  return false;
#else
  const ReplacedFile replaced(to, QFileInfo(from).size());
  if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
    return true;
  *error = QString::fromLocal8Bit(std::strerror(errno));
  return false;
#endif
}

}  // namespace

void SetFaultHook(FaultHook hook) {
  std::lock_guard<std::mutex> guard(hookMutex);
  Hook() = std::move(hook);
}

ReadResult ReadWholeFile(const QString& path) {
  ReadResult result;
  QFile file(path);
  if (Fails(FileOp::Open, path) || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    result.status = QFileInfo::exists(path) ? ReadStatus::Failed : ReadStatus::Missing;
    return result;
  }
  if (Fails(FileOp::Read, path))
    return result;
  const qint64 expected = std::max<qint64>(file.size(), 0);
  QByteArray bytes(expected, Qt::Uninitialized);
  // The file is read straight into the buffer, then once more to find it at its end: bytes
  // appended since its size was asked for are taken in too.
  qint64 total = 0;
  while (total < expected) {
    const qint64 got = file.read(bytes.data() + total, expected - total);
    if (got < 0 || file.error() != QFileDevice::NoError)
      return result;
    if (got == 0)
      break;
    total += got;
  }
  char probe[4096];
  const qint64 more = total < expected ? 0 : file.read(probe, sizeof probe);
  if (more < 0 || file.error() != QFileDevice::NoError)
    return result;
  if (more > 0) {
    bytes.truncate(total);
    bytes.append(probe, more);
    bytes.append(file.readAll());
    if (file.error() != QFileDevice::NoError)
      return result;
    total = bytes.size();
  }
  bytes.truncate(total);
  result.bytes = std::move(bytes);
  result.status = ReadStatus::Ok;
  return result;
}

PendingReplace::PendingReplace(QString path) : path_(std::move(path)) {}

PendingReplace::~PendingReplace() {
  if (file_.isOpen() || (written_ && !committed_)) {
    file_.close();
    file_.remove();
  }
}

bool PendingReplace::Write(const std::vector<QByteArrayView>& pieces, QString* errorDetail) {
  // The temporary file lies in the target's directory and is renamed over the target, so a
  // reader on another workstation sees the old file or the new one, never a mixture. It is
  // not forced to disk before the rename: the rename alone gives readers that promise, and
  // a workstation that dies after it has handed the bytes over with close(). Against a power
  // cut, file systems write a file renamed over another one out before the rename itself
  // (ext4, btrfs; a network share flushes on close). Its disk blocks are therefore not
  // reserved ahead (fallocate): a reserved block reads as zeros until written, so a power
  // cut could leave the renamed file full of zeros.
  auto fail = [&](const QString& detail) {
    if (errorDetail)
      *errorDetail = detail;
    return false;
  };
  Q_ASSERT(!written_ && !file_.isOpen());
  if (Fails(FileOp::Open, path_))
    return fail(QStringLiteral("open failed"));
  // A file made read-only is not replaced behind its owner's back.
  const QFileInfo target(path_);
  if (target.exists() && !target.isWritable())
    return fail(QStringLiteral("existing file is not writable"));
  if (!OpenUniqueTemporary(path_, &file_))
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
  file_.close();
  written_ = true;
  if (file_.error() != QFileDevice::NoError)
    return fail(file_.errorString());
  // A replaced file keeps its permissions; a new one gets the usual ones (made with 0666
  // less the umask, as any new file).
  if (target.exists())
    file_.setPermissions(target.permissions());
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
  if (!RenameOver(file_.fileName(), path_, &renameError))
    return fail(renameError);
  committed_ = true;
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
