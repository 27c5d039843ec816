#include "store/listbytes.h"

#include <algorithm>
#include <cstring>

#include "store/cp1252.h"
#include "store/keycollation.h"
#include "store/listfile.h"
#include "store/profilescan.h"
#include "store/sharedaccess.h"

namespace store {

ListBytes::ListBytes(QByteArray bytes) : bytes_(ListFileText(std::move(bytes))) {
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

namespace {

QByteArrayView WithoutEndBlanks(QByteArrayView bytes) {
  while (!bytes.isEmpty() && profile::IsBlank(bytes.front()))
    bytes = bytes.sliced(1);
  while (!bytes.isEmpty() && profile::IsBlank(bytes.back()))
    bytes.chop(1);
  return bytes;
}

}  // namespace

qsizetype ListBytes::IndexOfSameSection(const QString& key) const {
  const QByteArray encoded = ToCp1252(key);
  const QByteArrayView wanted = WithoutEndBlanks(encoded);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (EqualIgnoringCase(WithoutEndBlanks(lines_[i]), wanted))
      return static_cast<qsizetype>(i);
  }
  return -1;
}

QSet<QString> ListBytes::ExactKeys() const {
  QSet<QString> keys;
  keys.reserve(Count());
  for (qsizetype i = 0; i < Count(); ++i) {
    // IndexOf matches a line by its bytes and by its text: only a line whose text encodes
    // back to its very bytes can be found.
    QString text = Text(i);
    if (ToCp1252(text) == Line(i))
      keys.insert(std::move(text));
  }
  return keys;
}

QSet<QByteArray> ListBytes::FoldedLines() const {
  QSet<QByteArray> folded;
  folded.reserve(Count());
  for (const QByteArrayView line : lines_)
    folded.insert(FoldCase(line));
  return folded;
}

QSet<QByteArray> ListBytes::SectionNames() const {
  QSet<QByteArray> names;
  names.reserve(Count());
  for (const QByteArrayView line : lines_)
    names.insert(FoldCase(WithoutEndBlanks(line)));
  return names;
}

QByteArray ListBytes::SectionName(const QString& key) {
  return FoldCase(WithoutEndBlanks(ToCp1252(key)));
}

qsizetype ListBytes::RemoveAll(const QSet<QString>& keys) {
  if (keys.isEmpty())
    return 0;
  const auto end = std::remove_if(lines_.begin(), lines_.end(), [&](QByteArrayView line) {
    const QString text = FromCp1252(line);
    return keys.contains(text) && ToCp1252(text) == line;
  });
  const qsizetype removed = qsizetype(lines_.end() - end);
  lines_.erase(end, lines_.end());
  return removed;
}

bool ListBytes::HasKeys() const {
  return std::any_of(lines_.begin(), lines_.end(),
                     [](QByteArrayView line) { return IsKeyLine(line); });
}

void ListBytes::Sort() {
  // Lines that are no record keys (too long, or blank) are not sorted (nor decoded): they
  // follow the keys as they stand.
  QStringList texts;
  std::vector<QByteArrayView> others;
  texts.reserve(Count());
  for (qsizetype i = 0; i < Count(); ++i) {
    if (IsKeyLine(Line(i))) {
      texts.append(Text(i));
    } else {
      others.push_back(Line(i));
    }
  }
  SortKeys(texts);
  std::deque<QByteArray> oldAdded;
  oldAdded.swap(added_);  // the lines kept may point into it until they are copied below
  lines_.clear();
  for (const QString& text : texts)
    Insert(Count(), text);
  for (QByteArrayView line : others) {
    const char* end = bytes_.constData() + bytes_.size();
    if (line.data() >= bytes_.constData() && line.data() + line.size() <= end) {
      lines_.push_back(line);
    } else {
      added_.emplace_back(line.data(), line.size());
      lines_.emplace_back(added_.back().constData(), added_.back().size());
    }
  }
  knownSorted_ = true;
}

void ListBytes::EnsureSorted() {
  if (knownSorted_)
    return;
  // Adjacent lines in order is cheaper to check than a sort: the file is normally sorted.
  // A line that is no key sends the list through Sort, which puts it after the keys; after
  // the keys already (a blank line at the end of the file) it may stay there.
  const KeyOrder& order = KeyOrder::ForThisThread();
  qsizetype keys = Count();
  while (keys > 0 && !IsKeyLine(Line(keys - 1)))
    --keys;
  for (qsizetype i = 0; i < keys; ++i) {
    if (!IsKeyLine(Line(i)) || (i > 0 && order.Compare(Line(i - 1), Line(i)) > 0)) {
      Sort();
      break;
    }
  }
  knownSorted_ = true;
}

qsizetype ListBytes::SortedPlace(const QString& key) const {
  const KeyOrder& order = KeyOrder::ForThisThread();
  qsizetype low = 0;
  qsizetype high = Count();
  while (high > 0 && !IsKeyLine(Line(high - 1)))
    --high;
  while (low < high) {
    const qsizetype mid = low + (high - low) / 2;
    if (order.Compare(Text(mid), key) <= 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

void ListBytes::InsertSorted(const QString& key) {
  EnsureSorted();
  Insert(SortedPlace(key), key);
}

void ListBytes::InsertSorted(const QStringList& keys) {
  if (keys.isEmpty())
    return;
  EnsureSorted();
  // Each key's place is found in the list as it stands, and the list is built anew once:
  // inserting ten thousand restored keys one by one into a list of a million moved the
  // list's tail ten thousand times. Keys that sort alike keep their given order, as they
  // would one by one.
  std::vector<std::pair<qsizetype, qsizetype>> places;  // place in the list, index in keys
  places.reserve(size_t(keys.size()));
  for (qsizetype k = 0; k < keys.size(); ++k)
    places.emplace_back(SortedPlace(keys[k]), k);
  const KeyOrder& order = KeyOrder::ForThisThread();
  std::stable_sort(places.begin(), places.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first)
      return a.first < b.first;
    return order.Compare(keys[a.second], keys[b.second]) < 0;
  });
  std::vector<QByteArrayView> merged;
  merged.reserve(lines_.size() + places.size());
  qsizetype next = 0;
  for (const auto& [place, k] : places) {
    merged.insert(merged.end(), lines_.begin() + next, lines_.begin() + place);
    next = place;
    merged.push_back(Stored(keys[k]));
  }
  merged.insert(merged.end(), lines_.begin() + next, lines_.end());
  lines_ = std::move(merged);
}

void ListBytes::Append(const QString& key) {
  Insert(Count(), key);
  knownSorted_ = false;
}

QByteArrayView ListBytes::Stored(const QString& key) {
  // A line break inside a key would split it into two lines of the list.
  QByteArray line = ToCp1252(key);
  for (char& c : line) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  added_.push_back(std::move(line));
  const QByteArray& stored = added_.back();
  return QByteArrayView(stored.constData(), stored.size());
}

void ListBytes::Insert(qsizetype at, const QString& key) {
  lines_.insert(lines_.begin() + at, Stored(key));
}

void ListBytes::RemoveAt(qsizetype i) {
  lines_.erase(lines_.begin() + i);
}

qsizetype ListBytes::RemoveAll(const QString& key) {
  const qsizetype first = IndexOf(key);
  if (first < 0)
    return 0;
  // One pass from the first match on: a key listed twice costs no second search.
  const QByteArray wanted = ToCp1252(key);
  auto matches = [&](QByteArrayView line) {
    return line.size() == wanted.size() &&
           std::memcmp(line.data(), wanted.data(), size_t(line.size())) == 0 &&
           FromCp1252(line) == key;
  };
  const auto end = std::remove_if(lines_.begin() + first, lines_.end(), matches);
  const qsizetype removed = qsizetype(lines_.end() - end);
  lines_.erase(end, lines_.end());
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

std::vector<QByteArrayView> ListBytes::Pieces() const {
  static const char kCrLf[] = "\r\n";
  const char* const begin = bytes_.constData();
  const char* const end = begin + bytes_.size();
  std::vector<QByteArrayView> pieces;
  const char* runBegin = nullptr;
  const char* runEnd = nullptr;
  auto flush = [&] {
    if (runBegin != runEnd)
      pieces.emplace_back(runBegin, runEnd - runBegin);
    runBegin = runEnd = nullptr;
  };
  for (const QByteArrayView& line : lines_) {
    const char* after = line.data() + line.size();
    const bool inBytes = line.data() >= begin && after <= end;
    if (inBytes && end - after >= 2 && after[0] == '\r' && after[1] == '\n') {
      if (line.data() != runEnd) {
        flush();
        runBegin = line.data();
      }
      runEnd = after + 2;  // the line and its CR LF as they stand
      continue;
    }
    flush();
    pieces.push_back(line);
    pieces.emplace_back(kCrLf, 2);
  }
  flush();
  return pieces;
}

void WrittenInOrder::Recall(ListBytes& read) const {
  if (!list_ || locale_ != KeyLocale().name() || !read.added_.empty())
    return;
  const QByteArray& bytes = read.bytes_;
  qsizetype at = 0;
  for (QByteArrayView piece : list_->Pieces()) {
    if (piece.size() > bytes.size() - at ||
        std::memcmp(bytes.constData() + at, piece.data(), size_t(piece.size())) != 0)
      return;
    at += piece.size();
  }
  if (at == bytes.size())
    read.knownSorted_ = true;
}

void WrittenInOrder::Remember(std::shared_ptr<const ListBytes> written) {
  if (written && written->knownSorted_) {
    list_ = std::move(written);
    locale_ = KeyLocale().name();
  } else {
    list_.reset();
  }
}

}  // namespace store
