#pragma once

// Letting go of files replaced by an atomic replace. Replacing a large file also drops the
// replaced one's cached pages, which takes longer than writing the new one. On a local disk
// the replaced file is therefore held open across the rename and let go of on a thread of
// its own, so no command waits for that. (A network file system may treat renaming over a
// file open here differently, and Windows refuses it, so there nothing changes; nor on
// systems other than Linux, where the kind of disk is not told the same way.)

#include <QString>
#include <QtGlobal>

namespace store {

// Held open from before the rename over path until this goes, when the file is large enough
// to be worth it (newSize: the size of the file about to replace it, near enough).
class ReplacedFile {
 public:
  ReplacedFile(const QString& path, qint64 newSize);
  ~ReplacedFile();
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;

 private:
  int fd_ = -1;
};

// While one lives (on any thread), replaced files are let go of only when the last one goes.
// A change of the data files holds one around its lock, so the lock is not held the longer
// while the replaced files are let go of.
class HoldReplacedFiles {
 public:
  HoldReplacedFiles();
  ~HoldReplacedFiles();
  HoldReplacedFiles(const HoldReplacedFiles&) = delete;
  HoldReplacedFiles& operator=(const HoldReplacedFiles&) = delete;
};

// Closes fd, a file that may have been replaced, as a ReplacedFile does: on a thread of its own
// (after the holds) when it is large and on a local disk, at once otherwise. Takes the fd over.
void CloseReplacedLater(int fd, qint64 size);
// True when fd is a file on a local disk (not a network share).
bool OnLocalDisk(int fd);

// Returns once every replaced file let go of so far is closed (for measurements and tests
// that must not overlap with it).
void WaitForReplacedFiles();

}  // namespace store
