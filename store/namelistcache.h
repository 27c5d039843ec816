#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "store/messages.h"
#include "store/sharedaccess.h"

namespace store {

// Loads a list file as store::LoadSortedList does, reading it from disk every time. When the
// file holds exactly the bytes of the previous load, the list decoded and sorted then is
// handed out again (shared, not copied): switching views or refreshing the list re-reads the
// name index but decodes and sorts 100 000 keys only when another workstation changed it.
class NameListCache {
 public:
  LoadResult Load(const QString& path, MessageSink& sink);

  // Lets go of the last load: called before the window changes its list itself (after writing
  // the name index), so the list is changed in place instead of being copied first.
  void Forget();

 private:
  QString path_;
  QString locale_;  // the keys' order depends on it
  QByteArray bytes_;
  QStringList lines_;
  bool valid_ = false;
};

}  // namespace store
