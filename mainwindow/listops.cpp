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

namespace mainwindow {

bool ListFileHolds(QByteArrayView bytes, const QString& key) {
  const QByteArray needle = store::ToCp1252(key);
  if (needle.isEmpty())
    return false;
  auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
  qsizetype from = 0;
  while (true) {
    const qsizetype at = bytes.indexOf(needle, from);
    if (at < 0)
      return false;
    const qsizetype end = at + needle.size();
    const bool startsLine = at == 0 || isLineEnd(bytes.at(at - 1));
    const bool endsLine = end == bytes.size() || isLineEnd(bytes.at(end));
    if (startsLine && endsLine)
      return true;
    from = at + 1;
  }
}

}  // namespace mainwindow
