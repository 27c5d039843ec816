#include "store/listbytes.h"

#include <cstring>

#include "store/cp1252.h"
#include "store/keycollation.h"
#include "store/profilescan.h"
#include "store/sharedaccess.h"

namespace store {

ListBytes::ListBytes(QByteArray bytes) : bytes_(std::move(bytes)) {
  const char* d = bytes_.constData();
  profile::LineScanner scanner(d, bytes_.size());
  qsizetype b, e;
  while (scanner.Next(&b, &e))
    lines_.emplace_back(d + b, e - b);
}

QString ListBytes::Text(qsizetype i) const {
  return FromCp1252(Line(i));
}

qsizetype ListBytes::IndexOf(const QString& key) const {
  const QByteArray wanted = ToCp1252(key);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const QByteArrayView line = lines_[i];
    if (line.size() == wanted.size() && std::memcmp(line.data(), wanted.data(), line.size()) == 0 &&
        Text(static_cast<qsizetype>(i)) == key) {
      return static_cast<qsizetype>(i);
    }
  }
  return -1;
}

qsizetype ListBytes::IndexIgnoringCase(const QString& key) const {
  const QByteArray wanted = ToCp1252(key);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (EqualIgnoringCase(lines_[i], wanted))
      return static_cast<qsizetype>(i);
  }
  return -1;
}

void ListBytes::Sort() {
  QStringList texts;
  texts.reserve(Count());
  for (qsizetype i = 0; i < Count(); ++i)
    texts.append(Text(i));
  SortKeys(texts);
  lines_.clear();
  added_.clear();
  for (const QString& text : texts)
    Insert(Count(), text);
  knownSorted_ = true;
}

void ListBytes::InsertSorted(const QString& key) {
  if (!knownSorted_) {
    // Adjacent lines in order is cheaper to check than a sort: the file is normally sorted.
    const KeyOrder& order = KeyOrder::ForThisThread();
    for (qsizetype i = 1; i < Count(); ++i) {
      if (order.Compare(Line(i - 1), Line(i)) > 0) {
        Sort();
        break;
      }
    }
    knownSorted_ = true;
  }
  qsizetype low = 0;
  qsizetype high = Count();
  while (low < high) {
    const qsizetype mid = low + (high - low) / 2;
    if (CompareKeys(Text(mid), key) <= 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  Insert(low, key);
}

void ListBytes::Append(const QString& key) {
  Insert(Count(), key);
}

void ListBytes::Insert(qsizetype at, const QString& key) {
  // A line break inside a key would split it into two lines of the list.
  QByteArray line = ToCp1252(key);
  for (char& c : line) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  added_.push_back(std::move(line));
  const QByteArray& stored = added_.back();
  lines_.insert(lines_.begin() + at, QByteArrayView(stored.constData(), stored.size()));
}

void ListBytes::RemoveAt(qsizetype i) {
  lines_.erase(lines_.begin() + i);
}

qsizetype ListBytes::RemoveAll(const QString& key) {
  qsizetype removed = 0;
  for (qsizetype i = IndexOf(key); i >= 0; i = IndexOf(key)) {
    RemoveAt(i);
    ++removed;
  }
  return removed;
}

QByteArray ListBytes::Bytes() const {
  qsizetype size = 0;
  for (const QByteArrayView& line : lines_)
    size += line.size() + 2;
  QByteArray out;
  out.reserve(size);
  for (const QByteArrayView& line : lines_) {
    out.append(line.data(), line.size());
    out.append("\r\n", 2);
  }
  return out;
}

}  // namespace store
