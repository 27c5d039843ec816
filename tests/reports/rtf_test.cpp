#include "reports/rtf.h"

#include <gtest/gtest.h>

#include <algorithm>

using reports::ReadRtfLines;
using reports::WriteRtf;

namespace {

QFont ViewFont() {
  return QFont(QStringLiteral("MS Sans Serif"), 8);
}

}  // namespace

TEST(Rtf, roundTrip_keepsUmlautsEuroBracesBackslashesAndBlankLines) {
  const QStringList lines = {"M\u00fcller,J\u00fcrgen @ 12",
                             " ",
                             "Stra\u00dfe:\u00c4u\u00dfere Weg 1",
                             "Preis: 5 \u20ac",
                             "{a}b}",
                             "C:\\Daten\\x",
                             "",
                             "  zwei Blanks vorn",
                             "Tab\tmitte",
                             "\u03a9 und \U0001F600",
                             "\\par kein Absatz",
                             "ende\\"};
  EXPECT_EQ(ReadRtfLines(WriteRtf(lines, ViewFont())), lines);
}

TEST(Rtf, writer_producesHeaderFontTableAndEscapes) {
  const QByteArray rtf = WriteRtf({"\u00e4\u20ac{\\}\u03a9"}, ViewFont());
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
  EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}"));
  EXPECT_TRUE(rtf.contains("\\fs16 "));
  EXPECT_TRUE(rtf.contains("\\'e4\\'80\\{\\\\\\}\\u937?\\par\r\n"));
  EXPECT_TRUE(rtf.endsWith("}\r\n"));
  EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return uchar(c) < 0x80; }))
      << "an RTF file is 7-bit text";
}

TEST(Rtf, emptyReport_readsBackEmpty) {
  EXPECT_TRUE(ReadRtfLines(WriteRtf(QStringList(), ViewFont())).isEmpty());
}

TEST(Rtf, reader_skipsDestinationsAndHonoursUnicodeFallbackCount) {
  const QByteArray rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\generator W;}"
      "\\pard\\plain \\f0\\fs20 Gr\\'fc\\'dfe\\line zweite\\par "
      "\\uc2\\u8364??x{\\uc0\\u937 y}\\u-3913??z\\par\r\n"
      "\\emdash\\~\\tab end}";
  EXPECT_EQ(ReadRtfLines(rtf), QStringList({"Gr\u00fc\u00dfe", "zweite", "\u20acx\u03a9y\uf0b7z",
                                            "\u2014\u00a0\tend"}));
}

TEST(Rtf, plainText_splitOnCrLfLfAndCr_decodedAsWindows1252) {
  EXPECT_EQ(ReadRtfLines("eins\r\nzw\xe4i\ndrei\rvier\x80\r\n\r\n"),
            QStringList({"eins", "zw\u00e4i", "drei", "vier\u20ac", ""}));
  EXPECT_EQ(ReadRtfLines("ohne Zeilenende"), QStringList({"ohne Zeilenende"}));
  EXPECT_EQ(ReadRtfLines(" {\\rtf1 kein RTF}"), QStringList({" {\\rtf1 kein RTF}"}));
}

TEST(Rtf, hostileInput_deepNestingAndTruncation_giveTextSoFar) {
  QByteArray deep = "{\\rtf1 vorher\\par ";
  deep += QByteArray(1000000, '{');
  deep += "tief";
  EXPECT_EQ(ReadRtfLines(deep), QStringList({"vorher"}));

  EXPECT_EQ(ReadRtfLines("{\\rtf1 abc\\'e"), QStringList({"abc"}));
  EXPECT_EQ(ReadRtfLines("{\\rtf1 abc\\"), QStringList({"abc"}));
  EXPECT_EQ(ReadRtfLines("{\\rtf1 abc\\u"), QStringList({"abc"}));
  EXPECT_EQ(ReadRtfLines("{\\rtf1 a\\u99999999999999999999 b\\uc99999999999 \\u65 xyz"),
            QStringList({"aA"}));
  EXPECT_EQ(ReadRtfLines("{\\rtf1 a\\bin2147483647 rest"), QStringList({"a"}));
  EXPECT_EQ(ReadRtfLines("{\\rtf1 a\\bin3 }}}b}"), QStringList({"ab"}));
  EXPECT_EQ(ReadRtfLines("{\\rtf1 a}}}}trailing"), QStringList({"a"}));
  EXPECT_EQ(ReadRtfLines(QByteArray("{\\rtf1 a") + QByteArray(5000, 'z') + "\\" +
                         QByteArray(100000, 'q')),
            QStringList({"a" + QString(5000, 'z')}));
}

// Runs of ordinary text of every length up to beyond two blocks of sixteen bytes, ended by
// each byte that ends a run: the run is read whole and the ending byte does its own work.
TEST(Rtf, runsOfEveryLength_endAtTheFirstSpecialByte) {
  const std::pair<QByteArray, QString> enders[] = {{"\\'e4", QStringLiteral("\u00e4")},
                                                   {"{}", QString()},
                                                   {"\\par ", QString()},
                                                   {"\r\n", QString()},
                                                   {QByteArray(1, '\0'), QString()}};
  for (int length = 0; length <= 40; ++length) {
    for (const auto& [bytes, text] : enders) {
      const QByteArray run(length, 'a');
      const QByteArray rtf = "{\\rtf1 " + run + bytes + "z\\par\r\n}";
      const QStringList lines = ReadRtfLines(rtf);
      const QString expected = QString::fromLatin1(run) + text + QStringLiteral("z");
      if (bytes.startsWith("\\par")) {
        EXPECT_EQ(lines, QStringList({QString::fromLatin1(run), QStringLiteral("z")})) << length;
      } else {
        EXPECT_EQ(lines, QStringList({expected})) << length << bytes.toHex().constData();
      }
    }
  }
}

// Windows-1252 text is written by runs of bytes that stand for themselves; every special
// byte, at every place of a long line, still gets its escape and reads back.
TEST(Rtf, writer_escapesSpecialBytesAtEveryPlaceOfLongLines) {
  const std::pair<QChar, QByteArray> specials[] = {{QChar(u'\\'), "\\\\"},
                                                   {QChar(u'{'), "\\{"},
                                                   {QChar(u'}'), "\\}"},
                                                   {QChar(u'\t'), "\\tab "},
                                                   {QChar(char16_t(0x1F)), "\\'1f"},
                                                   {QChar(char16_t(0x7F)), "\\'7f"},
                                                   {QChar(u'\u20ac'), "\\'80"},
                                                   {QChar(u'\u00e4'), "\\'e4"},
                                                   {QChar(u'\u00ff'), "\\'ff"}};
  for (const auto& [ch, escape] : specials) {
    for (int place = 0; place < 40; ++place) {
      QString line(40, QChar(u'a'));
      line[place] = ch;
      line[39 - place] = QChar(u'~');
      const QStringList lines = {line, QStringLiteral(" ")};
      const QByteArray rtf = WriteRtf(lines, ViewFont());
      QByteArray expected = QByteArray(40, 'a');
      expected[39 - place] = '~';
      expected = expected.left(place) + escape + expected.mid(place + 1);
      EXPECT_TRUE(rtf.endsWith(QByteArray(" " + expected + "\\par\r\n \\par\r\n}\r\n")))
          << place << escape.constData();
      EXPECT_EQ(ReadRtfLines(rtf), lines) << place << escape.constData();
    }
  }
}
