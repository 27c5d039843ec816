#include "mainwindow/deletedlist.h"

#include "store/fileio.h"
#include "store/sharedaccess.h"

namespace mainwindow {

DeletedList LoadDeletedList(const QString& path, store::MessageSink& sink) {
  // A link that leads nowhere is an unreadable file, not a missing one.
  if (!store::EntryExists(path))
    return DeletedList{{}, true};
  store::LoadResult result = store::LoadSortedList(path, sink);
  if (!result.loaded && result.missing)
    return DeletedList{{}, true};
  return DeletedList{std::move(result.lines), result.loaded};
}

}  // namespace mainwindow
