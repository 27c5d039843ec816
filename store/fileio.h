#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace store {

// The store's file layer. Every read and write of a data, CSV or report file goes through
// these functions, so tests can inject faults at one place.

// How the file system compares file names: "Bericht.SGR" is "Bericht.sgr" on Windows and
// macOS.
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
inline constexpr Qt::CaseSensitivity kFileNameCase = Qt::CaseInsensitive;
#else
inline constexpr Qt::CaseSensitivity kFileNameCase = Qt::CaseSensitive;
#endif

enum class ReadStatus { Ok, Missing, Failed };

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  QByteArray bytes;
};

// Missing only when no directory entry has that name: a link that leads nowhere (dangling, or
// a loop) is Failed, a file that cannot be read.
ReadResult ReadWholeFile(const QString& path);
// The same, read into `reuse` when that buffer is no one else's and large enough: memory taken
// afresh for a file of many megabytes costs its page faults every time, more than the read.
ReadResult ReadWholeFile(const QString& path, QByteArray reuse);
// One attempt of a loop that reads a file until it can: as ReadWholeFile, but a file that
// cannot be opened is Failed without asking whether an entry of that name exists (the loop
// asks that once, after its last attempt). On a share each question is a round trip, and a
// missing file is attempted thousands of times.
ReadResult TryReadWholeFile(const QString& path, QByteArray reuse = {});

// A data file read for a change before the change holds the lock, kept open so that the
// change can tell, once it holds the lock, whether the file is still the one it read: every
// writer replaces a data file by renaming a new one over it, and an open file's identity
// cannot pass to another, so the same unchanged file means the same bytes. Only on local disks
// under Linux; elsewhere (and after any failure) StillCurrent() is false and the change reads
// the file again under the lock.
class ReadAhead {
 public:
  ReadAhead() = default;
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  static bool Possible();
  void Read(const QString& path, QByteArray reuse = {});
  // Ok, Missing (no entry of that name), or Failed (also: not worth reading ahead here).
  ReadStatus Status() const { return result_.status; }
  // The path still names the file read, unchanged (or, if it was missing, still nothing).
  bool StillCurrent() const;
  QByteArray TakeBytes() { return std::move(result_.bytes); }

 private:
  QString path_;
  ReadResult result_;
  int fd_ = -1;
  bool missing_ = false;
  struct Identity {
    quint64 device = 0, inode = 0;
    qint64 size = 0, modifiedNs = 0, changedNs = 0;
    bool operator==(const Identity& o) const {
      return device == o.device && inode == o.inode && size == o.size &&
             modifiedNs == o.modifiedNs && changedNs == o.changedNs;
    }
  } identity_;
};

// True when a directory entry has that name, also a link that leads nowhere.
bool EntryExists(const QString& path);
// A file's size and times as the file system has them now.
struct FileAttributes {
  bool exists = false;
  qint64 size = -1;
  QDateTime modified;
  QDateTime changed;  // its metadata's last change
};
// Asked of the open file, not of its path: the client of a share may answer a question about
// a path from what it learnt of it some seconds ago (sshfs for twenty seconds, the Windows
// client for ten), and a file that another workstation replaced in the meantime looks
// unchanged. A file that cannot be opened is asked about by its path.
FileAttributes FreshAttributes(const QString& path);
// The time of the file system that holds path's directory: the modification time it gives a
// file made there now (a temporary file beside path, removed at once). On a share that is the
// file server's clock, which also dates the lock file, and not this workstation's, which may
// be off by minutes. Nothing when the directory takes no new file.
std::optional<QDateTime> FileSystemNow(const QString& path);
// The file path names, following links: path itself when it is no link, the file a link
// leads to, or an empty text for a dangling link or a loop of links.
QString ResolvedPath(const QString& path);

// Replaces the file atomically and durably: writes a temporary file beside the target, forces
// it to disk, renames it over the target and forces the directory to disk, so a reader on
// another workstation sees the old file or the new one, and a power cut leaves one of them,
// never an empty file. A link is written through (the file it leads to is replaced; a link
// that leads nowhere fails). Returns false (and leaves the target as it was) on any failure.
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

  // Writes two files and forces them to disk at the same time: one wait for the disk instead
  // of two. The fault hook is asked in a fixed order. Returns 0 when both are written, else 1
  // or 2: the one that failed (neither is then to be committed).
  static int WriteBoth(PendingReplace& first, const std::vector<QByteArrayView>& firstPieces,
                       PendingReplace& second, const std::vector<QByteArrayView>& secondPieces);

 private:
  bool WriteUnsynced(const std::vector<QByteArrayView>& pieces, QString* errorDetail);
  bool Finish(bool synced, QString* errorDetail);

  QString path_;
  QString target_;  // path_ with links followed
  QFile file_;
  bool written_ = false;
  bool committed_ = false;
};

// Fault injection for tests. The hook is asked before each operation; returning true makes
// that operation fail as the disk would (full, permission denied, file busy).
// Sync: forcing the temporary file to disk; SyncDirectory: the directory after the rename (a
// failure there is no failure of the replace, so tests only see that it is asked).
enum class FileOp { Open, Read, Write, Sync, Rename, SyncDirectory };
using FaultHook = std::function<bool(FileOp op, const QString& path)>;
void SetFaultHook(FaultHook hook);  // empty function: no faults

// Removes this program's temporary files (named after one of targets, as a replace names
// them) that were left beside the targets, or beside the files links among them lead to,
// and are older than olderThanSeconds: leftovers of a change that crashed. Another
// program's files and young ones are never touched. Called by a change while it holds the
// data directory's lock.
void RemoveStaleTemporaries(const QStringList& targets, qint64 olderThanSeconds = 600);

}  // namespace store
