// The program side of the power-cut harness (see run.sh beside it).
//
//   powercut_driver setup <dir> <records>
//       Makes an address book of that many records, some of them deleted, some orphaned
//       (none of either with POWERCUT_PLAIN=1).
//   powercut_driver run <dir> <command> <outdir>
//       Calls crashpoint_arm() of the preloaded crash-point library, then runs one command
//       through the store's calls: save-new, edit-same, edit-rename, delete, restore, purge,
//       orphans, import, export-csv, export-vcard, report (the last three write into <outdir>),
//       settings (the window placement's settings file, for an strace of it).
//       Prints "done <count>" with the number of counted calls when it was not killed.
//   powercut_driver check <template> <dir> <command> <outdir>
//       After a crash: reads <dir> (and <outdir>) as the program does and compares it with
//       the address book <template> as it was before the command. Prints every finding and
//       exits 1 if there is one.
//   powercut_driver next <dir>
//       The next change after the crash: it must take the lock, save, and remove leftovers
//       older than ten minutes. Exits 1 on a finding.
#include <dlfcn.h>
#include <sys/stat.h>
#include <utime.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QSet>
#include <QSettings>
#include <cstdio>

#include "mainwindow/csvexport.h"
#include "mainwindow/vcardwrite.h"
#include "placement/regini.h"
#include "reports/grid.h"
#include "reports/reportfiles.h"
#include "reports/textlines.h"
#include "store/addressbook.h"
#include "store/datafiles.h"
#include "store/fileio.h"
#include "store/listfile.h"
#include "store/recordkey.h"
#include "store/usererror.h"
#include "tests/reliability/datacheck.h"

namespace {

using store::RecordValues;

int findings = 0;
void Finding(const QString& text) {
  ++findings;
  std::printf("FINDING %s\n", qPrintable(text));
}

RecordValues Values(const QString& name, const QString& first, int n, const QString& tag) {
  RecordValues v;
  v[store::kVorname] = first;
  v[store::kName] = name;
  v[store::kFirma] = QStringLiteral("Firma %1 %2").arg(n % 37).arg(tag);
  v[store::kKurzzeichen] = QStringLiteral("K%1").arg(n % 100);
  v[store::kPosition] = QStringLiteral("Stelle %1").arg(tag);
  v[store::kStrasse] = QStringLiteral("Hauptstra\u00dfe %1").arg(n);
  v[store::kPLZ] = QStringLiteral("%1").arg(10000 + n);
  v[store::kOrt] = QStringLiteral("K\u00f6ln");
  v[store::kTelefon1] = QStringLiteral("0221 %1").arg(100000 + n);
  v[store::kTelefon2] = QStringLiteral("0171 %1").arg(200000 + n);
  v[store::kFax] = QStringLiteral("0221 %1").arg(300000 + n);
  for (int f = store::kFax + 1; f < store::kFieldCount; ++f)
    v[f] = QStringLiteral("%1-%2").arg(f).arg(tag);
  return v;
}

std::vector<store::NewRecord> Records(const QString& prefix, int from, int count,
                                      const QString& tag) {
  std::vector<store::NewRecord> records;
  for (int i = from; i < from + count; ++i) {
    const QString name = QStringLiteral("%1%2").arg(prefix).arg(i, 5, 10, QLatin1Char('0'));
    const QString first = QStringLiteral("Vorname%1").arg(i % 13);
    records.push_back({store::FormRecordKey(name, first), Values(name, first, i, tag)});
  }
  return records;
}

struct PrintingSink : store::MessageSink {
  void ShowMessage(const QString& text) override { std::printf("MESSAGE %s\n", qPrintable(text)); }
};

struct State {
  QStringList names, secure, orphans;
  store::RecordStore records;
  bool ok = true;
};

State Load(const QString& dir, bool strict) {
  State s;
  PrintingSink sink;
  store::AddressBook book(dir);
  const store::LoadResult names = book.ReadNames(sink);
  if (!names.loaded) {
    Finding(QStringLiteral("names.qdx does not load"));
    s.ok = false;
  }
  s.names = names.lines;
  const store::DeletedList deleted = book.LoadDeleted(sink);
  if (!deleted.ok) {
    Finding(QStringLiteral("secure.qdx does not load"));
    s.ok = false;
  }
  s.secure = deleted.keys;
  const store::ReadResult storeRead = store::ReadWholeFile(book.Files().StorePath());
  // A record store that does not exist yet is no fault while no list names a key.
  const bool noneYet =
      storeRead.status == store::ReadStatus::Missing && s.names.isEmpty() && s.secure.isEmpty();
  if (storeRead.status != store::ReadStatus::Ok && !noneYet) {
    Finding(QStringLiteral("adresse.qdx does not read"));
    s.ok = false;
  }
  s.records = store::RecordStore(storeRead.bytes);
  try {
    s.orphans = book.Files().OrphanedKeys();
  } catch (const store::UserError& e) {
    Finding(QStringLiteral("orphan list fails: ") + e.message());
  }
  if (strict) {
    auto isKey = [](const QString& k) { return !k.isEmpty(); };
    for (const QString& file : {QStringLiteral("names.qdx"), QStringLiteral("secure.qdx")}) {
      const store::ReadResult r = store::ReadWholeFile(QDir(dir).filePath(file));
      if (r.status == store::ReadStatus::Ok && !r.bytes.isEmpty()) {
        const auto check = reliability::CheckListFile(r.bytes, isKey);
        if (!check.error.isEmpty())
          Finding(file + QStringLiteral(" malformed: ") + check.error);
      }
    }
    if (!storeRead.bytes.isEmpty()) {
      const auto check = reliability::CheckStoreFile(storeRead.bytes, isKey);
      if (!check.error.isEmpty())
        Finding(QStringLiteral("adresse.qdx malformed: ") + check.error);
    }
  }
  return s;
}

QString Fold(const QString& k) {
  return k.trimmed().toCaseFolded();
}

QStringList LiveKeys(const QString& dir) {
  PrintingSink sink;
  return store::AddressBook(dir).ReadNames(sink).lines;
}

// What each command works on, chosen from the address book before it.
struct Plan {
  QString editKey, renameKey, deleteKey, newKey;
  RecordValues newValues;
  QStringList restoreKeys, purgeKeys, orphanKeys;
  std::vector<store::NewRecord> imports;
};

Plan MakePlan(const State& before) {
  Plan p;
  // Keys from inside the list, also for a small book.
  p.editKey = before.names.value(before.names.size() / 3);
  p.deleteKey = before.names.value(2 * before.names.size() / 3);
  p.newKey = store::FormRecordKey(QStringLiteral("Neumann"), QStringLiteral("Paula"));
  p.renameKey = store::FormRecordKey(QStringLiteral("Umbenannt"), QStringLiteral("Erika"));
  p.newValues = Values(QStringLiteral("Neumann"), QStringLiteral("Paula"), 4711, "neu");
  p.restoreKeys = before.secure.mid(0, 3);
  p.purgeKeys = before.secure;
  p.orphanKeys = before.orphans;
  p.imports = Records(QStringLiteral("Import"), 0, 50, QStringLiteral("imp"));
  return p;
}

RecordValues EditedValues(const Plan& p, bool rename) {
  const QStringList parts = p.editKey.split(QLatin1Char(','));
  return rename ? Values(QStringLiteral("Umbenannt"), QStringLiteral("Erika"), 99, "umb")
                : Values(parts.value(0), parts.value(1), 98, "bearb");
}

QByteArray ExportBytes(const State& s, bool vcard) {
  return vcard ? mainwindow::ExportVCards(s.records, s.names)
               : mainwindow::ExportCsv(s.records, s.names);
}

reports::Grid ReportGrid() {
  reports::Grid grid = reports::Grid::Sized(4, 60, 1, 1);
  for (int r = 0; r < 60; ++r)
    for (int c = 0; c < 4; ++c)
      grid.SetCell(c, r, QStringLiteral("Zelle %1/%2").arg(c).arg(r));
  return grid;
}

reports::TextLines ReportLines() {
  QStringList lines;
  for (int i = 0; i < 40; ++i)
    lines.append(QStringLiteral("Zeile %1 des Berichts").arg(i));
  return reports::TextLines::FromList(lines);
}

int Setup(const QString& dir, int count) {
  QDir().mkpath(dir);
  QFile names(QDir(dir).filePath(QStringLiteral("names.qdx")));
  names.open(QIODevice::WriteOnly);
  names.close();
  store::DataFiles files(dir);
  files.ImportRecords(Records(QStringLiteral("Person"), 0, count, QStringLiteral("alt")));
  // POWERCUT_PLAIN=1: no deleted records and no orphans, so a delete makes secure.qdx first
  // (and with no records at all a save makes adresse.qdx first).
  if (qEnvironmentVariableIsSet("POWERCUT_PLAIN"))
    return 0;
  const QStringList live = LiveKeys(dir);
  for (int i = 0; i < 8; ++i)
    files.DeleteRecord(live.value(live.size() - 1 - i * 3));
  for (int i = 0; i < 4; ++i)
    files.RemoveFromNames(live.value(live.size() - 2 - i * 3));
  return 0;
}

int Run(const QString& dir, const QString& command, const QString& outdir) {
  const State before = Load(dir, false);
  const Plan p = MakePlan(before);
  store::DataFiles files(dir);
  PrintingSink sink;
  using Arm = void (*)();
  using Count = long (*)();
  const auto arm = reinterpret_cast<Arm>(dlsym(RTLD_DEFAULT, "crashpoint_arm"));
  const auto count = reinterpret_cast<Count>(dlsym(RTLD_DEFAULT, "crashpoint_count"));
  // Everything the command needs that is not a file change is made before arming.
  const QByteArray exportCsv = ExportBytes(before, false);
  const QByteArray exportVcard = ExportBytes(before, true);
  const reports::Grid grid = ReportGrid();
  const reports::TextLines lines = ReportLines();
  const QFont font(QStringLiteral("Arial"), 10);
  if (arm)
    arm();
  try {
    if (command == QLatin1String("save-new")) {
      const QString none;
      files.SaveRecord(p.newKey, p.newValues, &none);
    } else if (command == QLatin1String("edit-same") || command == QLatin1String("edit-rename")) {
      const bool rename = command == QLatin1String("edit-rename");
      files.RemoveFromNames(p.editKey);
      files.SaveRecord(rename ? p.renameKey : p.editKey, EditedValues(p, rename), &p.editKey);
    } else if (command == QLatin1String("delete")) {
      files.DeleteRecord(p.deleteKey);
    } else if (command == QLatin1String("restore")) {
      files.RestoreRecords(p.restoreKeys);
    } else if (command == QLatin1String("purge")) {
      files.PurgeRecords(p.purgeKeys);
    } else if (command == QLatin1String("orphans")) {
      files.RelistOrphans(p.orphanKeys);
    } else if (command == QLatin1String("import")) {
      files.ImportRecords(p.imports);
    } else if (command == QLatin1String("export-csv") || command == QLatin1String("export-vcard")) {
      const QString target = QDir(outdir).filePath(command == QLatin1String("export-csv")
                                                       ? QStringLiteral("adressen.csv")
                                                       : QStringLiteral("adressen.vcf"));
      store::RemoveStaleTemporaries({target});
      if (!store::WriteFileAtomic(target,
                                  command == QLatin1String("export-csv") ? exportCsv : exportVcard))
        throw store::UserError(QStringLiteral("export failed"));
    } else if (command == QLatin1String("settings")) {
      auto key = placement::OpenNativeKey(placement::THKEY::CurrentUser, QStringLiteral("Probe"),
                                          QStringLiteral("Powercut"));
      key->setValue(QStringLiteral("Left"), 10);
      key->sync();
    } else if (command == QLatin1String("report")) {
      if (reports::WriteReportFiles(QDir(outdir).filePath(QStringLiteral("bericht.rtf")), grid,
                                    lines, font) != reports::ReportWrite::Saved)
        throw store::UserError(QStringLiteral("report failed"));
    } else {
      std::fprintf(stderr, "unknown command\n");
      return 2;
    }
  } catch (const store::UserError& e) {
    std::printf("error %s\n", qPrintable(e.message()));
    return 1;
  }
  std::printf("done %ld\n", count ? count() : -1L);
  return 0;
}

bool Same(const store::RecordStore& a, const store::RecordStore& b, const QString& key) {
  return a.Record(key) == b.Record(key);
}

int Check(const QString& templ, const QString& dir, const QString& command, const QString& outdir) {
  const State before = Load(templ, false);
  const Plan p = MakePlan(before);
  const State after = Load(dir, true);
  if (!after.ok)
    return 1;
  QSet<QString> live, deleted, orphans;
  for (const QString& k : after.names)
    live.insert(Fold(k));
  for (const QString& k : after.secure)
    deleted.insert(Fold(k));
  for (const QString& k : after.orphans)
    orphans.insert(Fold(k));
  auto somewhere = [&](const QString& k) {
    const QString f = Fold(k);
    return live.contains(f) || deleted.contains(f) || orphans.contains(f);
  };
  // Every listed key reads whole.
  for (const QStringList* list : {&after.names, &after.secure}) {
    for (const QString& k : *list) {
      if (!after.records.HasSection(k))
        Finding(QStringLiteral("%1 lists %2 without a section")
                    .arg(list == &after.names ? "names.qdx" : "secure.qdx", k));
    }
  }
  const bool edit = command.startsWith(QLatin1String("edit-"));
  const bool rename = command == QLatin1String("edit-rename");
  QStringList old = before.names + before.secure + before.orphans;
  for (const QString& k : old) {
    const bool purged = command == QLatin1String("purge") && p.purgeKeys.contains(k);
    if (purged && !after.records.HasSection(k) && !somewhere(k))
      continue;
    if (!somewhere(k)) {
      Finding(QStringLiteral("%1 is listed nowhere and no orphan").arg(k));
      continue;
    }
    if (purged && !after.records.HasSection(k))
      continue;  // reported above as a listed key without a section
    if (edit && k == p.editKey && !rename && after.records.Record(k) == EditedValues(p, false))
      continue;
    if (!Same(before.records, after.records, k))
      Finding(QStringLiteral("%1 reads other values than before").arg(k));
  }
  // The new records: whole or absent.
  auto newRecord = [&](const QString& k, const RecordValues& v) {
    if (!after.records.HasSection(k)) {
      if (live.contains(Fold(k)))
        Finding(QStringLiteral("new %1 listed without a section").arg(k));
      return false;
    }
    if (after.records.Record(k) != v)
      Finding(QStringLiteral("new %1 is not whole").arg(k));
    if (!somewhere(k))
      Finding(QStringLiteral("new %1 has a section but is no orphan").arg(k));
    return live.contains(Fold(k));
  };
  if (command == QLatin1String("save-new"))
    newRecord(p.newKey, p.newValues);
  if (rename)
    newRecord(p.renameKey, EditedValues(p, true));
  if (command == QLatin1String("import")) {
    int listed = 0;
    int sections = 0;
    for (const auto& r : p.imports) {
      sections += after.records.HasSection(r.key) ? 1 : 0;
      listed += newRecord(r.key, r.values) ? 1 : 0;
    }
    if (listed != 0 && listed != int(p.imports.size()))
      Finding(QStringLiteral("import listed %1 of %2").arg(listed).arg(p.imports.size()));
    if (sections != 0 && sections != int(p.imports.size()))
      Finding(QStringLiteral("import wrote %1 of %2 sections").arg(sections).arg(p.imports.size()));
  }
  // Files written outside the data directory: absent or whole.
  auto wholeOrAbsent = [&](const QString& name, const QByteArray& expected) {
    const store::ReadResult r = store::ReadWholeFile(QDir(outdir).filePath(name));
    if (r.status == store::ReadStatus::Missing)
      return 0;
    if (r.status != store::ReadStatus::Ok || r.bytes != expected) {
      Finding(QStringLiteral("%1 is neither absent nor whole (%2 of %3 bytes)")
                  .arg(name)
                  .arg(r.bytes.size())
                  .arg(expected.size()));
      return -1;
    }
    return 1;
  };
  if (command == QLatin1String("export-csv"))
    wholeOrAbsent(QStringLiteral("adressen.csv"), ExportBytes(before, false));
  if (command == QLatin1String("export-vcard"))
    wholeOrAbsent(QStringLiteral("adressen.vcf"), ExportBytes(before, true));
  if (command == QLatin1String("report")) {
    // The expected pair, as a save into an empty directory makes it.
    const QString scratch = QDir(outdir).filePath(QStringLiteral("../expected-report"));
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    reports::WriteReportFiles(QDir(scratch).filePath(QStringLiteral("bericht.rtf")), ReportGrid(),
                              ReportLines(), QFont(QStringLiteral("Arial"), 10));
    int pair = 0;
    for (const QFileInfo& f : QDir(scratch).entryInfoList(QDir::Files)) {
      QFile file(f.absoluteFilePath());
      file.open(QIODevice::ReadOnly);
      pair += wholeOrAbsent(f.fileName(), file.readAll()) == 1 ? 1 : 0;
    }
    if (pair == 1)
      std::printf("NOTE report: one file of the pair written\n");
  }
  return findings ? 1 : 0;
}

int Next(const QString& dir) {
  store::DataFiles files(dir);
  files.SetLockTimeouts(5000, 30000);
  const QString key = store::FormRecordKey(QStringLiteral("Nachher"), QStringLiteral("Probe"));
  const RecordValues values = Values(QStringLiteral("Nachher"), QStringLiteral("Probe"), 1, "n");
  const QString lockPath = files.LockPath();
  for (int attempt = 0;; ++attempt) {
    try {
      const QString none;
      if (files.SaveRecord(key, values, &none) != store::DataFiles::SaveOutcome::Saved)
        Finding(QStringLiteral("next save refused"));
      break;
    } catch (const store::UserError& e) {
      // A lock file that its holder made but died before it wrote its name into: no one can
      // tell it is dead, so it is taken over once it is as old as the stale time.
      if (attempt == 0 && QFileInfo(lockPath).size() == 0 && QFileInfo::exists(lockPath)) {
        std::printf("NOTE empty lock file: taken over only after the stale time\n");
        struct utimbuf old {};
        old.actime = old.modtime = time(nullptr) - 31;
        utime(QFile::encodeName(lockPath).constData(), &old);
        continue;
      }
      Finding(QStringLiteral("next save fails: ") + e.message());
      return 1;
    }
  }
  const State s = Load(dir, true);
  if (!s.names.contains(key) || s.records.Record(key) != values)
    Finding(QStringLiteral("next save not whole"));
  // Leftovers age; the change after next removes them.
  const QFileInfoList temporaries =
      QDir(dir).entryInfoList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
  for (const QFileInfo& f : temporaries) {
    struct utimbuf old {};
    old.actime = old.modtime = time(nullptr) - 11 * 60;
    utime(QFile::encodeName(f.absoluteFilePath()).constData(), &old);
  }
  try {
    files.AddToNames(key);
  } catch (const store::UserError& e) {
    Finding(QStringLiteral("change after next fails: ") + e.message());
  }
  for (const QFileInfo& f :
       QDir(dir).entryInfoList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden))
    Finding(QStringLiteral("leftover not removed: ") + f.fileName());
  if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral(".adressbuch.lock"))))
    Finding(QStringLiteral("lock file stays after the change"));
  return findings ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString verb = args.value(1);
  if (verb == QLatin1String("setup"))
    return Setup(args.value(2), args.value(3).toInt());
  if (verb == QLatin1String("run"))
    return Run(args.value(2), args.value(3), args.value(4));
  if (verb == QLatin1String("check"))
    return Check(args.value(2), args.value(3), args.value(4), args.value(5));
  if (verb == QLatin1String("next"))
    return Next(args.value(2));
  std::fprintf(stderr, "usage: see the top of powercut_driver.cpp\n");
  return 2;
}
