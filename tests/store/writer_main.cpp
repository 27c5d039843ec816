// A second workstation for the tests: changes the data directory given on the command line,
// many times in a row, while the test process changes it too.
//   store_test_writer <dir> <prefix> <count>
// saves <count> records "<prefix><i>,Test" and deletes every third of them again.
#include <QCoreApplication>
#include <cstdio>

#include "store/datafiles.h"
#include "store/usererror.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 4)
    return 2;
  store::DataFiles files(args[1]);
  files.SetLockTimeouts(20000, 60000);
  const int count = args[3].toInt();
  try {
    for (int i = 0; i < count; ++i) {
      const QString key = args[2] + QString::number(i) + QStringLiteral(",Test");
      store::RecordValues values;
      values[store::kName] = args[2] + QString::number(i);
      values[store::kVorname] = QStringLiteral("Test");
      if (files.SaveRecord(key, values) != store::DataFiles::SaveOutcome::Saved)
        return 3;
      if (i % 3 == 2)
        files.DeleteRecord(key);
    }
  } catch (const store::UserError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
