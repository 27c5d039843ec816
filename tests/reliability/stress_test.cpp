// Eight workstations change one data directory at once while a ninth only reads it.
//
// Each workstation is a separate process (reliability_stress_driver work) that runs 300
// random changes through the store functions the windows use. What keeps the end state
// checkable is ownership (see stressmodel.h): a workstation's own keys are moved only by
// itself, so the state it last saw is the state on disk, except that a key it saw deleted may
// have been purged by another workstation since; and of the shared keys that all of them race
// to create, in spellings that differ only in letter case, exactly one spelling may win each.
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <iostream>
#include <memory>
#include <vector>

#include "store/cp1252.h"
#include "tests/reliability/datacheck.h"
#include "tests/reliability/qtprint.h"
#include "tests/reliability/stressmodel.h"

namespace {

constexpr int kOperations = 300;

QByteArray Folded(const QString& key) {
  return store::FoldCase(store::ToCp1252(key));
}

// The files of the data directory, read and written as bytes.
struct Files {
  QString dir;
  QString Path() const { return dir; }
  QByteArray Read(const QString& name) const {
    QFile file(QDir(dir).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void Write(const QString& name, const QByteArray& bytes) const {
    QFile file(QDir(dir).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
};

QString ReadText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The run is repeated with a few fixed seeds: each workstation's seed is the run's plus its
// number, so every run is the same mix of operations, and the interleaving differs.
class ManyWorkstations : public ::testing::TestWithParam<unsigned> {};

TEST_P(ManyWorkstations, eightWritersAndAReader_loseNothingAndNeverShowAHalfFile) {
  const unsigned kSeed = GetParam();
  // The data directory lies in memory where the machine has such a file system: the run is
  // about what the workstations see of each other's changes, and a disk that is busy with other
  // work would only make every flush of a replaced file slow.
  const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                           ? QStringLiteral("/dev/shm/pellumo-stress-XXXXXX")
                           : QString();
  QTemporaryDir dataDir = base.isEmpty() ? QTemporaryDir() : QTemporaryDir(base);
  ASSERT_TRUE(dataDir.isValid());
  const Files data{dataDir.path()};
  data.Write(QStringLiteral("names.qdx"), QByteArray());  // the program needs one to start
  QTemporaryDir control;
  const QString stopFile = control.filePath(QStringLiteral("stop"));
  const QString readerReport = control.filePath(QStringLiteral("reader.txt"));
  const QString startGate = control.filePath(QStringLiteral("go"));
  QElapsedTimer clock;
  clock.start();

  QProcess reader;
  reader.start(QStringLiteral(STRESS_DRIVER),
               {QStringLiteral("read"), data.Path(), stopFile, readerReport});
  ASSERT_TRUE(reader.waitForStarted());

  std::vector<std::unique_ptr<QProcess>> writers;
  for (int p = 0; p < stress::kProcesses; ++p) {
    auto writer = std::make_unique<QProcess>();
    writer->start(QStringLiteral(STRESS_DRIVER),
                  {QStringLiteral("work"), data.Path(), QString::number(p),
                   QString::number(kOperations), QString::number(kSeed + p),
                   control.filePath(QStringLiteral("log%1.txt").arg(p)), startGate});
    ASSERT_TRUE(writer->waitForStarted());
    writers.push_back(std::move(writer));
  }
  // All eight wait at the gate until the last one has started, so they really run together.
  QFile(startGate).open(QIODevice::WriteOnly);
  QHash<QString, int> counts;
  for (int p = 0; p < stress::kProcesses; ++p) {
    QProcess& writer = *writers[p];
    ASSERT_TRUE(writer.waitForFinished(300000)) << "workstation " << p << " did not finish";
    EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(writer.exitCode(), 0) << "workstation " << p << ":\n"
                                    << writer.readAllStandardError().constData();
    for (const QString& pair : QString::fromUtf8(writer.readAllStandardOutput()).split(' ')) {
      const QStringList kv = pair.trimmed().split('=');
      if (kv.size() == 2)
        counts[kv[0]] += kv[1].toInt();
    }
  }
  const qint64 writersMs = clock.elapsed();
  QFile(stopFile).open(QIODevice::WriteOnly);
  ASSERT_TRUE(reader.waitForFinished(60000));
  ASSERT_EQ(reader.exitCode(), 0);

  // The reader never saw a truncated, torn or mixed file.
  const QStringList report = ReadText(readerReport).split('\n');
  ASSERT_GE(report.size(), 3);
  EXPECT_EQ(report[2], QStringLiteral("violations 0")) << ReadText(readerReport).toStdString();
  EXPECT_GT(report[0].section(' ', 1).toLongLong(), 100) << "the reader hardly ran";

  // Every file parses strictly.
  const reliability::ListCheck names =
      reliability::CheckListFile(data.Read(QStringLiteral("names.qdx")), stress::IsStressKey);
  const reliability::ListCheck secure =
      reliability::CheckListFile(data.Read(QStringLiteral("secure.qdx")), stress::IsStressKey);
  const reliability::StoreCheck records =
      reliability::CheckStoreFile(data.Read(QStringLiteral("adresse.qdx")), stress::IsStressKey);
  ASSERT_EQ(names.error, QString());
  ASSERT_EQ(secure.error, QString());
  ASSERT_EQ(records.error, QString());

  QHash<QByteArray, const reliability::StoreSection*> sections;
  for (const reliability::StoreSection& s : records.sections) {
    EXPECT_FALSE(sections.contains(Folded(s.name))) << "section twice: " << s.name.toStdString();
    sections.insert(Folded(s.name), &s);
  }
  QHash<QByteArray, int> listed;  // letter case ignored, as the record store matches sections
  for (const QString& key : names.keys)
    ++listed[Folded(key)];
  QHash<QByteArray, int> deleted;
  for (const QString& key : secure.keys)
    ++deleted[Folded(key)];
  for (const QString& key : names.keys + secure.keys) {
    EXPECT_EQ(listed.value(Folded(key)) + deleted.value(Folded(key)), 1)
        << "listed more than once or in both files: " << key.toStdString();
    EXPECT_TRUE(sections.contains(Folded(key)))
        << "listed without its section: " << key.toStdString();
  }

  auto expectSection = [&](const QString& key, const QString& version) {
    const reliability::StoreSection* s = sections.value(Folded(key));
    ASSERT_NE(s, nullptr) << key.toStdString();
    EXPECT_EQ(s->name, key);
    const store::RecordValues values = stress::Values(key, version);
    for (int k = 0; k < store::kFieldCount; ++k)
      EXPECT_EQ(s->values[k], values[store::StoreOrder()[k]]) << key.toStdString() << " " << k;
  };

  int keysChecked = 0, live = 0, stillDeleted = 0, purgedMeanwhile = 0, gone = 0;
  QSet<QString> accounted;
  QHash<QString, int> winners;  // shared name -> workstations that created it
  for (int p = 0; p < stress::kProcesses; ++p) {
    QFile logFile(control.filePath(QStringLiteral("log%1.txt").arg(p)));
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QList<stress::LogEntry> log = stress::ParseLog(logFile.readAll());
    EXPECT_GE(log.size(), stress::kOwnKeys);
    for (const stress::LogEntry& e : log) {
      ++keysChecked;
      const std::string key = e.key.toStdString();
      switch (e.state) {
        case stress::State::Claimed:
          ++winners[stress::SharedName(e.key)];
          [[fallthrough]];
        case stress::State::Live:
          ++live;
          accounted.insert(e.key);
          EXPECT_EQ(names.keys.count(e.key), 1) << "live key not listed once: " << key;
          EXPECT_EQ(deleted.value(Folded(e.key)), 0) << "live key also deleted: " << key;
          expectSection(e.key, e.version);
          break;
        case stress::State::Deleted:
          accounted.insert(e.key);
          EXPECT_EQ(listed.value(Folded(e.key)), 0) << "deleted key listed: " << key;
          if (secure.keys.count(e.key) == 1) {
            ++stillDeleted;
            expectSection(e.key, e.version);
          } else {
            // Purged by another workstation after this one deleted it: gone completely.
            ++purgedMeanwhile;
            EXPECT_EQ(deleted.value(Folded(e.key)), 0) << key;
            EXPECT_FALSE(sections.contains(Folded(e.key))) << "purged but kept: " << key;
          }
          break;
        case stress::State::Gone:
          ++gone;
          EXPECT_EQ(listed.value(Folded(e.key)), 0) << "gone key listed: " << key;
          EXPECT_EQ(deleted.value(Folded(e.key)), 0) << "gone key deleted: " << key;
          break;
      }
    }
  }
  // One winner at most for each shared record, and exactly its spelling is listed.
  QHash<QString, int> sharedListed;
  for (const QString& key : names.keys) {
    if (!stress::SharedName(key).isEmpty())
      ++sharedListed[stress::SharedName(key)];
  }
  for (auto it = winners.begin(); it != winners.end(); ++it)
    EXPECT_EQ(it.value(), 1) << "created by several workstations: " << it.key().toStdString();
  EXPECT_EQ(sharedListed, winners);
  // Nothing is listed that no workstation accounts for (no key came back from the dead).
  for (const QString& key : names.keys + secure.keys)
    EXPECT_TRUE(accounted.contains(key)) << "listed but unaccounted for: " << key.toStdString();

  int operations = 0;
  for (const char* op : {"save_new", "edit_start", "delete", "restore", "purge", "claim", "read"})
    operations += counts.value(op);
  EXPECT_EQ(operations, stress::kProcesses * kOperations);
  EXPECT_GT(counts.value("purge"), 0);
  EXPECT_GT(counts.value("restore_found_purged") + purgedMeanwhile, 0)
      << "no purge ever reached another workstation's key: too little contention";

  std::cout << "[ stress ] " << operations << " operations by " << stress::kProcesses
            << " workstations in " << writersMs << " ms; counts:";
  for (auto it = counts.begin(); it != counts.end(); ++it)
    std::cout << ' ' << it.key().toStdString() << '=' << it.value();
  std::cout << "\n[ stress ] keys checked " << keysChecked << " (live " << live
            << ", still deleted " << stillDeleted << ", purged by another " << purgedMeanwhile
            << ", gone " << gone << "), " << names.keys.size() + secure.keys.size()
            << " listed keys and " << records.sections.size()
            << " sections checked; reader: " << report[0].toStdString() << ", "
            << report[1].toStdString() << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Seeds, ManyWorkstations, ::testing::Values(20240611u, 7u, 4242u));

}  // namespace
