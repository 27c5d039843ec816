#include "mainwindow/deletedlist.h"

#include <QFileInfo>

#include "store/sharedaccess.h"

namespace mainwindow {

DeletedList LoadDeletedList(const QString& path, store::MessageSink& sink) {
  if (!QFileInfo::exists(path))
    return DeletedList{{}, true};
  store::LoadResult result = store::LoadSortedList(path, sink);
  if (!result.loaded && result.missing)
    return DeletedList{{}, true};
  return DeletedList{std::move(result.lines), result.loaded};
}

}  // namespace mainwindow
