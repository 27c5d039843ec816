#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <chrono>
#include <functional>
#include <vector>

#include "store/fileio.h"
#include "store/messages.h"
#include "store/recordstore.h"
#include "store/searchfold.h"

namespace store {

// A search over the records of a list of keys, prepared from one snapshot of the record store:
// every field of every record in the forms of searchfold.h, packed one record after the other
// in the store's order as the store is scanned, so that a word is looked for with one pass over
// packed bytes; the records it lies in are then given in list order. The snapshot itself is
// not kept.
//
// A record matches when every word typed occurs in one of its fields or in its key, spelled out
// or contracted; a word of digits also matches the digits of its telephone, fax, mobile,
// speed-dial and internal numbers. A missing field ("Error" on the screen) holds nothing.
class RecordSearch {
 public:
  RecordSearch() = default;
  RecordSearch(const RecordStore& records, const QStringList& keys);

  // The keys the search answers for, in list order.
  const QStringList& Keys() const { return keys_; }

  // Answers for a new list of keys without reading the store again, when every key of it was
  // prepared and they stand in the prepared order: the name index after a delete, after an
  // edit began or ended, or after another workstation did so. False (nothing changed) when
  // the list holds a key the search was not prepared for: it must be prepared anew.
  bool FollowKeys(const QStringList& keys);

  struct Hits {
    QStringList listed;        // the keys searched, in list order (shared, not copied)
    std::vector<qint32> rows;  // the places of the matching keys in `listed`
    // The matching keys, in list order. Copying 100 000 keys touches each one's text; a list
    // that shows the hits takes `listed` and `rows` instead.
    QStringList Keys() const;
  };
  // The records that hold every word of typed. Nothing typed finds every record; a character
  // that Windows-1252 cannot hold finds nothing, unless the store is written in UTF-8 and
  // can hold it (searchfold.h).
  // Not from two threads at once: it prepares the contracted form when a word first needs it.
  Hits Find(QStringView typed);

  // The memory the prepared search holds (its own bytes, not the keys it shares).
  qsizetype MemoryBytes() const;

  // Whether it was prepared from a store written in UTF-8.
  bool Utf8Store() const { return utf8Store_; }

 private:
  // One form of the records of one part of the store, one record after the other, each field
  // followed by a separator; ends[i] is where the part's i-th record ends.
  struct Packed {
    QByteArray bytes;
    std::vector<qint64> ends;
    QByteArrayView Of(qint32 i) const;
  };
  // The store is prepared, and searched, in two parts at once, one per core: its first and
  // second half, a record per section in file order.
  struct Part {
    qint32 firstSection = 0;
    qint32 records = 0;
    Packed spelledOut, contracted, digits;  // contracted: made when a word first needs it
  };
  // Marks in marked the sections of part that hold needle in the form packed; with
  // `unmarkedOnly`, only sections not marked yet are looked at.
  static void Mark(const Part& part, const Packed& packed, QByteArrayView needle, bool unmarkedOnly,
                   std::vector<quint8>& marked);
  // Fills the part's contracted form from its spelled-out form, unless that was done.
  static void Contract(Part& part);
  // Looks for the words in one part; marked[section] ends as 1 for the sections that match.
  static void FindInPart(Part& part, const std::vector<SearchWord>& words,
                         std::vector<quint8>& marked);
  // Whether a key alone holds every word: the record of a listed key without a section.
  static bool KeyHolds(const QString& key, const std::vector<SearchWord>& words);

  std::vector<Part> parts_;
  QStringList prepared_;           // the keys prepared, one per slot
  std::vector<qint32> sectionOf_;  // slot -> the section its key names, -1 for none
  std::vector<qint32> rowOf_;      // slot -> row in keys_, -1 when keys_ leaves it out
  QStringList keys_;
  bool utf8Store_ = false;  // prepared from a store written in UTF-8
};

// The prepared search of one data directory, kept while the record store is unchanged: the
// first key typed reads the store once; the keys after it only search. A store replaced since
// (a save, purge or restore here or on another workstation) has another size or time stamp
// and is read again at the next key. The object that stands for a data directory owns one.
//
// A file system that dates files to the whole second (a share mounted through sshfs, a FAT
// disk) gives a store replaced within the same second, at the same size, the same stamp. The
// content of such a stamp, unless it is minutes old, is taken as final only when it was read
// `settle` after the stamp was first seen, once every write of that second has landed: the
// first key after that reads the store once more.
class SearchCache {
 public:
  // Opens a snapshot of the record store; by default OpenRecordStore of the directory.
  using Opener = std::function<RecordStore(MessageSink&)>;
  static constexpr std::chrono::milliseconds kSettle{5000};
  explicit SearchCache(QString dataDir, Opener open = {},
                       std::chrono::milliseconds settle = kSettle);

  // The keys among `keys` (the name view, in list order) whose records hold every word
  // typed (composed: "u" and a combining diaeresis is "ü"), in list order. Reads the record
  // store through OpenRecordStore when it changed since the last call (its failure message
  // goes to sink).
  RecordSearch::Hits Find(const QStringList& keys, QStringView typed, MessageSink& sink);

  // The prepared search, or nullptr before the first Find.
  const RecordSearch* Prepared() const { return prepared_ ? &search_ : nullptr; }

 private:
  // The store's size and times; replacing the file changes its metadata's time even when
  // size and modification time look alike.
  struct Stamp : FileAttributes {
    bool operator==(const Stamp& other) const;
    bool WholeSeconds() const;
  };
  Stamp StoreStamp() const;

  QString dataDir_;
  Opener open_;
  std::chrono::milliseconds settle_;
  Stamp stamp_;
  QElapsedTimer stampSeen_;  // since stamp_ was first seen
  RecordSearch search_;
  bool prepared_ = false;
  bool final_ = false;  // prepared from what is surely the content of stamp_
};

}  // namespace store
