#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include "store/messages.h"
#include "store/recordstore.h"

namespace store {

constexpr int kLoadAttempts = 6000;
constexpr int kProbeAttempts = 1000;
constexpr int kRetryMs = 3000;
constexpr int kLeastAttempts = 3;

// The attempts of a loop that retries a file which cannot be read: at most `attempts`, and
// after the first kLeastAttempts none begun later than kRetryMs after the first. They follow
// one another at once. On a local disk thousands of them take milliseconds; on a slow share
// each is a round trip, and thousands would freeze the window for minutes over a file that is
// simply not there. A rewrite by another workstation is over within the time. The first few
// are made whatever the time: one read of a large store over a slow share can take longer.
class RetryBudget {
 public:
  explicit RetryBudget(int attempts) : attempts_(attempts) {}
  bool Next() {
    if (made_ >= attempts_)
      return false;
    if (made_ == 0)
      clock_.start();
    else if (made_ >= kLeastAttempts && clock_.hasExpired(kRetryMs))
      return false;
    ++made_;
    return true;
  }

 private:
  int attempts_;
  int made_ = 0;
  QElapsedTimer clock_;
};

// Sorts record keys as the main list shows them: ascending, ignoring letter case, in the
// user's locale (German: "Ä" with "A", "ß" with "ss"). Keys equal but for letter case are
// ordered by their code points, so every workstation writes the same order.
void SortKeys(QStringList& keys);
// The comparison SortKeys uses: < 0, 0, > 0.
int CompareKeys(const QString& a, const QString& b);

struct LoadResult {
  QStringList lines;  // sorted; empty when not loaded
  bool loaded = false;
  bool missing = false;  // the file does not exist (as opposed to existing but unreadable)
};

// Loads a list file with up to `attempts` immediate attempts (a RetryBudget) and sorts it. After
// the last failed attempt it shows LoadFailureMessage() once and sets the load-failure flag.
LoadResult LoadSortedList(const QString& path, MessageSink& sink, int attempts = kLoadAttempts);

// Process-wide: set by LoadSortedList after a final failure, never reset in a run.
bool LoadFailureFlag();
void ResetLoadFailureFlagForTesting();

// Reads the record store of dataDir with up to `probes` immediate attempts (a RetryBudget). After
// the last failed attempt it shows StoreProbeFailureMessage() once; the result is then an empty
// store on which every read gives "Error". The caller reads every field of its command from the one
// snapshot returned. An address book that never held a record (the name index there and listing no
// key, no deleted key, no record store) gives the empty store at once, without a message.
RecordStore OpenRecordStore(const QString& dataDir, MessageSink& sink, int probes = kProbeAttempts);
// The same, read into `reuse` when no one else holds that buffer and it is large enough.
RecordStore OpenRecordStore(const QString& dataDir, MessageSink& sink, int probes,
                            QByteArray reuse);

struct RefreshResult {
  bool changed = false;    // the shown list differed from the name index and was reloaded
  QStringList entries;     // the new shown list when changed
  int selectedIndex = -1;  // the remembered entry in `entries` (ignoring letter case), or -1
};

// Compares the shown list with the name index on disk. With nothing selected it returns
// "unchanged" and reads no file. `shown` must be the list as the name view shows it (the
// window rebuilds the internal-number view itself around this call).
RefreshResult RefreshNameList(const QStringList& shown, int selectedIndex, const QString& dataDir,
                              MessageSink& sink);

}  // namespace store
