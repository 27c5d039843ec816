#include <gtest/gtest.h>
#include <QCollator>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "store/cp1252.h"
#include "store/keycollation.h"
#include "store/listfile.h"
#include "store/sharedaccess.h"

namespace {

// Restores the German default locale the test program runs with.
struct LocaleGuard {
  QLocale saved;
  ~LocaleGuard() { QLocale::setDefault(saved); }
};

TEST(KeyOrder, bareCLocale_sortsAsGermanUsersExpect) {
  LocaleGuard guard;
  QLocale::setDefault(QLocale::c());
  QStringList keys{"Schulze,Marie", "Schäfer,Käthe", "Zander,Udo", "Adler,Bernd", "ädler,Anna"};
  store::SortKeys(keys);
  EXPECT_EQ(keys, (QStringList{"ädler,Anna", "Adler,Bernd", "Schäfer,Käthe", "Schulze,Marie",
                               "Zander,Udo"}));
  EXPECT_LT(store::CompareKeys("Schäfer,Käthe", "Schulze,Marie"), 0);
}

}  // namespace

namespace {

// The order of the collator alone, ties by code points: what CompareKeys must give.
int CollatorOrder(const QString& a, const QString& b) {
  QCollator collator{QLocale()};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  const int order = collator.compare(a, b);
  const int sign = order != 0 ? order : a.compare(b);
  return (sign > 0) - (sign < 0);
}

QStringList MixedKeys(const QStringList& parts, int count, int length) {
  QStringList keys;
  quint32 x = 4711;
  for (int i = 0; i < count; ++i) {
    QString key;
    for (int n = 0; n < length; ++n) {
      x = x * 1103515245u + 12345u;
      key += parts[(x >> 16) % parts.size()];
    }
    keys.append(key);
  }
  return keys;
}

TEST(KeyOrder, compareKeys_plainAndAccentedKeys_agreeWithTheCollator) {
  // Plain keys are ordered from a table, the others by the collator: every pair of them,
  // also across the two kinds, must come out as the collator says.
  const QStringList parts{"a",
                          "A",
                          "b",
                          "B",
                          "s",
                          "S",
                          "z",
                          "Z",
                          "0",
                          "9",
                          ",",
                          "-",
                          " ",
                          ".",
                          QString::fromUtf8("ä"),
                          QString::fromUtf8("Ä"),
                          QString::fromUtf8("ß"),
                          "ss",
                          QString::fromUtf8("ö"),
                          QString::fromUtf8("é"),
                          "ae",
                          "e"};
  QStringList keys = MixedKeys(parts, 260, 3);
  keys += QStringList{"Meier,Anna",
                      "MEIER,ANNA",
                      "meier,anna",
                      "Meier,Anna-Lena",
                      "Meier,Anna Lena",
                      "Meier,Anna.",
                      "Meier-Schulz,Udo",
                      QString::fromUtf8("Mäier,Anna"),
                      "Maier,Anna",
                      "Masse,Ute",
                      QString::fromUtf8("Maße,Ute"),
                      "Mass,Ute",
                      ""};
  for (const QString& a : keys) {
    for (const QString& b : keys) {
      const int order = store::CompareKeys(a, b);
      ASSERT_EQ((order > 0) - (order < 0), CollatorOrder(a, b))
          << a.toStdString() << " / " << b.toStdString();
    }
  }
}

TEST(KeyOrder, loadSortedList_sortedOrNot_givesTheSortedOrder) {
  // A name index in order is taken as it is; one out of order is sorted.
  QStringList keys = MixedKeys(
      {"Ab", "ab", QString::fromUtf8("Äb"), "ss", QString::fromUtf8("ß"), "-", ",", "Z", "1"}, 300,
      3);
  QStringList sorted = keys;
  store::SortKeys(sorted);
  for (const QStringList& content : {sorted, keys}) {
    QTemporaryDir dir;
    const QString path = dir.filePath("names.qdx");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(store::EncodeListFile(content));
    file.close();
    struct Sink : store::MessageSink {
      void ShowMessage(const QString&) override { ADD_FAILURE(); }
    } sink;
    EXPECT_EQ(store::LoadSortedList(path, sink).lines, sorted);
  }
}

TEST(KeyOrder, germanKeys_orderedFromTheTableAsTheCollatorOrdersThem) {
  // Umlauts and "ß" in every position and case, against their plain spellings: the table
  // must cover all of them (a German user's keys never wait for the collator) and agree with
  // the collator on every pair, in both spellings of the keys (texts and Windows-1252 bytes).
  const QStringList parts{QString::fromUtf8("ä"),
                          QString::fromUtf8("Ä"),
                          QString::fromUtf8("ö"),
                          QString::fromUtf8("Ö"),
                          QString::fromUtf8("ü"),
                          QString::fromUtf8("Ü"),
                          QString::fromUtf8("ß"),
                          "a",
                          "O",
                          "u",
                          "ue",
                          "s",
                          "S",
                          "ss",
                          "z",
                          "-",
                          ",",
                          " "};
  QStringList keys = MixedKeys(parts, 250, 4);
  keys += QStringList{QString::fromUtf8("Müller,Jürgen"),
                      "Mueller,Juergen",
                      "Muller,Jurgen",
                      QString::fromUtf8("Möller,Jörg"),
                      QString::fromUtf8("Straße,Käthe"),
                      "Strasse,Kaethe",
                      QString::fromUtf8("Öztürk,Sören"),
                      QString::fromUtf8("Überall,Götz"),
                      QString::fromUtf8("Groß-Weiß,Bärbel")};
  const store::TableKeyOrder table(store::KeyCollator());
  for (const QString& a : keys) {
    for (const QString& b : keys) {
      int order = 0;
      ASSERT_TRUE(table.Compare(QStringView(a), QStringView(b), &order)) << a.toStdString();
      ASSERT_EQ(order, CollatorOrder(a, b)) << a.toStdString() << " / " << b.toStdString();
      int byteOrder = 0;
      ASSERT_TRUE(table.Compare(store::ToCp1252(a), store::ToCp1252(b), &byteOrder));
      ASSERT_EQ(byteOrder, order);
    }
  }
  // Not covered: left to the collator.
  int order = 0;
  EXPECT_FALSE(table.Compare(QStringView(u"Caf\u00E9"), QStringView(u"Cafe"), &order));
  EXPECT_FALSE(table.Compare(QByteArrayView("\x80"), QByteArrayView("E"), &order));
}

}  // namespace
