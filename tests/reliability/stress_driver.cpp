// One workstation of the many-workstation tests, as a separate process.
//
//   reliability_stress_driver work <dir> <process> <operations> <seed> <log> <gate>
//       Waits until the file <gate> exists (so all workstations start together), then a random mix
//       of saves (new and edited records), edits given up, deletes, restores, purges and reads,
//       through the store functions the windows use. Writes what it last saw of each of its keys to
//       <log> and a line of counts to stdout. Exit code 3 when it met a result its own keys cannot
//       explain, 1 on an error message.
//   reliability_stress_driver read <dir> <stopfile> <report>
//       Loads the three files in a tight loop until <stopfile> exists and reports every
//       truncated, torn or mixed file it saw.
//   reliability_stress_driver run [--as-nobody] <dir> <command> <key>
//       Runs one change (save, remove, add, delete, restore, purge, relist, import of key and
//       a second record) and prints "ok" or the error message. --as-nobody first drops root's
//       rights, so a read-only directory binds the process as it binds every user but root.
//       With STRESS_DRIVER_DIE_AT=<n> the process kills itself (SIGKILL) where the file layer
//       asks its fault hook for the n-th time: a workstation that dies at that step.
//   reliability_stress_driver holdlock <lockfile>
//       Takes the data directory's lock, prints "locked" and waits to be killed: a
//       workstation that dies while it holds the lock.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMap>
#include <QSet>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <random>

#include "store/cp1252.h"
#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/recordstore.h"
#include "store/sharedaccess.h"
#include "store/usererror.h"
#include "tests/reliability/datacheck.h"
#include "tests/reliability/stressmodel.h"

namespace {

using stress::State;

class CountingSink : public store::MessageSink {
 public:
  QStringList texts;
  void ShowMessage(const QString& text) override { texts.append(text); }
};

struct KeyState {
  State state = State::Gone;
  QString version;
};

class Workstation {
 public:
  Workstation(const QString& dir, int process, unsigned seed)
      : dir_(dir), files_(dir), process_(process), rng_(seed) {
    // Waits far longer than eight workstations ever hold the lock together; a stale lock is
    // only one whose holder died, which does not happen here.
    files_.SetLockTimeouts(60000, 300000);
    for (int n = 0; n < stress::kOwnKeys; ++n)
      own_.insert(stress::OwnKey(process, n), KeyState());
  }

  void Run(int operations) {
    for (int i = 0; i < operations; ++i) {
      seq_ = i;
      RunOne();
    }
  }

  QList<stress::LogEntry> Log() const {
    QList<stress::LogEntry> entries;
    for (auto it = own_.begin(); it != own_.end(); ++it)
      entries.append({it->state, it.key(), it->version});
    for (auto it = claimed_.begin(); it != claimed_.end(); ++it)
      entries.append({State::Claimed, it.key(), it.value()});
    return entries;
  }

  QString Counts() const {
    QStringList parts;
    for (auto it = counts_.begin(); it != counts_.end(); ++it)
      parts.append(it.key() + QLatin1Char('=') + QString::number(it.value()));
    return parts.join(QLatin1Char(' '));
  }

  const QStringList& Anomalies() const { return anomalies_; }

 private:
  enum Op { kSaveNew, kEdit, kDelete, kRestore, kPurge, kClaim, kRead };

  int Random(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(rng_); }

  QStringList KeysIn(State state) const {
    QStringList keys;
    for (auto it = own_.begin(); it != own_.end(); ++it) {
      if (it->state == state)
        keys.append(it.key());
    }
    return keys;
  }
  QString Pick(const QStringList& keys) { return keys.at(Random(int(keys.size()))); }
  QString NextVersion() { return QStringLiteral("p%1s%2").arg(process_).arg(seq_); }

  void Anomaly(const QString& text) {
    anomalies_.append(QStringLiteral("op %1: ").arg(seq_) + text);
  }

  void RunOne() {
    // Weights out of 100; an operation without a key to work on draws again.
    static const std::pair<Op, int> weights[] = {{kSaveNew, 18}, {kEdit, 22}, {kDelete, 17},
                                                 {kRestore, 13}, {kPurge, 4}, {kClaim, 10},
                                                 {kRead, 16}};
    for (;;) {
      int draw = Random(100);
      Op op = kRead;
      for (const auto& [candidate, weight] : weights) {
        if (draw < weight) {
          op = candidate;
          break;
        }
        draw -= weight;
      }
      if (Try(op))
        return;
    }
  }

  bool Try(Op op) {
    switch (op) {
      case kSaveNew: {
        const QStringList gone = KeysIn(State::Gone);
        if (gone.isEmpty())
          return false;
        SaveNew(Pick(gone));
        return true;
      }
      case kEdit:
      case kDelete:
      case kRead: {
        const QStringList live = KeysIn(State::Live);
        if (live.isEmpty())
          return false;
        const QString key = Pick(live);
        if (op == kEdit)
          Edit(key);
        else if (op == kDelete)
          Delete(key);
        else
          Read(key);
        return true;
      }
      case kRestore: {
        QStringList deleted = KeysIn(State::Deleted);
        if (deleted.isEmpty())
          return false;
        std::shuffle(deleted.begin(), deleted.end(), rng_);
        Restore(deleted.mid(0, 1 + Random(3)));
        return true;
      }
      case kPurge:
        Purge();
        return true;
      case kClaim: {
        if (attempted_.size() == stress::kSharedKeys)
          return false;
        int i = Random(stress::kSharedKeys);
        while (attempted_.contains(i))
          i = (i + 1) % stress::kSharedKeys;
        attempted_.insert(i);
        Claim(stress::SharedKey(process_, i));
        return true;
      }
    }
    return false;
  }

  void SaveNew(const QString& key) {
    ++counts_[QStringLiteral("save_new")];
    const QString version = NextVersion();
    if (files_.SaveRecord(key, stress::Values(key, version)) !=
        store::DataFiles::SaveOutcome::Saved)
      return Anomaly(QStringLiteral("new key refused: ") + key);
    own_[key] = {State::Live, version};
  }

  // The edit cycle of the window: the record leaves the name index while it is edited, then
  // is saved under its key or a new one, or the edit is given up and it is listed again.
  void Edit(const QString& key) {
    ++counts_[QStringLiteral("edit_start")];
    files_.RemoveFromNames(key);
    const int choice = Random(100);
    const QStringList gone = KeysIn(State::Gone);
    if (choice < 15) {
      ++counts_[QStringLiteral("edit_cancel")];
      files_.AddToNames(key);
      return;
    }
    QString target = key;
    if (choice < 35 && !gone.isEmpty()) {
      // Renamed: the old section stays in the record store, listed nowhere.
      ++counts_[QStringLiteral("edit_rename")];
      target = Pick(gone);
    } else {
      ++counts_[QStringLiteral("edit_save")];
    }
    const QString version = NextVersion();
    if (files_.SaveRecord(target, stress::Values(target, version)) !=
        store::DataFiles::SaveOutcome::Saved) {
      return Anomaly(QStringLiteral("edited key refused: ") + target);
    }
    if (target != key)
      own_[key] = {State::Gone, QString()};
    own_[target] = {State::Live, version};
  }

  void Delete(const QString& key) {
    ++counts_[QStringLiteral("delete")];
    if (!files_.DeleteRecord(key))
      return Anomaly(QStringLiteral("own live key not listed: ") + key);
    own_[key].state = State::Deleted;
  }

  void Restore(const QStringList& keys) {
    ++counts_[QStringLiteral("restore")];
    const auto outcome = files_.RestoreRecords(keys);
    if (outcome == store::DataFiles::RestoreOutcome::KeyLive)
      return Anomaly(QStringLiteral("deleted keys refused as live: ") +
                     keys.join(QLatin1Char(';')));
    // Only this workstation lists its keys, so the name index tells which ones came back and
    // which ones a purge elsewhere took first.
    const store::LoadResult names = store::LoadSortedList(files_.NamesPath(), sink_);
    for (const QString& key : keys) {
      const qsizetype count = names.lines.count(key);
      if (count == 1) {
        own_[key].state = State::Live;
      } else if (count == 0 && outcome == store::DataFiles::RestoreOutcome::NotDeleted) {
        ++counts_[QStringLiteral("restore_found_purged")];
        own_[key] = {State::Gone, QString()};
      } else {
        Anomaly(QStringLiteral("restored key listed %1 times: ").arg(count) + key);
      }
    }
  }

  // The purge of the window: every key the deleted-records file lists now, whoever deleted it.
  void Purge() {
    ++counts_[QStringLiteral("purge")];
    QStringList keys;
    if (QFileInfo::exists(files_.SecurePath())) {
      const store::LoadResult secure = store::LoadSortedList(files_.SecurePath(), sink_);
      if (!secure.loaded)
        return Anomaly(QStringLiteral("deleted-records file not readable"));
      keys = secure.lines;
    }
    counts_[QStringLiteral("purged_keys_asked")] += int(keys.size());
    files_.PurgeRecords(keys);
    // Each of this workstation's deleted keys was either in that list, and is purged now, or
    // had been purged by another workstation before it was read.
    for (const QString& key : KeysIn(State::Deleted))
      own_[key] = {State::Gone, QString()};
  }

  void Claim(const QString& key) {
    ++counts_[QStringLiteral("claim")];
    const QString version = NextVersion();
    if (files_.SaveRecord(key, stress::Values(key, version)) ==
        store::DataFiles::SaveOutcome::Saved) {
      ++counts_[QStringLiteral("claim_won")];
      claimed_.insert(key, version);
    }
  }

  // The record display of the window: one snapshot of the record store, read by key.
  void Read(const QString& key) {
    ++counts_[QStringLiteral("read")];
    const store::RecordStore records = store::OpenRecordStore(dir_, sink_);
    const store::RecordValues expected = stress::Values(key, own_[key].version);
    if (records.Record(key) != expected)
      Anomaly(QStringLiteral("record does not hold its last saved values: ") + key);
    const store::LoadResult names = store::LoadSortedList(files_.NamesPath(), sink_);
    if (names.lines.count(key) != 1)
      Anomaly(QStringLiteral("live key not listed once: ") + key);
  }

  QString dir_;
  store::DataFiles files_;
  int process_;
  std::mt19937 rng_;
  int seq_ = 0;
  CountingSink sink_;
  QMap<QString, KeyState> own_;
  QMap<QString, QString> claimed_;  // shared key (this spelling) -> version
  QSet<int> attempted_;
  QMap<QString, int> counts_;
  QStringList anomalies_;
};

// The file operations a workstation made last, printed when a change fails unexpectedly.
QStringList& RecentFileOps() {
  static QStringList ops;
  return ops;
}

void TraceFileOps() {
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    static const char* const names[] = {"open", "read",   "write",
                                        "sync", "rename", "sync directory"};
    QStringList& ops = RecentFileOps();
    ops.append(QLatin1String(names[int(op)]) + QLatin1Char(' ') + QFileInfo(path).fileName());
    if (ops.size() > 8)
      ops.removeFirst();
    return false;
  });
}

int Work(const QStringList& args) {
  if (args.size() != 8)
    return 2;
  TraceFileOps();
  Workstation station(args[2], args[3].toInt(), args[5].toUInt());
  while (!QFileInfo::exists(args[7]))
    QThread::msleep(1);
  int code = 0;
  try {
    station.Run(args[4].toInt());
  } catch (const store::UserError& e) {
    std::fprintf(stderr, "error message: %s\nlast file operations: %s\n", e.what(),
                 RecentFileOps().join(QStringLiteral(", ")).toUtf8().constData());
    code = 1;
  }
  for (const QString& a : station.Anomalies())
    std::fprintf(stderr, "anomaly: %s\n", a.toUtf8().constData());
  if (code == 0 && !station.Anomalies().isEmpty())
    code = 3;
  QFile log(args[6]);
  if (!log.open(QIODevice::WriteOnly) || log.write(stress::FormatLog(station.Log())) < 0)
    return 2;
  std::printf("%s\n", station.Counts().toUtf8().constData());
  return code;
}

// The name index held open while the reader reads the other files. Every change replaces the
// file with a new one, and the open file keeps its number from being handed out again: while
// the path still names the file held open, no change to the list came in between.
class NamesPin {
 public:
  explicit NamesPin(const QString& path)
      : path_(QFile::encodeName(path)), fd_(::open(path_.constData(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0 && ::fstat(fd_, &held_) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~NamesPin() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  NamesPin(const NamesPin&) = delete;
  NamesPin& operator=(const NamesPin&) = delete;

  bool Unchanged() const {
    struct stat now;
    return fd_ >= 0 && ::stat(path_.constData(), &now) == 0 && now.st_dev == held_.st_dev &&
           now.st_ino == held_.st_ino;
  }

 private:
  QByteArray path_;
  int fd_;
  struct stat held_ {};
};

// The reader of the run: loads the three files without the lock, as a browsing workstation
// does, and checks every load strictly.
class Reader {
 public:
  explicit Reader(const QString& dir) : files_(dir) {}

  void Iterate() {
    const NamesPin pin(files_.NamesPath());
    const store::ReadResult names = Load(files_.NamesPath(), namesSeen_);
    const store::ReadResult records = Load(files_.StorePath(), storeSeen_);
    const store::ReadResult secure = Load(files_.SecurePath(), secureSeen_);
    const store::ReadResult namesAgain = Load(files_.NamesPath(), namesSeen_);
    ++iterations_;

    const reliability::ListCheck list = CheckList(names, "names.qdx");
    CheckList(secure, "secure.qdx");
    if (records.status != store::ReadStatus::Ok)
      return;
    const reliability::StoreCheck strict =
        reliability::CheckStoreFile(records.bytes, stress::IsStressKey);
    if (!strict.error.isEmpty())
      return Violation(QStringLiteral("adresse.qdx: ") + strict.error);
    QHash<QByteArray, const reliability::StoreSection*> sections;
    for (const reliability::StoreSection& s : strict.sections) {
      const QByteArray folded = store::FoldCase(store::ToCp1252(s.name));
      if (sections.contains(folded))
        Violation(QStringLiteral("adresse.qdx: section twice: ") + s.name);
      sections.insert(folded, &s);
    }
    // Saving writes the record store before the name index, and a purge erases only sections
    // of keys that are not listed: a key listed all the while the store was read has its
    // section in what was read. The program's own reader must find the same values. Equal
    // bytes before and after are not enough: in between, a key can be deleted, purged and
    // saved anew, and the list read again is byte for byte the one read first.
    if (names.status != store::ReadStatus::Ok || namesAgain.status != store::ReadStatus::Ok ||
        names.bytes != namesAgain.bytes || !list.error.isEmpty() || !pin.Unchanged()) {
      return;
    }
    ++crossChecked_;
    const store::RecordStore snapshot(records.bytes);
    for (const QString& key : list.keys) {
      const auto* section = sections.value(store::FoldCase(store::ToCp1252(key)));
      if (!section) {
        Violation(QStringLiteral("listed key without section: ") + key);
        continue;
      }
      const store::RecordValues values = snapshot.Record(key);
      for (int k = 0; k < store::kFieldCount; ++k) {
        if (values[store::StoreOrder()[k]] != section->values[k]) {
          Violation(QStringLiteral("record store reader disagrees on ") + key);
          break;
        }
      }
    }
  }

  QByteArray Report() const {
    QByteArray text = "iterations " + QByteArray::number(iterations_) + "\ncross_checked " +
                      QByteArray::number(crossChecked_) + "\nviolations " +
                      QByteArray::number(violationCount_) + '\n';
    for (const QString& v : violations_)
      text += v.toUtf8() + '\n';
    return text;
  }

 private:
  store::ReadResult Load(const QString& path, bool& seen) {
    store::ReadResult read = store::ReadWholeFile(path);
    if (read.status == store::ReadStatus::Ok)
      seen = true;
    else if (seen)  // a rename never leaves a gap, so a file once there stays readable
      Violation(QStringLiteral("read failed or file vanished: ") + path);
    // Before its first write a file can be missing when opened and there a moment later.
    return read;
  }

  reliability::ListCheck CheckList(const store::ReadResult& read, const char* name) {
    if (read.status != store::ReadStatus::Ok)
      return {{}, QStringLiteral("not read")};
    reliability::ListCheck check = reliability::CheckListFile(read.bytes, stress::IsStressKey);
    if (!check.error.isEmpty()) {
      Violation(QLatin1String(name) + QStringLiteral(": ") + check.error);
      return check;
    }
    QSet<QByteArray> seen;
    for (const QString& key : check.keys) {
      const QByteArray folded = store::FoldCase(store::ToCp1252(key));
      if (seen.contains(folded))
        Violation(QLatin1String(name) + QStringLiteral(": key twice: ") + key);
      seen.insert(folded);
    }
    return check;
  }

  void Violation(const QString& text) {
    ++violationCount_;
    if (violations_.size() < 50)
      violations_.append(text);
  }

  store::DataFiles files_;
  bool namesSeen_ = false, storeSeen_ = false, secureSeen_ = false;
  qint64 iterations_ = 0, crossChecked_ = 0, violationCount_ = 0;
  QStringList violations_;
};

int Read(const QStringList& args) {
  if (args.size() != 5)
    return 2;
  Reader reader(args[2]);
  while (!QFileInfo::exists(args[3]))
    reader.Iterate();
  QFile report(args[4]);
  if (!report.open(QIODevice::WriteOnly) || report.write(reader.Report()) < 0)
    return 2;
  return 0;
}

bool DropRootRights() {
  const gid_t nobodyGroup = 65534;
  const uid_t nobody = 65534;
  return setgroups(0, nullptr) == 0 && setgid(nobodyGroup) == 0 && setuid(nobody) == 0 &&
         geteuid() == nobody;
}

int RunCommand(QStringList args) {
  if (args.size() > 2 && args[2] == QLatin1String("--as-nobody")) {
    if (!DropRootRights()) {
      std::printf("cannot drop rights\n");
      return 4;
    }
    args.removeAt(2);
  }
  if (args.size() != 5)
    return 2;
  store::DataFiles files(args[2]);
  files.SetLockTimeouts(200, 60000);
  if (const int dieAt = qEnvironmentVariableIntValue("STRESS_DRIVER_DIE_AT"); dieAt > 0) {
    // The hook is copied for every question; the count lives outside it.
    static std::atomic<int> asked{0};
    store::SetFaultHook([dieAt](store::FileOp, const QString&) {
      if (++asked == dieAt)
        ::kill(::getpid(), SIGKILL);
      return false;
    });
  }
  const QString& command = args[3];
  const QString& key = args[4];
  try {
    if (command == QLatin1String("save"))
      files.SaveRecord(key, stress::Values(key, QStringLiteral("v1")));
    else if (command == QLatin1String("remove"))
      files.RemoveFromNames(key);
    else if (command == QLatin1String("add"))
      files.AddToNames(key);
    else if (command == QLatin1String("delete"))
      files.DeleteRecord(key);
    else if (command == QLatin1String("restore"))
      files.RestoreRecords({key});
    else if (command == QLatin1String("purge"))
      files.PurgeRecords({key});
    else if (command == QLatin1String("relist"))
      files.RelistOrphans({key});
    else if (command == QLatin1String("import"))
      files.ImportRecords({{key, stress::Values(key, QStringLiteral("v1"))},
                           {key + QLatin1Char('x'), stress::Values(key, QStringLiteral("v2"))}});
    else
      return 2;
  } catch (const store::UserError& e) {
    std::printf("%s\n", e.what());
    return 1;
  }
  std::printf("ok\n");
  return 0;
}

int HoldLock(const QStringList& args) {
  if (args.size() != 3)
    return 2;
  QLockFile lock(args[2]);
  if (!lock.tryLock(5000))
    return 1;
  std::printf("locked\n");
  std::fflush(stdout);
  for (;;)
    QThread::sleep(3600);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString mode = args.value(1);
  if (mode == QLatin1String("work"))
    return Work(args);
  if (mode == QLatin1String("read"))
    return Read(args);
  if (mode == QLatin1String("run"))
    return RunCommand(args);
  if (mode == QLatin1String("holdlock"))
    return HoldLock(args);
  return 2;
}
