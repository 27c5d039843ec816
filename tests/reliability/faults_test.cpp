// Every change of the data files, and the atomic write of CSV and report files, under a
// failing disk: each open, read, write and rename that the change makes is made to fail in
// turn, once (a file busy for a moment) and for good (disk full, permission denied).
//
// Whatever fails, each file is byte-identical to before or fully updated, never half; no
// temporary or lock file is left behind; no record is lost (every key that was listed stays
// listed somewhere with its section, except the keys the change itself takes out); the
// change ends with the German message of the failing step; and once the fault is gone,
// running the change again completes it.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <functional>
#include <iostream>
#include <optional>

#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/listfile.h"
#include "store/messages.h"
#include "store/recordstore.h"
#include "store/usererror.h"
#include "tests/reliability/qtprint.h"
#include "tests/support/datadir.h"

// GoogleTest prints a directory's files as names and escaped text.
inline void PrintTo(const QMap<QString, QByteArray>& files, std::ostream* os) {
  for (auto it = files.begin(); it != files.end(); ++it) {
    *os << "\n  " << it.key().toStdString() << ": \""
        << it.value().toPercentEncoding(" []=,;").toStdString() << '"';
  }
}

namespace {

using store::FileOp;
using testsupport::TempDataDir;

const QStringList kDataFiles = {"adresse.qdx", "names.qdx", "secure.qdx", "export.csv"};

// The files of a directory: name -> bytes; a missing file is absent.
using Snapshot = QMap<QString, QByteArray>;

Snapshot Take(const QString& dir) {
  Snapshot snapshot;
  const QDir d(dir);
  for (const QString& name : d.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    QFile file(d.filePath(name));
    file.open(QIODevice::ReadOnly);
    snapshot.insert(name, file.readAll());
  }
  return snapshot;
}

void Restore(const TempDataDir& dir, const Snapshot& snapshot) {
  for (auto it = snapshot.begin(); it != snapshot.end(); ++it)
    dir.Write(it.key(), it.value());
}

QByteArray Section(const char* key, const char* name) {
  return QByteArray("[") + key + "]\r\nVorname=x\r\nName=" + name + "\r\nOrt=K\xF6ln\r\n";
}

store::RecordValues Values(const QString& name, const QString& first) {
  store::RecordValues v;
  v[store::kName] = name;
  v[store::kVorname] = first;
  v[store::kStrasse] = QString::fromUtf8("Hauptstraße 1");
  return v;
}

struct Command {
  const char* name;
  Snapshot before;
  std::function<void(store::DataFiles&, const QString& dir)> run;
};

// A directory with two live and two soft-deleted records.
Snapshot Fixture(bool withSecure = true) {
  Snapshot s;
  s["names.qdx"] = "Abel,Karl\r\nMeier,Anna\r\n";
  if (withSecure)
    s["secure.qdx"] = "Zander,Ina\r\nAlt,Otto\r\n";
  s["adresse.qdx"] = Section("Abel,Karl", "Abel") + Section("Meier,Anna", "Meier") +
                     Section("Zander,Ina", "Zander") + Section("Alt,Otto", "Alt");
  return s;
}

Snapshot Editing(Snapshot s) {  // Meier,Anna taken out of the name index by an edit
  s["names.qdx"] = "Abel,Karl\r\n";
  return s;
}

// The CSV export and the report save write through WriteFileAtomic and turn a failure into
// the window's message.
void WriteExport(const QString& dir) {
  const QString path = QDir(dir).filePath("export.csv");
  if (!store::WriteFileAtomic(path,
                              "Vorname;Name\r\nAnna;M\xFC"
                              "ller\r\n"))
    throw store::UserError(store::CannotCreateMessage(path));
}

QList<Command> Commands() {
  Snapshot withExport = Fixture();
  withExport["export.csv"] = "alt\r\n";
  return {
      {"save new record", Fixture(),
       [](store::DataFiles& f, const QString&) {
         f.SaveRecord("Neu,Nina", Values("Neu", "Nina"));
       }},
      {"save edited record", Editing(Fixture()),
       [](store::DataFiles& f, const QString&) {
         f.SaveRecord("Meier,Anna", Values("Meier", "Anna"));
       }},
      {"start edit", Fixture(),
       [](store::DataFiles& f, const QString&) { f.RemoveFromNames("Meier,Anna"); }},
      {"end edit unsaved", Editing(Fixture()),
       [](store::DataFiles& f, const QString&) { f.AddToNames("Meier,Anna"); }},
      {"delete", Fixture(),
       [](store::DataFiles& f, const QString&) { f.DeleteRecord("Meier,Anna"); }},
      {"first delete", Fixture(false),
       [](store::DataFiles& f, const QString&) { f.DeleteRecord("Meier,Anna"); }},
      {"restore", Fixture(),
       [](store::DataFiles& f, const QString&) {
         f.RestoreRecords({"Alt,Otto", "Zander,Ina"});
       }},
      {"purge", Fixture(),
       [](store::DataFiles& f, const QString&) {
         f.PurgeRecords({"Alt,Otto", "Zander,Ina"});
       }},
      {"relist orphan", Editing(Fixture()),
       [](store::DataFiles& f, const QString&) { f.RelistOrphans({"Meier,Anna"}); }},
      {"write new export file", Fixture(),
       [](store::DataFiles&, const QString& dir) { WriteExport(dir); }},
      {"replace export file", withExport,
       [](store::DataFiles&, const QString& dir) { WriteExport(dir); }},
  };
}

struct Call {
  FileOp op;
  QString path;
};

// Runs the command; the message it ends with, or nullopt when it succeeds.
std::optional<QString> RunCommand(const Command& command, const QString& dir) {
  store::DataFiles files(dir);
  files.SetLockTimeouts(2000, 60000);
  try {
    command.run(files, dir);
  } catch (const store::UserError& e) {
    return e.message();
  }
  return std::nullopt;
}

// The message a failure of the given call must give: a failed load for the reading side, the
// file's own write message for the writing side.
QString ExpectedMessage(const QList<Call>& trace, int k, const QString& dir) {
  bool reading = trace[k].op == FileOp::Read;
  if (trace[k].op == FileOp::Open) {
    for (int j = k + 1; j < trace.size(); ++j) {
      if (trace[j].path == trace[k].path) {
        reading = trace[j].op == FileOp::Read;
        break;
      }
    }
  }
  if (reading)
    return store::LoadFailureMessage();
  const QString path = QDir(dir).filePath(QFileInfo(trace[k].path).fileName());
  if (path.endsWith("adresse.qdx"))
    return store::CannotWriteMessage(path);
  return store::CannotCreateMessage(path);
}

QSet<QString> Keys(const Snapshot& s) {
  QSet<QString> keys;
  for (const char* list : {"names.qdx", "secure.qdx"}) {
    for (const QString& key : store::DecodeListFile(s.value(list)))
      keys.insert(key);
  }
  return keys;
}

const char* OpName(FileOp op) {
  switch (op) {
    case FileOp::Open:
      return "open";
    case FileOp::Read:
      return "read";
    case FileOp::Write:
      return "write";
    case FileOp::Sync:
      return "sync";
    case FileOp::Rename:
      return "rename";
    case FileOp::SyncDirectory:
      return "sync directory";
  }
  return "?";
}

class FaultMatrix : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { store::SetFaultHook({}); }
};

TEST_P(FaultMatrix, everyFailingStep_leavesWholeFilesLosesNothingAndTellsTheUser) {
  const Command command = Commands()[GetParam()];
  SCOPED_TRACE(command.name);

  // The fault-free run: which calls the change makes, and what it leaves.
  QList<Call> trace;
  Snapshot after;
  {
    TempDataDir dir;
    Restore(dir, command.before);
    store::SetFaultHook([&](FileOp op, const QString& path) {
      trace.append({op, path});
      return false;
    });
    ASSERT_EQ(RunCommand(command, dir.Path()), std::nullopt);
    store::SetFaultHook({});
    after = Take(dir.Path());
  }
  ASSERT_FALSE(trace.isEmpty());
  ASSERT_NE(after, command.before);
  // Keys the change itself takes out of both lists (a purge, an edit holding its record).
  const QSet<QString> takenOut = Keys(command.before) - Keys(after);

  int injected = 0;
  for (int k = 0; k < trace.size(); ++k) {
    for (const bool persistent : {false, true}) {
      SCOPED_TRACE(QStringLiteral("%1 fault at call %2 (%3 %4)")
                       .arg(persistent ? "lasting" : "passing")
                       .arg(k)
                       .arg(OpName(trace[k].op))
                       .arg(QFileInfo(trace[k].path).fileName())
                       .toStdString());
      TempDataDir dir;
      Restore(dir, command.before);
      const QString failingName = QFileInfo(trace[k].path).fileName();
      int call = 0;
      store::SetFaultHook([&](FileOp op, const QString& path) {
        const int index = call++;
        if (index == k)
          return true;
        return persistent && index > k && op == trace[k].op &&
               QFileInfo(path).fileName() == failingName;
      });
      const std::optional<QString> message = RunCommand(command, dir.Path());
      store::SetFaultHook({});
      ++injected;
      const Snapshot faulted = Take(dir.Path());

      // Each file whole: as before or as after; nothing else left in the directory.
      for (auto it = faulted.begin(); it != faulted.end(); ++it) {
        EXPECT_TRUE(kDataFiles.contains(it.key())) << "left behind: " << it.key().toStdString();
        const bool asBefore =
            command.before.value(it.key()) == it.value() && command.before.contains(it.key());
        const bool asAfter = after.value(it.key()) == it.value() && after.contains(it.key());
        EXPECT_TRUE(asBefore || asAfter) << it.key().toStdString() << " is half written";
      }
      for (const QString& name : command.before.keys())
        EXPECT_TRUE(faulted.contains(name)) << name.toStdString() << " vanished";

      if (!message) {
        EXPECT_EQ(faulted, after) << "no message, but the change is not complete";
      } else {
        EXPECT_EQ(*message, ExpectedMessage(trace, k, dir.Path()));
      }

      // No record lost: every key listed before is still listed, with its section.
      const store::RecordStore records(faulted.value("adresse.qdx"));
      const QSet<QString> listed = Keys(faulted);
      for (const QString& key : Keys(command.before) - takenOut) {
        EXPECT_TRUE(listed.contains(key)) << "lost from both lists: " << key.toStdString();
        EXPECT_TRUE(records.HasSection(key)) << "lost its section: " << key.toStdString();
      }

      // The fault is gone: the same change again completes it.
      const std::optional<QString> retried = RunCommand(command, dir.Path());
      EXPECT_EQ(retried, std::nullopt);
      EXPECT_EQ(Take(dir.Path()), after) << "running the change again did not complete it";
    }
  }
  std::cout << "[ faults ] " << command.name << ": " << trace.size() << " file operations, "
            << injected << " faults injected" << std::endl;
}

INSTANTIATE_TEST_SUITE_P(AllChanges, FaultMatrix, ::testing::Range(0, int(Commands().size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                           QString name = QString::fromLatin1(Commands()[info.param].name);
                           name.replace(' ', '_');
                           return name.toStdString();
                         });

}  // namespace
