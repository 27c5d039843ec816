// Every change of the data files killed at every step: a workstation that dies (SIGKILL, no
// clean-up) where the file layer opens, reads, writes, flushes or renames a file, or flushes
// the directory. After each such death, in this process:
// - each data file is as before the change or as after it, whole;
// - no record is lost: every record that was listed (live or deleted) is still listed, but
//   for the one an edit takes out, which is an orphan that "Verwaiste Datensätze
//   wiederherstellen" offers, as the orphans are; all keep their values, and every listed
//   live record has its section;
// - the next change takes the dead workstation's lock and succeeds, and what the death left
//   behind goes once it is ten minutes old.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <functional>

#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/listfile.h"
#include "store/profilescan.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"
#include "tests/reliability/qtprint.h"
#include "tests/reliability/stressmodel.h"
#include "tests/support/datadir.h"

namespace {

using store::DataFiles;
using testsupport::TempDataDir;

const QStringList kDataFiles = {"adresse.qdx", "names.qdx", "secure.qdx"};

using Snapshot = QMap<QString, QByteArray>;  // data file -> bytes; a missing file is absent

Snapshot Take(const TempDataDir& dir) {
  Snapshot s;
  for (const QString& name : kDataFiles) {
    if (dir.Exists(name))
      s.insert(name, dir.Read(name));
  }
  return s;
}

void Put(const TempDataDir& dir, const Snapshot& s) {
  for (auto it = s.begin(); it != s.end(); ++it)
    dir.Write(it.key(), it.value());
}

// Three live records, two deleted ones and an orphan, as the program writes them.
Snapshot Fixture(bool withDeleted = true) {
  TempDataDir dir;
  dir.Write("names.qdx", "");
  DataFiles files(dir.Path());
  for (const char* key :
       {"Abel,Karl", "Meier,Anna", "Berg,Ute", "Orth,Olga", "Zander,Ina", "Alt,Otto"})
    files.SaveRecord(key, stress::Values(key, "v0"));
  files.RemoveFromNames("Orth,Olga");
  if (withDeleted) {
    files.DeleteRecord("Zander,Ina");
    files.DeleteRecord("Alt,Otto");
  } else {
    files.RemoveFromNames("Zander,Ina");
    files.RemoveFromNames("Alt,Otto");
  }
  return Take(dir);
}

struct Change {
  const char* name;
  Snapshot before;
  const char* command;
  const char* key;
  const char* gone = nullptr;  // the record the change erases for good
};

QList<Change> Changes() {
  Snapshot editing = Fixture();
  {
    TempDataDir dir;
    Put(dir, editing);
    DataFiles(dir.Path()).RemoveFromNames("Meier,Anna");
    editing = Take(dir);
  }
  return {
      {"save new record", Fixture(), "save", "Neu,Nina"},
      {"save edited record", editing, "save", "Meier,Anna"},
      {"start edit", Fixture(), "remove", "Meier,Anna"},
      {"end edit unsaved", editing, "add", "Meier,Anna"},
      {"delete", Fixture(), "delete", "Meier,Anna"},
      {"first delete", Fixture(false), "delete", "Meier,Anna"},
      {"restore", Fixture(), "restore", "Alt,Otto"},
      {"purge", Fixture(), "purge", "Zander,Ina", "Zander,Ina"},
      {"relist orphan", Fixture(), "relist", "Orth,Olga"},
      {"import", Fixture(), "import", "Neu,Nina"},
  };
}

// Runs the change in a workstation of its own that dies at the given step (0: never).
// True when it died, false when it finished.
bool RunDying(const TempDataDir& dir, const Change& change, int step) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (step > 0)
    env.insert("STRESS_DRIVER_DIE_AT", QString::number(step));
  child.setProcessEnvironment(env);
  child.start(QStringLiteral(STRESS_DRIVER), {"run", dir.Path(), change.command, change.key});
  EXPECT_TRUE(child.waitForFinished(30000));
  if (child.exitStatus() == QProcess::CrashExit)
    return true;
  EXPECT_EQ(child.readAllStandardOutput().trimmed(), QByteArray("ok")) << change.name;
  return false;
}

QStringList Keys(const Snapshot& s) {
  return store::profile::SectionNames(s.value("adresse.qdx"));
}

// What a death at `step` left, checked as described at the top.
void CheckLeftBehind(const TempDataDir& dir, const Change& change, const Snapshot& after,
                     int step) {
  SCOPED_TRACE(QString("%1, died at step %2").arg(change.name).arg(step).toStdString());
  const Snapshot now = Take(dir);
  for (const QString& name : kDataFiles) {
    const bool asBefore = now.value(name, "missing") == change.before.value(name, "missing");
    const bool asAfter = now.value(name, "missing") == after.value(name, "missing");
    EXPECT_TRUE(asBefore || asAfter) << name.toStdString();
  }
  DataFiles files(dir.Path());
  files.SetLockTimeouts(2000, 60000);
  struct Sink : store::MessageSink {
    void ShowMessage(const QString& text) override { ADD_FAILURE() << text.toStdString(); }
  } sink;
  const QStringList live = store::LoadSortedList(files.NamesPath(), sink).lines;
  const QStringList deleted = dir.Exists("secure.qdx")
                                  ? store::LoadSortedList(files.SecurePath(), sink).lines
                                  : QStringList();
  const QStringList orphans = files.OrphanedKeys();
  const store::RecordStore records(dir.Read("adresse.qdx"));
  const store::RecordStore old(change.before.value("adresse.qdx"));
  const QStringList listedBefore = store::DecodeListFile(change.before.value("names.qdx")) +
                                   store::DecodeListFile(change.before.value("secure.qdx"));
  for (const QString& key : Keys(change.before)) {
    if (change.gone && key == QLatin1String(change.gone) && !records.HasSection(key))
      continue;
    // A listed record stays listed, live or deleted; only the start of an edit takes its
    // record out of every list (an orphan until the edit ends).
    const bool mayBeOrphan = !listedBefore.contains(key) ||
                             (QLatin1String(change.command) == "remove" && key == change.key);
    EXPECT_TRUE(live.contains(key) || deleted.contains(key) ||
                (mayBeOrphan && orphans.contains(key)))
        << key.toStdString() << " is listed nowhere";
    EXPECT_TRUE(records.Record(key) == old.Record(key) ||
                records.Record(key) == stress::Values(key, "v1"))
        << key.toStdString();
  }
  for (const QString& key : live)
    EXPECT_TRUE(records.HasSection(key)) << key.toStdString() << " is listed without values";

  // The next change takes the dead workstation's lock over at once. A save reads the files
  // while another thread takes the lock, so it may die between making the lock file and
  // writing its name into it: such a lock tells no one that its holder is dead, and is taken
  // over once it is as old as the stale time.
  if (dir.Exists(".adressbuch.lock") && dir.Read(".adressbuch.lock").isEmpty())
    dir.Age(".adressbuch.lock", 61);
  EXPECT_EQ(files.SaveRecord("Probe,Paul", stress::Values("Probe,Paul", "v0")),
            DataFiles::SaveOutcome::Saved);
  for (const QString& name : QDir(dir.Path()).entryList({"*.tmp"}, QDir::Files))
    dir.Age(name, 11 * 60);
  files.AddToNames("Probe,Paul");
  EXPECT_EQ(QDir(dir.Path()).entryList({"*.tmp", ".adressbuch.lock"}, QDir::Files | QDir::Hidden),
            QStringList());
}

TEST(CrashStepsTest, everyChangeKilledAtEveryStep_losesNothing) {
  for (const Change& change : Changes()) {
    Snapshot after;
    {
      TempDataDir dir;
      Put(dir, change.before);
      ASSERT_FALSE(RunDying(dir, change, 0)) << change.name;
      after = Take(dir);
      ASSERT_NE(after, change.before) << change.name;
    }
    int step = 1;
    for (;; ++step) {
      TempDataDir dir;
      Put(dir, change.before);
      if (!RunDying(dir, change, step))
        break;
      CheckLeftBehind(dir, change, after, step);
    }
    // Each change asks at least once per file it reads and per step of each file it writes.
    EXPECT_GT(step, 6) << change.name;
  }
}

}  // namespace
