#include "mainwindow/listops.h"

#include "store/cp1252.h"
#include "store/sharedaccess.h"

namespace mainwindow {

int SortedInsertPosition(int count, const std::function<QString(int)>& at, const QString& key) {
  int low = 0;
  int high = count;
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (store::CompareKeys(at(mid), key) <= 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

int SortedInsertPosition(const QStringList& sorted, const QString& key) {
  return SortedInsertPosition(
      int(sorted.size()), [&sorted](int i) { return sorted.at(i); }, key);
}

bool ListAgrees(const QStringList& shown, const QStringList& lines) {
  if (lines.size() > shown.size())
    return false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines.at(i) != shown.at(i))
      return false;
  }
  return true;
}

int IndexIgnoringCase(const QStringList& entries, const QString& text) {
  for (int i = 0; i < entries.size(); ++i) {
    if (entries.at(i).compare(text, Qt::CaseInsensitive) == 0)
      return i;
  }
  return -1;
}

}  // namespace mainwindow
