#include "reports/builders.h"

#include <gtest/gtest.h>

#include "reports/reportfields.h"
#include "store/recordkey.h"
#include "store/recordstore.h"
#include "tests/reports/report_fixtures.h"

using reports::Grid;
using reports::ReportSelection;
using namespace reporttest;

namespace {

// Three records; Beck has no internal number (empty), Zander's section lacks "IRuf".
store::RecordStore ThreeRecords() {
  StoredRecord zander = FullRecord("Zander", "Zoe", "");
  zander.values.removeLast();
  return store::RecordStore(StoreBytes(
      {FullRecord("Beck", "Bea", ""), FullRecord("M\u00fcller", "Anna", "123"), zander}));
}

ReportSelection Select(QStringList entries, QVector<bool> fields, QVector<bool> records,
                       bool internalOnly = false) {
  return {std::move(entries), std::move(fields), std::move(records), internalOnly};
}

QVector<bool> OnlyFields(std::initializer_list<int> indices) {
  QVector<bool> fields(15, false);
  for (int i : indices)
    fields[i] = true;
  return fields;
}

QStringList Column(const Grid& grid, int column) {
  QStringList cells;
  for (int r = 0; r < grid.rowCount; ++r)
    cells.append(grid.Cell(column, r));
  return cells;
}

const QStringList kEntries = {"Beck,Bea", "M\u00fcller,Anna", "Zander,Zoe"};

}  // namespace

TEST(BuildTableView, noFieldTicked_leavesEmptyTwoByTwoGrid) {
  const Grid grid =
      reports::BuildTableView(ThreeRecords(), Select(kEntries, Flags(15, false), Flags(3, true)));
  EXPECT_EQ(grid, Grid::Reset());
}

TEST(BuildTableView, noRecordTicked_givesHeaderRowAndOneEmptyRow) {
  const Grid grid = reports::BuildTableView(ThreeRecords(),
                                            Select(kEntries, OnlyFields({0, 7}), Flags(3, false)));
  ASSERT_EQ(grid.columnCount, 3);
  ASSERT_EQ(grid.rowCount, 2);
  EXPECT_EQ(grid.Cells(), QStringList({"", "Name", "Ort", "", "", ""}));
}

TEST(BuildTableView, oneFieldOneRecord_givesCaptionNumberAndValue) {
  const Grid grid = reports::BuildTableView(
      ThreeRecords(), Select(kEntries, OnlyFields({7}), {false, true, false}));
  ASSERT_EQ(grid.columnCount, 2);
  ASSERT_EQ(grid.rowCount, 2);
  EXPECT_EQ(grid.fixedColumns, 1);
  EXPECT_EQ(grid.fixedRows, 1);
  EXPECT_EQ(grid.Cells(), QStringList({"", "Ort", "1", "M\u00fcller-Ort"}));
}

TEST(BuildTableView, allFields_columnsInListOrderWithTableKeysAndMissingAsError) {
  const Grid grid =
      reports::BuildTableView(ThreeRecords(), Select(kEntries, Flags(15, true), Flags(3, true)));
  ASSERT_EQ(grid.columnCount, 16);
  ASSERT_EQ(grid.rowCount, 4);
  QStringList header;
  for (int c = 1; c < 16; ++c)
    header.append(grid.Cell(c, 0));
  EXPECT_EQ(header, QStringList({"Name", "Vorname", "Position", "KZeichen/Abtlg", "Firma",
                                 "Stra\u00dfe", "PLZ", "Ort", "Telefon1", "Telefon2", "Fax",
                                 "Mobiltelefon", "E-Mail", "Kurzwahl", "Int. Rufnr."}));
  EXPECT_EQ(Column(grid, 0), QStringList({"", "1", "2", "3"}));
  QStringList muller;
  for (int c = 1; c < 16; ++c)
    muller.append(grid.Cell(c, 2));
  EXPECT_EQ(muller,
            QStringList({"M\u00fcller", "Anna", "M\u00fcller-Pos", "M\u00fcller-KZ",
                         "M\u00fcller-Firma", "M\u00fcller-Str", "M\u00fcller-PLZ",
                         "M\u00fcller-Ort", "M\u00fcller-T1", "M\u00fcller-T2", "M\u00fcller-Fax",
                         "M\u00fcller-Handy", "M\u00fcller-Mail", "M\u00fcller-KW", "123"}));
  EXPECT_EQ(grid.Cell(15, 3), "Error");  // Zander has no "IRuf" key
}

TEST(BuildTableView, internalNumberOption_firstRecordWithoutNumber_leavesNoEmptyRow) {
  // Beck (first, empty "IRuf") is left out; Zander (no "IRuf" key, reads "Error") is kept.
  const Grid grid = reports::BuildTableView(
      ThreeRecords(), Select(kEntries, OnlyFields({0, 14}), Flags(3, true), true));
  ASSERT_EQ(grid.rowCount, 3);
  EXPECT_EQ(Column(grid, 0), QStringList({"", "1", "2"}));
  EXPECT_EQ(Column(grid, 1), QStringList({"Name", "M\u00fcller", "Zander"}));
  EXPECT_EQ(Column(grid, 2), QStringList({"Int. Rufnr.", "123", "Error"}));
}

TEST(BuildTableView, internalNumberOption_noQualifyingRecord_givesHeaderOnly) {
  const Grid grid = reports::BuildTableView(
      ThreeRecords(), Select(kEntries, OnlyFields({0}), {true, false, false}, true));
  EXPECT_EQ(grid.Cells(), QStringList({"", "Name", "", ""}));
}

TEST(BuildTableView, decoratedEntries_readUndecoratedKeys_unknownKeyReadsError) {
  const QStringList entries = {"M\u00fcller,Anna @ 123", "Nobody,Here"};
  const Grid grid =
      reports::BuildTableView(ThreeRecords(), Select(entries, OnlyFields({1}), Flags(2, true)));
  EXPECT_EQ(Column(grid, 1), QStringList({"Vorname", "Anna", "Error"}));
}

// The blocks of a build as lines of text.
QStringList Blocks(const store::RecordStore& store, const ReportSelection& selection) {
  return reports::BuildReport(store, selection).blockLines.ToStringList();
}

// One entry's block.
QStringList Block(const QString& entry, const QVector<bool>& fields) {
  return Blocks(ThreeRecords(), Select({entry}, fields, {true}));
}

TEST(RecordBlock, allFields_exactLabelsFirstNameBeforeName) {
  const QStringList lines = Block("M\u00fcller,Anna @ 123", Flags(15, true));
  EXPECT_EQ(lines,
            QStringList({"M\u00fcller,Anna @ 123", " ", "Vorname: Anna", "Name: M\u00fcller",
                         "Position:M\u00fcller-Pos", "Kurzzeichen: M\u00fcller-KZ",
                         "Firma: M\u00fcller-Firma", "Stra\u00dfe:M\u00fcller-Str",
                         "PLZ: M\u00fcller-PLZ", "Ort: M\u00fcller-Ort", "Telefon1: M\u00fcller-T1",
                         "Telefon2:M\u00fcller-T2", "Fax: M\u00fcller-Fax",
                         "Mobiltelefon: M\u00fcller-Handy", "E-Mail: M\u00fcller-Mail",
                         "Kurzwahl: M\u00fcller-KW", "Interne Rufnummer: 123", " ", " "}));
}

TEST(RecordBlock, noFieldTicked_headingAndThreeBlankLines) {
  EXPECT_EQ(Block("Beck,Bea", Flags(15, false)), QStringList({"Beck,Bea", " ", " ", " "}));
}

TEST(RecordBlock, nameWithoutFirstName_onlyNameLine) {
  EXPECT_EQ(Block("Beck,Bea", OnlyFields({0})),
            QStringList({"Beck,Bea", " ", "Name: Beck", " ", " "}));
}

TEST(BuildBlocks, onlyTickedAndQualifyingRecords_inListOrder) {
  const QStringList lines =
      Blocks(ThreeRecords(), Select(kEntries, OnlyFields({14}), {true, false, true}, true));
  EXPECT_EQ(lines, QStringList({"Zander,Zoe", " ", "Interne Rufnummer: Error", " ", " "}));
  EXPECT_TRUE(Blocks(ThreeRecords(), Select(kEntries, Flags(15, true), Flags(3, false))).isEmpty());
}

TEST(BuildReport, tableSameAsTableBuiltAlone) {
  const ReportSelection selections[] = {
      Select(kEntries, Flags(15, true), Flags(3, true)),
      Select(kEntries, OnlyFields({0, 14}), Flags(3, true), true),
      Select(kEntries, Flags(15, false), {true, false, true}),
  };
  for (const ReportSelection& selection : selections) {
    const reports::BuiltReport report = reports::BuildReport(ThreeRecords(), selection);
    EXPECT_EQ(report.grid, reports::BuildTableView(ThreeRecords(), selection));
  }
}

// A large report: the table is what it is when built alone, and the table and the blocks hold
// what the single-record read gives, record by record.
TEST(BuildReport, largeStore_sameAsTheSingleRecordRead) {
  QList<StoredRecord> records;
  QStringList entries;
  for (int i = 0; i < 6000; ++i) {
    records.append(FullRecord(QStringLiteral("N%1").arg(i), QStringLiteral("V\u00e4"),
                              i % 3 ? QString::number(i) : QString()));
    entries.prepend(records.back().key);
  }
  entries.insert(3000, QStringLiteral("Fehlt,Ganz @ 7"));
  const store::RecordStore store(StoreBytes(records));
  ASSERT_GE(store.Bytes().size(), 1 << 20);
  QVector<bool> ticked = Flags(int(entries.size()), true);
  ticked[10] = false;
  const ReportSelection selection = Select(entries, OnlyFields({0, 1, 4, 7, 14}), ticked);

  const reports::BuiltReport report = reports::BuildReport(store, selection);
  EXPECT_EQ(report.grid, reports::BuildTableView(store, selection));
  const QStringList blocks = report.blockLines.ToStringList();
  QStringList expected;
  int row = 0;
  for (int k = 0; k < entries.size(); ++k) {
    if (!ticked[k])
      continue;
    const store::RecordValues values = store.Record(store::StripEntrySuffix(entries[k]));
    expected << entries[k] << " ";
    for (int j : reports::BlockLineOrder()) {
      if (selection.tickedFields[j]) {
        expected << QString::fromUtf8(reports::ReportFields()[j].blockLabel) +
                        values[reports::ReportFields()[j].field];
      }
    }
    expected << " "
             << " ";
    ++row;
    ASSERT_EQ(report.grid.Cell(0, row), QString::number(row));
    const int fields[] = {0, 1, 4, 7, 14};
    for (int c = 0; c < 5; ++c) {
      ASSERT_EQ(report.grid.Cell(c + 1, row), values[reports::ReportFields()[fields[c]].field])
          << row << " " << c;
    }
  }
  EXPECT_EQ(blocks, expected);
  EXPECT_EQ(report.grid.rowCount, row + 1);
}
