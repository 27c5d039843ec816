#include "reports/companion.h"

#include <gtest/gtest.h>

#include "store/profiletext.h"

using reports::CompanionName;
using reports::Grid;
using reports::ReadCompanion;
using reports::WriteCompanion;

namespace {

// Two fields, three records: 3 columns by 4 rows.
Grid SmallReport() {
  Grid grid = Grid::Sized(3, 4, 1, 1);
  const char* cells[4][3] = {{"", "Name", "Ort"},
                             {"1", "Beck", "Berlin"},
                             {"2", "M\xc3\xbcller", "K\xc3\xb6ln"},
                             {"3", "Zander", "Error"}};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c)
      grid.SetCell(c, r, QString::fromUtf8(cells[r][c]));
  }
  return grid;
}

// What the profile service makes of the same writes, key by key.
QByteArray ProfileServiceWrites(const QByteArray& existing, const Grid& grid) {
  store::ProfileText profile(existing);
  for (int c = 0; c < grid.columnCount; ++c) {
    for (int r = 0; r < grid.rowCount; ++r) {
      profile.Write(QString::number(c), QString::number(r), grid.Cell(c, r));
    }
  }
  profile.Write(u"xxx", u"col", QString::number(grid.columnCount));
  profile.Write(u"xxx", u"row", QString::number(grid.rowCount));
  return profile.Bytes();
}

}  // namespace

TEST(CompanionName, replacesExtensionOfFileNamePartOnly) {
  EXPECT_EQ(CompanionName("/tmp/bericht.txt"), "/tmp/bericht.sgr");
  EXPECT_EQ(CompanionName("/tmp/bericht.2024.txt"), "/tmp/bericht.2024.sgr");
  EXPECT_EQ(CompanionName("/tmp/ordner.x/bericht"), "/tmp/ordner.x/bericht.sgr");
  EXPECT_EQ(CompanionName("C:\\ordner.x\\bericht"), "C:\\ordner.x\\bericht.sgr");
}

TEST(WriteCompanion, resetGrid_newFile_exactBytes) {
  EXPECT_EQ(WriteCompanion({}, Grid::Reset()),
            QByteArray("[0]\r\n0=\r\n1=\r\n[1]\r\n0=\r\n1=\r\n[xxx]\r\ncol=2\r\nrow=2\r\n"));
}

TEST(WriteCompanion, twoFieldsThreeRecords_newFile_exactBytes) {
  EXPECT_EQ(WriteCompanion({}, SmallReport()),
            QByteArray("[0]\r\n0=\r\n1=1\r\n2=2\r\n3=3\r\n"
                       "[1]\r\n0=Name\r\n1=Beck\r\n2=M\xfcller\r\n3=Zander\r\n"
                       "[2]\r\n0=Ort\r\n1=Berlin\r\n2=K\xf6ln\r\n3=Error\r\n"
                       "[xxx]\r\ncol=3\r\nrow=4\r\n"));
}

TEST(WriteCompanion, overLargerReport_keepsItsExtraSectionsAndKeys) {
  const QByteArray larger = WriteCompanion({}, SmallReport());
  const QByteArray bytes = WriteCompanion(larger, Grid::Reset());
  EXPECT_EQ(bytes, QByteArray("[0]\r\n0=\r\n1=\r\n2=2\r\n3=3\r\n"
                              "[1]\r\n0=\r\n1=\r\n2=M\xfcller\r\n3=Zander\r\n"
                              "[2]\r\n0=Ort\r\n1=Berlin\r\n2=K\xf6ln\r\n3=Error\r\n"
                              "[xxx]\r\ncol=2\r\nrow=2\r\n"));
  EXPECT_EQ(ReadCompanion(bytes), Grid::Reset());
}

TEST(WriteCompanion, sameBytesAsProfileServiceKeyByKey_onOddExistingFiles) {
  const QByteArray existing[] = {
      "",
      "[Andere]\r\na=1",
      "[XXX]\r\nCOL = 9\r\n\r\n[ 1 ]\r\n 0 = alt\r\n;kommentar\r\n0=zweimal\r\n\r\n\r\n[9]\r\n",
      "[0]\n1=x\n\n[2]\r3=y\r[xxx]\r\nrow=100",
      "vorspann ohne Abschnitt\r\n[1]\r\n",
      "[2]\r\n0=a\r\n; ende ohne Zeilenende",
      "[xxx]\r\nrow=9\r\n[1]\r\n0=b\r\n[0]\r\n[1]\r\n0=zweiter Abschnitt\r\n[Rest]\r\nx=1",
      "  [ 0 ]  \r\n\r\n",
      "[1]\r\n01=x\r\n+1=y\r\n 1 =z\r\n1=zweite\r\n9=hinter\r\n[XxX]\r\nCoL=1",
  };
  for (const QByteArray& bytes : existing) {
    EXPECT_EQ(WriteCompanion(bytes, SmallReport()), ProfileServiceWrites(bytes, SmallReport()))
        << bytes.constData();
    EXPECT_EQ(WriteCompanion(bytes, Grid::Reset()), ProfileServiceWrites(bytes, Grid::Reset()))
        << bytes.constData();
  }
}

TEST(WriteCompanion, lineBreakInCell_cannotSplitTheLine) {
  Grid grid = Grid::Reset();
  grid.SetCell(1, 1, "a\r\n[xxx]");
  const QByteArray bytes = WriteCompanion({}, grid);
  EXPECT_TRUE(bytes.contains("\r\n1=a  [xxx]\r\n"));
  EXPECT_EQ(ReadCompanion(bytes).Cell(1, 1), "a  [xxx]");
}

TEST(ReadCompanion, savedReport_readsBackEveryCell) {
  EXPECT_EQ(ReadCompanion(WriteCompanion({}, SmallReport())), SmallReport());
}

TEST(ReadCompanion, missingFile_oneUnfixedCellReadingError) {
  const Grid grid = ReadCompanion({});
  EXPECT_EQ(grid.columnCount, 1);
  EXPECT_EQ(grid.rowCount, 1);
  EXPECT_EQ(grid.fixedColumns, 0);
  EXPECT_EQ(grid.fixedRows, 0);
  EXPECT_EQ(grid.Cell(0, 0), "Error");
}

TEST(ReadCompanion, countsNotNumbersOrBelowOne_countAsOne) {
  const Grid grid = ReadCompanion("[xxx]\r\ncol=zwei\r\nrow=-5\r\n[0]\r\n0=a\r\n1=b\r\n");
  EXPECT_EQ(grid.columnCount, 1);
  EXPECT_EQ(grid.rowCount, 1);
  EXPECT_EQ(grid.Cell(0, 0), "a");

  const Grid oneRow = ReadCompanion("[xxx]\r\ncol=2\r\nrow=1\r\n[0]\r\n0=a\r\n[1]\r\n0=b\r\n");
  EXPECT_EQ(oneRow.fixedColumns, 1);
  EXPECT_EQ(oneRow.fixedRows, 0);
}

TEST(ReadCompanion, fewerKeysThanAnnounced_missingCellsReadError) {
  const Grid grid =
      ReadCompanion("[0]\r\n0=\r\n1=1\r\n[1]\r\n0=Name\r\n[xxx]\r\ncol=2\r\nrow=3\r\n");
  EXPECT_EQ(grid.columnCount, 2);
  EXPECT_EQ(grid.rowCount, 3);
  EXPECT_EQ(grid.Cells(), QStringList({"", "Name", "1", "Error", "Error", "Error"}));
}

// More rows announced than keys held, yet fewer than the file's "=" and lines: the rows are
// still cut to the most keys of one column section, and the cells read into the smaller grid.
TEST(ReadCompanion, rowsBeyondTheKeysButNotTheEquals_cutToTheLongestColumn) {
  const Grid grid = ReadCompanion(
      "[xxx]\r\ncol=2\r\nrow=7\r\n"
      "[0]\r\n0=a==b\r\n1=c=\r\n;1=comment\r\n"
      "[1]\r\n1 =e\r\n0=d\r\n");
  EXPECT_EQ(grid.columnCount, 2);
  EXPECT_EQ(grid.rowCount, 2);
  EXPECT_EQ(grid.Cells(), QStringList({"a==b", "d", "c=", "e"}));
}

TEST(ReadCompanion, firstKeyWinsAndOtherSpellingsOfRowKeysDoNotMatch) {
  const Grid grid = ReadCompanion(
      "[xxx]\r\nrow=2\r\ncol=2\r\n[0]\r\n 0 = erst \r\n0=zweit\r\n01=x\r\n+1=y\r\n"
      "[1]\r\n1=\"zitiert\"\r\n[0]\r\n1=spaeter\r\n");
  EXPECT_EQ(grid.Cells(), QStringList({"erst", "Error", "Error", "zitiert"}));
}

TEST(ReadCompanion, hostileCounts_clampedToWhatTheFileHolds) {
  const Grid huge = ReadCompanion(
      "[xxx]\r\ncol=2000000000\r\nrow=2000000000\r\n"
      "[0]\r\n0=a\r\n1=b\r\n2=c\r\n[1]\r\n0=d\r\n");
  EXPECT_EQ(huge.columnCount, 2);
  EXPECT_EQ(huge.rowCount, 3);
  EXPECT_EQ(huge.Cells(), QStringList({"a", "d", "b", "Error", "c", "Error"}));

  const Grid overflow = ReadCompanion("[xxx]\r\ncol=99999999999999\r\nrow=1e9\r\n");
  EXPECT_EQ(overflow.columnCount, 1);
  EXPECT_EQ(overflow.rowCount, 1);

  QByteArray many = "[xxx]\r\ncol=40\r\nrow=3\r\n";
  for (int c = 0; c < 40; ++c)
    many += "[" + QByteArray::number(c) + "]\r\n0=v\r\n";
  EXPECT_EQ(ReadCompanion(many).columnCount, 16);
}
