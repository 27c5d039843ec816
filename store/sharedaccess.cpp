#include "store/sharedaccess.h"

#include <QCollator>
#include <QDir>
#include <QLocale>
#include <algorithm>
#include <atomic>
#include <memory>
#include <numeric>
#include <vector>

#include "store/fileio.h"
#include "store/keycollation.h"
#include "store/listbytes.h"
#include "store/listfile.h"

namespace store {
namespace {

std::atomic<bool> loadFailureFlag{false};

}  // namespace

int CompareKeys(const QString& a, const QString& b) {
  return KeyOrder::ForThisThread().Compare(a, b);
}

namespace {

void SortAll(QStringList& keys) {
  // One collation key per entry, then byte comparisons: sorting 100 000 names stays fast.
  const QCollator collator = KeyCollator();
  std::vector<QCollatorSortKey> sortKeys;
  sortKeys.reserve(keys.size());
  for (const QString& key : keys)
    sortKeys.push_back(collator.sortKey(key));
  std::vector<qsizetype> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
    const int c = sortKeys[a].compare(sortKeys[b]);
    if (c != 0)
      return c < 0;
    const int plain = keys[a].compare(keys[b]);
    return plain != 0 ? plain < 0 : a < b;
  });
  QStringList sorted;
  sorted.reserve(keys.size());
  for (qsizetype i : order)
    sorted.append(keys[i]);
  keys = std::move(sorted);
}

}  // namespace

void SortKeys(QStringList& keys) {
  if (keys.size() < 2)
    return;
  // A list file is normally sorted but for a few keys appended at its end (restores on
  // workstations with older programs). Then only those are sorted and merged into the sorted
  // part: a few hundred binary searches instead of a sort of every key.
  const KeyOrder& order = KeyOrder::ForThisThread();
  qsizetype prefix = 1;
  while (prefix < keys.size() && order.Compare(keys[prefix - 1], keys[prefix]) <= 0)
    ++prefix;
  if (prefix == keys.size())
    return;
  if (keys.size() - prefix > keys.size() / 16) {
    SortAll(keys);
    return;
  }
  QStringList tail = keys.mid(prefix);
  SortAll(tail);
  QStringList merged;
  merged.reserve(keys.size());
  auto from = keys.cbegin();
  const auto sortedEnd = keys.cbegin() + prefix;
  for (const QString& key : tail) {
    // After the keys equal to it: they stood before it in the list.
    const auto at = std::upper_bound(from, sortedEnd, key, [&](const QString& a, const QString& b) {
      return order.Compare(a, b) < 0;
    });
    merged.append(QStringList(from, at));
    merged.append(key);
    from = at;
  }
  merged.append(QStringList(from, sortedEnd));
  keys = std::move(merged);
}

LoadResult LoadSortedList(const QString& path, MessageSink& sink, int attempts) {
  LoadResult result;
  // A file that another workstation is rewriting is usually readable again a moment later.
  for (RetryBudget budget(attempts); budget.Next();) {
    ReadResult read = TryReadWholeFile(path);
    if (read.status == ReadStatus::Ok) {
      result.lines = DecodeListFile(read.bytes);
      if (!KeyOrder::ForThisThread().IsSorted(result.lines))
        SortKeys(result.lines);
      result.loaded = true;
      result.missing = false;
      return result;
    }
  }
  // Whether the file is missing or cannot be read is asked once, not after every attempt.
  result.missing = attempts > 0 && !EntryExists(path);
  loadFailureFlag = true;
  sink.ShowMessage(LoadFailureMessage());
  return result;
}

bool LoadFailureFlag() {
  return loadFailureFlag;
}
void ResetLoadFailureFlagForTesting() {
  loadFailureFlag = false;
}

RecordStore OpenRecordStore(const QString& dataDir, MessageSink& sink, int probes) {
  return OpenRecordStore(dataDir, sink, probes, QByteArray());
}

namespace {

// True when the address book has never held a record: the name index is there and lists no
// key, and the deleted-records file lists none or does not exist yet. A new office's address
// book starts so, with an empty name index and no record store until the first save.
bool HoldsNoRecordYet(const QDir& dir) {
  const QString namesPath = dir.filePath(QStringLiteral("names.qdx"));
  if (!EntryExists(namesPath))
    return false;  // a share that dropped out, not an empty address book
  const ReadResult names = ReadWholeFile(namesPath);
  if (names.status != ReadStatus::Ok || ListBytes(names.bytes).HasKeys())
    return false;
  const ReadResult secure = ReadWholeFile(dir.filePath(QStringLiteral("secure.qdx")));
  return secure.status == ReadStatus::Missing ||
         (secure.status == ReadStatus::Ok && !ListBytes(secure.bytes).HasKeys());
}

}  // namespace

RecordStore OpenRecordStore(const QString& dataDir, MessageSink& sink, int probes,
                            QByteArray reuse) {
  const QDir dir(dataDir);
  const QString path = dir.filePath(QStringLiteral("adresse.qdx"));
  bool askedWhetherNew = false;
  for (RetryBudget budget(probes); budget.Next();) {
    ReadResult read = TryReadWholeFile(path, std::exchange(reuse, QByteArray()));
    if (read.status == ReadStatus::Ok)
      return RecordStore(std::move(read.bytes));
    // No record store in an address book that never held a record is the empty store, not one
    // that another workstation holds: nothing to retry and nothing to report. Asked once, at
    // the first failure: on a share each question is a round trip.
    if (!askedWhetherNew) {
      askedWhetherNew = true;
      if (!EntryExists(path) && HoldsNoRecordYet(dir))
        return RecordStore();
    }
  }
  sink.ShowMessage(StoreProbeFailureMessage());
  return RecordStore();
}

RefreshResult RefreshNameList(const QStringList& shown, int selectedIndex, const QString& dataDir,
                              MessageSink& sink) {
  RefreshResult result;
  if (selectedIndex < 0 || selectedIndex >= shown.size())
    return result;
  const QString remembered = shown.at(selectedIndex);
  const LoadResult names =
      LoadSortedList(QDir(dataDir).filePath(QStringLiteral("names.qdx")), sink);
  if (!names.loaded)
    return result;  // reported by LoadSortedList; the shown list stays

  // The walk runs over the file's lines: a shown list that agrees with all of them counts as
  // unchanged, even when it holds more entries.
  for (qsizetype i = 0; i < names.lines.size(); ++i) {
    if (i < shown.size() && names.lines.at(i) == shown.at(i))
      continue;
    result.changed = true;
    result.entries = names.lines;
    // Reselect the remembered entry: the same spelling if it is there, else the first entry
    // equal to it ignoring letter case.
    result.selectedIndex = static_cast<int>(result.entries.indexOf(remembered));
    if (result.selectedIndex < 0) {
      for (qsizetype j = 0; j < result.entries.size(); ++j) {
        if (result.entries.at(j).compare(remembered, Qt::CaseInsensitive) == 0) {
          result.selectedIndex = static_cast<int>(j);
          break;
        }
      }
    }
    break;
  }
  return result;
}

}  // namespace store
