#include <gtest/gtest.h>
#include <QDir>

#include "store/fileio.h"
#include "store/listfile.h"
#include "store/sharedaccess.h"
#include "tests/support/scripteddialogs.h"

namespace {

// The demo address book the run command starts with: listed keys stand sorted and have their
// records, the two soft-deleted ones keep their sections, and every byte is CR LF text.
TEST(DemoData, isSortedConsistentAndCrLf) {
  const QDir demo(QStringLiteral(DEMO_DIR));
  testsupport::RecordingSink sink;
  const QByteArray names = store::ReadWholeFile(demo.filePath("names.qdx")).bytes;
  const QStringList live = store::DecodeListFile(names);
  EXPECT_EQ(store::LoadSortedList(demo.filePath("names.qdx"), sink).lines, live);
  const QStringList deleted =
      store::DecodeListFile(store::ReadWholeFile(demo.filePath("secure.qdx")).bytes);
  EXPECT_EQ(deleted.size(), 2);
  const store::RecordStore rs = store::OpenRecordStore(demo.path(), sink);
  EXPECT_EQ(live.size() + deleted.size(), rs.Bytes().count('['));
  int withExtension = 0;
  for (const QString& key : live + deleted) {
    const store::RecordValues values = rs.Record(key);
    for (const QString& value : values)
      EXPECT_NE(value, "Error") << key.toStdString();
    withExtension += !values[store::kIRuf].isEmpty();
  }
  EXPECT_GE(withExtension, 9);
  for (const QByteArray& bytes : {names, rs.Bytes()}) {
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\r'));
  }
  EXPECT_TRUE(sink.texts.isEmpty());
}

}  // namespace
