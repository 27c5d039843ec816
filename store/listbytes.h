#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

namespace store {

// A list file (one key per line) edited on its bytes, for the changes of DataFiles: finding
// a key, inserting one at its sorted place and removing one cost a scan of the bytes, not a
// decode and sort of the whole list. Bytes() writes every line with CR LF. Lines that are no
// record keys (IsKeyLine: too long, or blank) are kept as they stand and never match a key.
// The bytes are taken as ListFileText gives them.
class ListBytes {
 public:
  explicit ListBytes(QByteArray bytes);
  ListBytes(const ListBytes&) = delete;  // the lines point into the bytes
  ListBytes& operator=(const ListBytes&) = delete;

  qsizetype Count() const { return static_cast<qsizetype>(lines_.size()); }
  // True when a line could be a record key (IsKeyLine).
  bool HasKeys() const;
  QByteArrayView Line(qsizetype i) const { return lines_[static_cast<size_t>(i)]; }
  QString Text(qsizetype i) const;

  qsizetype IndexOf(const QString& key) const;  // exact, or -1
  // Record keys equal ignoring letter case address the same section of the record store.
  qsizetype IndexIgnoringCase(const QString& key) const;
  // The first line that names the same section of the record store as key: the store matches
  // section names ignoring letter case and blanks at both ends, so "Meier,Anna " (a first
  // name that older programs saved with a blank at its end) is the record of "Meier,Anna".
  qsizetype IndexOfSameSection(const QString& key) const;

  // Inserts key where the sort order of the name index puts it. A list that is not sorted
  // (written elsewhere, or by an older program) is sorted first; lines that are no keys
  // then follow the keys.
  void InsertSorted(const QString& key);
  // The same for many keys at once, in one pass over the list.
  void InsertSorted(const QStringList& keys);

  // The same answers for many keys at once, read in one pass over the list, so a command over
  // tens of thousands of keys does not scan the whole list for each of them:
  // the keys IndexOf finds,
  QSet<QString> ExactKeys() const;
  // the section names of the lines, as SectionName gives them: IndexOfSameSection(key) finds
  // a line exactly when SectionName(key) is among them,
  QSet<QByteArray> SectionNames() const;
  static QByteArray SectionName(const QString& key);
  // the lines letter case folded, as IndexIgnoringCase compares them,
  QSet<QByteArray> FoldedLines() const;
  // and RemoveAll for every key of keys; returns how many lines went.
  qsizetype RemoveAll(const QSet<QString>& keys);
  void Sort();
  // Adds key as the last line (the list's order is then no longer known).
  void Append(const QString& key);
  void RemoveAt(qsizetype i);
  // Removes every line equal to key; returns how many.
  qsizetype RemoveAll(const QString& key);

  QByteArray Bytes() const;
  // The same bytes as pieces to write one after the other: lines that stand unchanged one
  // after the other in the bytes read (each ended by CR LF) make one piece, so a list of
  // 100 000 keys with one key added or removed is written in a few pieces without a copy.
  // The pieces point into this list and live as long as it does.
  std::vector<QByteArrayView> Pieces() const;

 private:
  friend class WrittenInOrder;
  void Insert(qsizetype at, const QString& key);
  // Keeps key's bytes as a line of its own (in added_) and returns them.
  QByteArrayView Stored(const QString& key);
  void EnsureSorted();
  // Where InsertSorted puts key: after the key lines that sort with it or before it.
  qsizetype SortedPlace(const QString& key) const;

  QByteArray bytes_;
  std::deque<QByteArray> added_;  // storage of inserted lines; deque keeps them in place
  std::vector<QByteArrayView> lines_;
  bool knownSorted_ = false;  // in the order of KeyOrder::ForThisThread()
};

// The list a directory's changes wrote last, while its keys were known to be in order. A
// change that reads those very bytes back (no other workstation wrote the file meanwhile)
// knows their order without comparing 100 000 neighbours; any other bytes are checked.
class WrittenInOrder {
 public:
  // Marks read, made from a file's bytes and not changed since, as sorted when those bytes
  // are the ones remembered.
  void Recall(ListBytes& read) const;
  // After written's bytes went to disk: remembers them if their order is known, else forgets.
  void Remember(std::shared_ptr<const ListBytes> written);

 private:
  std::shared_ptr<const ListBytes> list_;
  QString locale_;  // the keys' order depends on it
};

}  // namespace store
