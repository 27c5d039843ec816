#include "store/namelistcache.h"

#include "store/fileio.h"
#include "store/keycollation.h"
#include "store/listfile.h"

namespace store {

LoadResult NameListCache::Load(const QString& path, MessageSink& sink) {
  store::ReadResult read = store::TryReadWholeFile(path);
  if (read.status != store::ReadStatus::Ok) {
    valid_ = false;
    // The remaining attempts, and the message after the last, are those of the store.
    return store::LoadSortedList(path, sink, store::kLoadAttempts - 1);
  }
  LoadResult result;
  result.loaded = true;
  const QString locale = store::KeyLocale().name();
  if (!(valid_ && path == path_ && locale == locale_ && read.bytes == bytes_)) {
    QStringList lines = store::DecodeListFile(read.bytes);
    if (!store::KeyOrder::ForThisThread().IsSorted(lines))
      store::SortKeys(lines);
    path_ = path;
    locale_ = locale;
    bytes_ = std::move(read.bytes);
    lines_ = std::move(lines);
    valid_ = true;
  }
  result.lines = lines_;
  return result;
}

void NameListCache::Forget() {
  valid_ = false;
  bytes_.clear();
  lines_.clear();
}

}  // namespace store
