#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "store/fieldtable.h"

// The keys, values and log of the many-workstation run, shared by the driver program (one
// workstation) and the test that checks the files afterwards.
//
// Ownership keeps the end state checkable. Each workstation owns kOwnKeys record keys; only the
// owner saves, edits, deletes or restores them, so only the owner moves them in or out of the
// name index. The one change that reaches other workstations' keys is the purge: it removes
// every soft-deleted key from the deleted-records file and erases its section, whoever deleted
// it. An owner therefore knows the state of its keys for sure, except that a key it last saw
// deleted may have been purged since. Besides, all workstations race to create the same
// kSharedKeys records, each in its own spelling that differs only in letter case: exactly one
// of them may win each key, because a key equal to a listed one ignoring case is refused.
namespace stress {

constexpr int kProcesses = 8;
constexpr int kOwnKeys = 8;
constexpr int kSharedKeys = 24;

QString OwnKey(int process, int n);     // "Stress3-5,Jürgen"
QString SharedKey(int process, int i);  // "gEMeinsam7,Schlüssel": the process's spelling
// The shared key's spelling-independent name, "GEMEINSAM7,SCHLÜSSEL", or empty for other keys.
QString SharedName(const QString& key);
bool IsStressKey(const QString& key);

// The fifteen values a save with this version writes: names from the key, the version and
// umlauts in the other fields, some fields empty.
store::RecordValues Values(const QString& key, const QString& version);

enum class State {
  Live,     // listed in the name index, with the values of `version`
  Deleted,  // soft-deleted with the values of `version` (or purged by another workstation)
  Gone,     // in neither list: never created, renamed away, or purged
  Claimed,  // a shared key this workstation created (listed, with the values of `version`)
};

struct LogEntry {
  State state = State::Gone;
  QString key;
  QString version;
};

QByteArray FormatLog(const QList<LogEntry>& entries);
QList<LogEntry> ParseLog(const QByteArray& bytes);

}  // namespace stress
