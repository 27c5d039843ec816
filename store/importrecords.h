#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "store/fieldtable.h"

namespace store {

// A record to be added by an import: its key and its fifteen values (editor order). The
// caller has checked them as a typed entry is checked (names, characters, lengths).
struct NewRecord {
  QString key;
  RecordValues values;
};

// Why the store refuses a record of an import.
enum class ImportRefusal : quint8 {
  None,        // imported
  KeyLive,     // the name index lists the key (letter case ignored)
  KeyDeleted,  // the deleted-records file lists it: the record can be restored
  KeyInStore,  // the record store has a section of that name that no list names: a record
               // under edit on another workstation, or one left behind by a rename
  KeyTwice,    // an earlier record of the same import has the key
  TooLong,     // the store is kept in UTF-8, and a value takes more bytes than it gives back
};

struct ImportOutcome {
  std::vector<ImportRefusal> refusals;  // one per record given
  std::vector<qsizetype> earlier;       // for KeyTwice the index of the earlier record, else -1
  qsizetype imported = 0;
  bool cancelled = false;  // the caller's proceed() said no: nothing was written
};

// The change an import makes, planned on the files as read under the lock: which records are
// refused, the new sections (to be written after the store's bytes, in the order given) and
// the whole new name index, the new keys merged in at their sorted places. Nothing is written
// here. Keys are compared ignoring letter case through hash sets of their folded bytes, so an
// import of many records into a large address book costs one pass over each file.
struct ImportPlan {
  ImportOutcome outcome;
  QByteArray sections;
  QByteArray names;  // empty when nothing is imported
};
ImportPlan PlanImport(QByteArrayView names, QByteArrayView secure, QByteArrayView storeBytes,
                      const std::vector<NewRecord>& records);

}  // namespace store
