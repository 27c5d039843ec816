#include "store/listbytes.h"

#include <gtest/gtest.h>

namespace {

QByteArray Joined(const store::ListBytes& list) {
  QByteArray out;
  for (QByteArrayView piece : list.Pieces())
    out.append(piece.data(), piece.size());
  return out;
}

// The pieces written must always give the same bytes as the joined list, whatever line ends
// the file came with and whatever was changed.
TEST(ListBytes, piecesGiveTheListBytes_afterEveryKindOfChange) {
  const QByteArray files[] = {
      "Abel,Karl\r\nMeier,Anna\r\nZander,Udo\r\n",
      "Abel,Karl\nMeier,Anna\r\nZander,Udo",            // other line ends, last line without one
      "Abel,Karl\r\rMeier,Anna\r\n\r\nZander,Udo\r\n",  // an empty line
      "",
  };
  for (const QByteArray& file : files) {
    SCOPED_TRACE(file.toStdString());
    store::ListBytes list(file);
    EXPECT_EQ(Joined(list), list.Bytes());
    list.InsertSorted(QString::fromUtf8("M\u00FCller,J\u00F6rg"));
    EXPECT_EQ(Joined(list), list.Bytes());
    list.RemoveAll(QStringLiteral("Abel,Karl"));
    EXPECT_EQ(Joined(list), list.Bytes());
    list.Append(QStringLiteral("Zeta,Z"));
    list.InsertSorted(QStringLiteral("Aaa,A"));
    EXPECT_EQ(Joined(list), list.Bytes());
  }
  store::ListBytes crlf(files[0]);
  crlf.RemoveAll(QStringLiteral("Meier,Anna"));
  EXPECT_EQ(crlf.Bytes(), QByteArray("Abel,Karl\r\nZander,Udo\r\n"));
  EXPECT_EQ(crlf.Pieces().size(), 2u);  // the bytes before and after the removed line
}

// Many keys inserted at once land where inserting them one by one puts them: the list sorted
// first when it is not, keys that sort alike in their given order, lines that are no keys
// after all keys.
TEST(ListBytes, insertSortedOfManyKeys_givesTheListOfOneByOneInserts) {
  const QByteArray files[] = {
      "Abel,Karl\r\nMeier,Anna\r\nZander,Udo\r\n",
      "Zander,Udo\r\nAbel,Karl\r\nMeier,Anna\r\n",  // not sorted
      "Abel,Karl\r\nMeier,Anna\r\n\r\n",            // a blank line at the end
      "Abel,Karl\r\n\r\nMeier,Anna\r\n",            // a blank line among the keys
      "",
  };
  const QStringList keys = {QStringLiteral("Zzz,Z"),      QStringLiteral("meier,anna"),
                            QStringLiteral("Aaa,A"),      QStringLiteral("Meier,Anna"),
                            QString::fromUtf8("Mäier,B"), QStringLiteral("MEIER,ANNA"),
                            QStringLiteral("Abel,Karl"),  QStringLiteral("Neu\r\nZeile,X")};
  for (const QByteArray& file : files) {
    SCOPED_TRACE(file.toStdString());
    store::ListBytes oneByOne(file);
    for (const QString& key : keys)
      oneByOne.InsertSorted(key);
    store::ListBytes atOnce(file);
    atOnce.InsertSorted(keys);
    EXPECT_EQ(atOnce.Bytes(), oneByOne.Bytes());
    EXPECT_EQ(Joined(atOnce), atOnce.Bytes());
    atOnce.InsertSorted(QStringList());
    EXPECT_EQ(atOnce.Bytes(), oneByOne.Bytes());
  }
}

TEST(ListBytes, removeAll_removesEveryExactCopyAndNothingElse) {
  store::ListBytes list(QByteArray("A\r\nB\r\nA\r\nA \r\na\r\nA\r\n"));
  EXPECT_EQ(list.RemoveAll(QStringLiteral("A")), 3);
  EXPECT_EQ(list.Bytes(), QByteArray("B\r\nA \r\na\r\n"));
  EXPECT_EQ(list.RemoveAll(QStringLiteral("A")), 0);
  EXPECT_EQ(list.RemoveAll(QStringLiteral("missing")), 0);
  EXPECT_EQ(list.Count(), 3);
}

}  // namespace
