#include "store/fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <mutex>

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

}  // namespace

void SetFaultHook(FaultHook hook) {
  std::lock_guard<std::mutex> guard(hookMutex);
  Hook() = std::move(hook);
}

ReadResult ReadWholeFile(const QString& path) {
  ReadResult result;
  QFile file(path);
  if (Fails(FileOp::Open, path) || !file.open(QIODevice::ReadOnly)) {
    result.status = QFileInfo::exists(path) ? ReadStatus::Failed : ReadStatus::Missing;
    return result;
  }
  if (Fails(FileOp::Read, path))
    return result;
  result.bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.bytes.clear();
    return result;
  }
  result.status = ReadStatus::Ok;
  return result;
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, QString* errorDetail) {
  // The temporary file lies in the target's directory and is renamed over the target, so a
  // reader on another workstation sees the old file or the new one, never a mixture.
  QSaveFile file(path);
  auto fail = [&](const QString& detail) {
    if (errorDetail)
      *errorDetail = detail;
    file.cancelWriting();
    return false;
  };
  if (Fails(FileOp::Open, path))
    return fail(QStringLiteral("open failed"));
  if (!file.open(QIODevice::WriteOnly))
    return fail(file.errorString());
  if (Fails(FileOp::Write, path))
    return fail(QStringLiteral("write failed"));
  if (file.write(bytes) != bytes.size())
    return fail(file.errorString());
  if (Fails(FileOp::Rename, path))
    return fail(QStringLiteral("rename failed"));
  if (!file.commit()) {
    if (errorDetail)
      *errorDetail = file.errorString();
    return false;
  }
  return true;
}

}  // namespace store
