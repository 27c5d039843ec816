// The report's compact text holders: the grid's cells and the block view's lines in one
// buffer each, as Windows-1252 bytes until a character needs more.
#include <gtest/gtest.h>

#include <QFont>

#include "reports/builders.h"
#include "reports/grid.h"
#include "reports/rtf.h"
#include "reports/textlines.h"
#include "store/recordstore.h"
#include "tests/reports/report_fixtures.h"

using reports::Grid;
using reports::TextLines;

TEST(TextLines, piecesAndWholeLines_readBackAsWritten_emptyLinesKept) {
  TextLines lines;
  lines.AppendLine(u"M\u00fcller \u20ac");
  lines.EndLine();
  lines.Add(u"Stra\u00dfe:");
  lines.AddBytes("Hauptstr. 1\xe4");
  lines.Add(QChar(u'\u0160'));
  lines.EndLine();
  EXPECT_FALSE(lines.IsWide());
  EXPECT_EQ(lines.ToStringList(),
            QStringList({QStringLiteral("M\u00fcller \u20ac"), "",
                         QStringLiteral("Stra\u00dfe:Hauptstr. 1\u00e4\u0160")}));
  EXPECT_EQ(lines.CharacterCount(), 8 + 0 + 20);
}

TEST(TextLines, characterWithoutByte_turnsWholeBufferWide_nothingLost) {
  TextLines lines;
  lines.AppendLine(u"Gr\u00fc\u00dfe");
  lines.AddBytes("vorher \x80 ");
  lines.Add(u"\u03a9");    // no Windows-1252 byte
  lines.AddBytes("\xfc");  // bytes still count as Windows-1252 afterwards
  lines.EndLine();
  lines.AppendLine(u"\U0001F600");
  EXPECT_TRUE(lines.IsWide());
  EXPECT_EQ(lines.ToStringList(), QStringList({QStringLiteral("Gr\u00fc\u00dfe"),
                                               QStringLiteral("vorher \u20ac \u03a9\u00fc"),
                                               QStringLiteral("\U0001F600")}));
}

TEST(TextLines, characterWithoutByteInsideAPiece_keepsTheCharactersBeforeIt) {
  TextLines lines;
  lines.AddBytes("x");
  // Euro and S caron have bytes of their own, U+0081 keeps its number, Omega has none.
  lines.Add(u"a\u20ac\u00e4\u0160\u0081\u03a9b");
  lines.EndLine();
  EXPECT_TRUE(lines.IsWide());
  EXPECT_EQ(lines.CharacterCount(), 8);
  EXPECT_EQ(lines.ToStringList(),
            QStringList({QStringLiteral("xa\u20ac\u00e4\u0160\u0081\u03a9b")}));

  TextLines narrow;
  narrow.Add(u"a\u20ac\u00e4\u0160\u0081\u00ff");
  narrow.EndLine();
  EXPECT_FALSE(narrow.IsWide());
  EXPECT_EQ(narrow.LineBytes(0), QByteArrayView("a\x80\xe4\x8a\x81\xff"));
}

TEST(TextLines, appendAndEquality_acrossNarrowAndWide) {
  const QStringList first = {"a", QStringLiteral("\u00e4")};
  const QStringList second = {QStringLiteral("\u03a9"), "", "z"};
  TextLines lines = TextLines::FromList(first);
  lines.Append(TextLines::FromList(second));
  EXPECT_EQ(lines.ToStringList(), first + second);
  EXPECT_EQ(lines, TextLines::FromList(first + second));

  TextLines twice = TextLines::FromList(first);
  twice.Append(twice);
  EXPECT_EQ(twice.ToStringList(), first + first);

  // Same characters, different line ends, are different texts.
  EXPECT_NE(TextLines::FromList({"ab", "c"}), TextLines::FromList({"a", "bc"}));
  EXPECT_NE(TextLines::FromList({"a"}), TextLines::FromList({QStringLiteral("\u03a9")}));
}

TEST(Grid, cellsKeptAsWindows1252_sharedAndSelfCopiedCellsStayRight) {
  Grid grid = Grid::Sized(3, 2, 1, 1);
  grid.SetCell(0, 0, QStringLiteral("Stra\u00dfe \u20ac"));
  grid.SetCellBytes(1, 0, "M\xfcller");
  grid.SetCell(2, 0, QStringLiteral("\u03a9 x"));  // no byte: kept as the companion would write it
  EXPECT_EQ(grid.Cell(0, 0), QStringLiteral("Stra\u00dfe \u20ac"));
  EXPECT_EQ(grid.CellBytes(0, 0), QByteArrayView("Stra\xdf"
                                                 "e \x80"));
  EXPECT_EQ(grid.Cell(1, 0), QStringLiteral("M\u00fcller"));
  EXPECT_EQ(grid.Cell(2, 0), "? x");

  grid.CopyCell(0, 1, 1, 0);
  grid.SetCell(1, 0, "neu");
  EXPECT_EQ(grid.Cell(0, 1), QStringLiteral("M\u00fcller")) << "a copied cell keeps its text";
  // A cell set from the grid's own text, while the text grows.
  for (int i = 0; i < 200; ++i)
    grid.SetCellBytes(1, 1, grid.CellBytes(0, 0));
  EXPECT_EQ(grid.Cell(1, 1), grid.Cell(0, 0));
  EXPECT_EQ(grid.Cells(),
            QStringList({QStringLiteral("Stra\u00dfe \u20ac"), "neu", "? x",
                         QStringLiteral("M\u00fcller"), QStringLiteral("Stra\u00dfe \u20ac"), ""}));

  Grid other = Grid::Sized(3, 2, 1, 1);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c)
      other.SetCell(c, r, grid.Cell(c, r));
  }
  EXPECT_EQ(other, grid) << "equal cells, however the texts were laid out";
  other.SetCell(2, 1, "x");
  EXPECT_NE(other, grid);
}

TEST(Grid, cellsShowingAnOutsideBuffer_keepItAlive_copyWhatLiesElsewhere) {
  Grid grid = Grid::Sized(3, 2, 1, 1);
  char raw[] = "outside";
  {
    const QByteArray source(
        "Stra\xDF"
        "e|K\xF6ln");
    grid.ShareBytes(source);
    grid.SetCellShared(0, 0, QByteArrayView(source).first(6));
    grid.SetCellShared(1, 0, QByteArrayView(source).sliced(7));
    grid.SetCellShared(2, 0, QByteArrayView(source).sliced(source.size()));  // empty, at the end
    grid.SetCellShared(0, 1, QByteArrayView(raw, 3));  // not in the buffer: copied
    grid.CopyCell(1, 1, 1, 0);
    grid.SetCell(2, 1, QStringLiteral("eigen"));
  }
  raw[0] = 'X';
  const QStringList expected = {QStringLiteral("Stra\u00dfe"),
                                QStringLiteral("K\u00f6ln"),
                                "",
                                "out",
                                QStringLiteral("K\u00f6ln"),
                                "eigen"};
  EXPECT_EQ(grid.Cells(), expected);

  // The same cells copied compare equal; a copy of the grid shows the same bytes.
  Grid copied = Grid::Sized(3, 2, 1, 1);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c)
      copied.SetCellBytes(c, r, grid.CellBytes(c, r));
  }
  EXPECT_EQ(copied, grid);
  const Grid again = grid;
  EXPECT_EQ(again.Cells(), expected);

  // Bytes the array does not own are copied when shared, so changing them later changes nothing.
  char loose[] = "abcdef";
  Grid fromRaw = Grid::Sized(1, 1, 0, 0);
  fromRaw.ShareBytes(QByteArray::fromRawData(loose, 6));
  fromRaw.SetCellShared(0, 0, QByteArrayView(loose, 3));
  loose[0] = 'Z';
  EXPECT_EQ(fromRaw.Cell(0, 0), QStringLiteral("abc"));
}

TEST(Rtf, bytesAndWideText_writeTheSameEscapes) {
  // The same lines written from a byte buffer and, with one more line that needs UTF-16,
  // from a wide buffer: everything before that line is the same.
  const QStringList lines = {QStringLiteral("\u00e4\u20ac{\\}\tTab"), "", "\x01\x7f",
                             QStringLiteral("\u00ff\u0081")};
  const QFont font(QStringLiteral("Arial"), 10);
  const QByteArray narrow = reports::WriteRtf(TextLines::FromList(lines), font);
  const QByteArray wide =
      reports::WriteRtf(TextLines::FromList(lines + QStringList{QStringLiteral("\u03a9")}), font);
  ASSERT_TRUE(narrow.endsWith("}\r\n"));
  EXPECT_TRUE(wide.startsWith(narrow.chopped(3)));
  EXPECT_TRUE(wide.endsWith("\\u937?\\par\r\n}\r\n"));
  EXPECT_TRUE(
      narrow.contains("\\'e4\\'80\\{\\\\\\}\\tab Tab\\par\r\n\\par\r\n\\'01\\'7f\\par\r\n"
                      "\\'ff\\'81\\par"));
  EXPECT_EQ(reports::ReadRtfText(narrow), TextLines::FromList(lines));
}

TEST(BuildReport, entryWithCharacterWithoutByte_blockKeepsIt) {
  using namespace reporttest;
  const store::RecordStore store(StoreBytes({FullRecord("M\u00fcller", "Anna", "1")}));
  reports::ReportSelection selection;
  selection.entries = {QStringLiteral("M\u00fcller,Anna"), QStringLiteral("\u03a9mega,Nobody")};
  selection.tickedFields = QVector<bool>(15, false);
  selection.tickedFields[0] = true;
  selection.tickedRecords = {true, true};
  const reports::BuiltReport report = reports::BuildReport(store, selection);
  EXPECT_EQ(
      report.blockLines.ToStringList(),
      QStringList({QStringLiteral("M\u00fcller,Anna"), " ", QStringLiteral("Name: M\u00fcller"),
                   " ", " ", QStringLiteral("\u03a9mega,Nobody"), " ", "Name: Error", " ", " "}));
  EXPECT_EQ(report.grid.Cells(),
            QStringList({"", "Name", "1", QStringLiteral("M\u00fcller"), "2", "Error"}));
}

// The text a document takes for lines [first, first + count): built the plain way.
QString JoinedParagraphs(const QStringList& lines, qsizetype first, qsizetype count,
                         qsizetype per) {
  QString text;
  for (qsizetype i = first; i < first + count; ++i) {
    if (i > first)
      text += QChar((i - first) % per == 0 ? QChar::ParagraphSeparator : QChar::LineSeparator);
    text += lines[i];
  }
  return text;
}

TEST(TextLines, paragraphsText_everyLineWholeAtEveryLengthAndPlace) {
  // Lines of every length around the eight bytes widened at once, plain and with characters
  // of 0x80 and above in every place: the text read back must be exactly the lines, whichever
  // lines a group starts and ends with.
  QStringList plain;
  for (int n = 0; n <= 20; ++n) {
    QString line;
    for (int k = 0; k < n; ++k)
      line += QChar(u'a' + (n + k) % 26);
    plain.append(line);
    if (n > 0) {
      for (const QChar special : {QChar(0x20AC), QChar(0xFC)}) {  // "€" has 0x80, "ü" 0xFC
        QString marked = line;
        marked[(n * 5) % n] = special;
        plain.append(marked);
      }
    }
  }
  QStringList wide = plain;
  wide.append(QStringLiteral("\u0141\u00f3d\u017a"));  // no byte for "Ł": the buffer turns wide
  for (const QStringList& lines : {plain, wide}) {
    const TextLines text = TextLines::FromList(lines);
    ASSERT_EQ(text.IsWide(), lines.size() != plain.size());
    QString out;
    for (qsizetype first : {0, 1, 7, 30}) {
      for (qsizetype count : {1, 2, 5, 9, int(lines.size()) - 31}) {
        for (qsizetype per : {1, 3, 128}) {
          text.ParagraphsText(first, count, per, out);
          EXPECT_EQ(out, JoinedParagraphs(lines, first, count, per))
              << first << " " << count << " " << per;
        }
      }
    }
  }
}
