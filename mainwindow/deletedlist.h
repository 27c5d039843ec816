#pragma once

#include <QString>
#include <QStringList>

#include "store/messages.h"

namespace mainwindow {

struct DeletedList {
  QStringList keys;  // sorted
  bool ok = false;   // false: the file exists but could not be read (the user has been told)
};

// Loads the deleted-records file. A file that does not exist yet (before the first delete)
// is an empty list, not a failure; a file that exists but cannot be read is reported through
// the sink after the usual attempts and must not be rewritten.
DeletedList LoadDeletedList(const QString& path, store::MessageSink& sink);

}  // namespace mainwindow
