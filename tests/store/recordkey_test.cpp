#include "store/recordkey.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordKeyTest, entriesOfAList_giveTheirKeysInListOrder) {
  // More entries than the look-ahead, decorated and plain mixed, the decoration with blanks
  // and a tab before its "@".
  QStringList entries;
  for (int i = 0; i < 20; ++i) {
    const QString key = QStringLiteral("Name%1,Vorname").arg(i);
    entries.append(i % 3 == 0   ? store::DecorateEntry(key, QString::number(100 + i))
                   : i % 3 == 1 ? key + QStringLiteral(" \t@ 7")
                                : key);
  }
  entries.append(QStringLiteral("@ 12"));
  QStringList all;
  for (int i = 0; i < 20; ++i)
    all.append(QStringLiteral("Name%1,Vorname").arg(i));
  all.append(QString());
  EXPECT_EQ(store::StripEntrySuffixes(entries), all);
  // No entry decorated: the entries are the keys; picking all of them changes nothing.
  const QStringList plain = all.mid(0, 20);
  EXPECT_EQ(store::StripEntrySuffixes(plain), plain);
  EXPECT_EQ(store::StripEntrySuffixes(plain, QVector<bool>(25, true)), plain);

  // Only the picked ones; an entry beyond the flags is not picked.
  QVector<bool> picked(15, false);
  picked[0] = picked[4] = picked[14] = true;
  EXPECT_EQ(store::StripEntrySuffixes(entries, picked), QStringList({all[0], all[4], all[14]}));
  EXPECT_TRUE(store::StripEntrySuffixes(entries, {}).isEmpty());
  EXPECT_TRUE(store::StripEntrySuffixes({}, QVector<bool>(3, true)).isEmpty());
}

}  // namespace
