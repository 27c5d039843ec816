#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <initializer_list>
#include <vector>

namespace store {

// The store's file layer. Every read and write of a data, CSV or report file goes through
// these functions, so tests can inject faults at one place.

enum class ReadStatus { Ok, Missing, Failed };

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  QByteArray bytes;
};

ReadResult ReadWholeFile(const QString& path);

// Replaces the file atomically: writes a temporary file in the same directory and renames it
// over the target, so a reader on another workstation sees the old file or the new one.
// Returns false (and leaves the target as it was) on any failure.
bool WriteFileAtomic(const QString& path, const QByteArray& bytes, QString* errorDetail = nullptr);

// The same for a file made of several pieces one after the other (a large file with one part
// changed is written without joining the pieces first).
bool WriteFileAtomic(const QString& path, std::initializer_list<QByteArrayView> pieces,
                     QString* errorDetail = nullptr);
bool WriteFileAtomic(const QString& path, const std::vector<QByteArrayView>& pieces,
                     QString* errorDetail = nullptr);

// The same in two steps, for a change of several files that must become visible in a given
// order while their bytes are made at once: Write makes the complete new file under a
// temporary name beside the target, Commit renames it over the target. A temporary file
// not committed is removed when the object goes.
class PendingReplace {
 public:
  explicit PendingReplace(QString path);
  ~PendingReplace();
  PendingReplace(const PendingReplace&) = delete;
  PendingReplace& operator=(const PendingReplace&) = delete;

  bool Write(const std::vector<QByteArrayView>& pieces, QString* errorDetail = nullptr);
  bool Commit(QString* errorDetail = nullptr);

 private:
  QString path_;
  QFile file_;
  bool written_ = false;
  bool committed_ = false;
};

// Fault injection for tests. The hook is asked before each operation; returning true makes
// that operation fail as the disk would (full, permission denied, file busy).
enum class FileOp { Open, Read, Write, Rename };
using FaultHook = std::function<bool(FileOp op, const QString& path)>;
void SetFaultHook(FaultHook hook);  // empty function: no faults

}  // namespace store
