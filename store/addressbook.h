#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>

#include "store/datafiles.h"
#include "store/messages.h"
#include "store/namelistcache.h"
#include "store/recordsearch.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"

namespace store {

struct DeletedList {
  QStringList keys;  // sorted
  bool ok = false;   // false: the file exists but could not be read (the user has been told)
};

// One address book: the data files of one directory, as the windows see them. It holds the
// paths, the changes (each under the directory's lock), the name index as last loaded, and
// the prepared search, so that no window composes a data file's path or reads a data file.
class AddressBook {
 public:
  explicit AddressBook(QString dir);
  AddressBook(const AddressBook&) = delete;  // the search cache reads through this object
  AddressBook& operator=(const AddressBook&) = delete;

  const QString& Dir() const { return files_.Dir(); }

  // Every change of the data files goes through here.
  DataFiles& Files() { return files_; }

  // The name index, sorted, read from disk every time; decoded and sorted again only when its
  // bytes changed since the last load (another workstation wrote it).
  LoadResult LoadNames(MessageSink& sink);
  // Drops the last load, before the caller changes its copy of the list in place.
  void ForgetNames() { names_.Forget(); }
  // The name index read afresh, without the cache (as store::LoadSortedList).
  LoadResult ReadNames(MessageSink& sink) const;
  // Whether the name index on disk lists key in this spelling. An unreadable name index tells
  // nothing, so it counts as holding every key.
  bool NamesHold(const QString& key) const;
  // Compares the shown list with the name index on disk (store::RefreshNameList).
  RefreshResult RefreshNames(const QStringList& shown, int selectedIndex, MessageSink& sink) const;

  // A snapshot of the record store after the usual probes (its failure goes to sink once).
  // Read into the buffer of the last snapshot once that one is gone: thirty megabytes of
  // fresh memory cost more in page faults than reading the file into them.
  RecordStore OpenRecords(MessageSink& sink) const;
  // A snapshot of the record store as it is, without probes: an unreadable store is empty.
  RecordStore ReadRecords() const;

  // The deleted-records file. Missing (before the first delete) is an empty list; a file that
  // exists but cannot be read is reported through sink and must not be rewritten.
  DeletedList LoadDeleted(MessageSink& sink) const;

  // The search over the record store, kept while the store is unchanged.
  SearchCache& Search() { return *search_; }

 private:
  // The buffer of the last snapshot, taken by the next one when nothing else holds it.
  QByteArray SnapshotBuffer() const;
  RecordStore KeepBuffer(RecordStore records) const;

  DataFiles files_;
  NameListCache names_;
  mutable QByteArray snapshotBuffer_;
  std::unique_ptr<SearchCache> search_;
};

// Whether the bytes of a list file hold key as a whole line.
bool ListFileHolds(QByteArrayView bytes, const QString& key);

}  // namespace store
