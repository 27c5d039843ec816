// Report files from anywhere: random bytes over the characters that matter to the readers
// must neither crash nor read past the input nor make the grid grow beyond what it holds.
#include <gtest/gtest.h>
#include <QRandomGenerator>

#include "reports/companion.h"
#include "reports/rtf.h"

namespace {

QByteArray RandomText(QRandomGenerator& random, const char* alphabet, int maxLength) {
  const int alphabetSize = int(qstrlen(alphabet));
  QByteArray text(random.bounded(maxLength), Qt::Uninitialized);
  for (char& c : text)
    c = alphabet[random.bounded(alphabetSize)];
  return text;
}

}  // namespace

TEST(HostileInput, randomRtf_readsWithoutCrashing) {
  QRandomGenerator random(4711);
  for (int i = 0; i < 3000; ++i) {
    const QByteArray bytes =
        "{\\rtf1" + RandomText(random, "{}\\\\'*uctbinparline09-afAZ \r\n\x80\xe4?", 200);
    const QStringList lines = reports::ReadRtfLines(bytes);
    qsizetype characters = 0;
    for (const QString& line : lines)
      characters += line.size();
    EXPECT_LE(characters, bytes.size());
  }
}

TEST(HostileInput, randomCompanion_gridBoundedByWhatTheFileHolds) {
  QRandomGenerator random(815);
  for (int i = 0; i < 3000; ++i) {
    const QByteArray bytes = RandomText(random, "[]xXcolrw=0123456789 -\r\n;\"", 300) +
                             "[xxx]\r\ncol=" + QByteArray::number(random.bounded(100)) +
                             "\r\nrow=" + QByteArray::number(random.bounded(1000000)) + "\r\n";
    const reports::Grid grid = reports::ReadCompanion(bytes);
    ASSERT_GE(grid.columnCount, 1);
    ASSERT_LE(grid.columnCount, reports::kMaxGridColumns);
    ASSERT_GE(grid.rowCount, 1);
    ASSERT_LE(grid.rowCount, std::max<qsizetype>(1, bytes.count('=')));
    ASSERT_EQ(grid.CellCount(), qsizetype(grid.columnCount) * grid.rowCount);
  }
}
