#include "store/listfile.h"

#include <gtest/gtest.h>

#include "store/cp1252.h"

namespace {

TEST(ListFile, encode_oneKeyPerLineCrLfAfterEveryLineCp1252) {
  EXPECT_EQ(store::EncodeListFile({QString::fromUtf8("Müller,Jörg"), "Meier,Anna"}),
            QByteArray("M\xFCller,J\xF6rg\r\nMeier,Anna\r\n"));
  EXPECT_EQ(store::EncodeListFile({}), QByteArray());
}

TEST(ListFile, decode_acceptsCrLfLfCrAndLastLineWithoutEnd) {
  EXPECT_EQ(store::DecodeListFile("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
  // Empty lines and lines of blanks or control characters name no record.
  EXPECT_EQ(store::DecodeListFile("a\r\n\r\n \t\r\n\x1A\r\nb\r\n\r\n"), (QStringList{"a", "b"}));
  // An editor's UTF-8 with a byte-order mark, and a DOS end-of-file mark after the last key.
  EXPECT_EQ(store::DecodeListFile("\xEF\xBB\xBF\x61\r\nGro\xC3\x9F,\xE2\x82\xAC\x1A"),
            (QStringList{"a", QString::fromUtf8("Groß,€")}));
  EXPECT_EQ(store::DecodeListFile(""), QStringList());
  EXPECT_EQ(store::DecodeListFile("Gro\xDF,\x80\r\n"), QStringList{QString::fromUtf8("Groß,€")});
}

TEST(Cp1252, roundTripsEveryByte_andRefusesWhatItCannotHold) {
  QByteArray all;
  for (int b = 0; b < 256; ++b)
    all.append(static_cast<char>(b));
  EXPECT_EQ(store::ToCp1252(store::FromCp1252(all)), all);
  qsizetype bad = -1;
  EXPECT_TRUE(store::FitsCp1252(QString::fromUtf8("Äöü ß € „“ Œ")));
  EXPECT_FALSE(store::FitsCp1252(QString::fromUtf8("ab\u0107"), &bad));
  EXPECT_EQ(bad, 2);
  EXPECT_EQ(store::ToCp1252(QString::fromUtf8("a\u0107")), QByteArray("a?"));
}

TEST(Cp1252, caseFold_coversWindows1252Letters) {
  EXPECT_TRUE(store::SameKeyIgnoringCase(QString::fromUtf8("müller,anna"),
                                         QString::fromUtf8("MÜLLER,ANNA")));
  EXPECT_TRUE(store::SameKeyIgnoringCase(QString::fromUtf8("šœžÿàþ"), QString::fromUtf8("ŠŒŽŸÀÞ")));
  EXPECT_FALSE(store::SameKeyIgnoringCase(QString::fromUtf8("÷"), QString::fromUtf8("×")));
  EXPECT_FALSE(store::SameKeyIgnoringCase(QString::fromUtf8("ß"), QString::fromUtf8("SS")));
}

}  // namespace
