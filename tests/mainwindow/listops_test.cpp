// The list helpers behind the main window: sorted insertion and the whole-line search.
#include <gtest/gtest.h>

#include "mainwindow/listops.h"
#include "store/addressbook.h"

namespace {

TEST(ListOps, insertPositionFollowsTheListOrder) {
  const QStringList sorted = {"Abel,Bert", "Meier,Anna", "Müller,Max", "Zorn,Zoe"};
  EXPECT_EQ(mainwindow::SortedInsertPosition(sorted, QStringLiteral("Aaron,A")), 0);
  EXPECT_EQ(mainwindow::SortedInsertPosition(sorted, QStringLiteral("Mueller,Max")), 2);
  EXPECT_EQ(mainwindow::SortedInsertPosition(sorted, QStringLiteral("Ölmann,Olaf")), 3);
  EXPECT_EQ(mainwindow::SortedInsertPosition(sorted, QStringLiteral("zz,z")), 4);
  EXPECT_EQ(mainwindow::SortedInsertPosition({}, QStringLiteral("Abel,Bert")), 0);
}

TEST(ListOps, listFileHoldsOnlyWholeLinesWithTheirLetterCase) {
  const QByteArray names = "Abel,Bert\r\nMeier,Anna\r\nM\xFCller,Max";
  EXPECT_TRUE(store::ListFileHolds(names, QStringLiteral("Abel,Bert")));
  EXPECT_TRUE(store::ListFileHolds(names, QStringLiteral("Meier,Anna")));
  EXPECT_TRUE(store::ListFileHolds(names, QStringLiteral("Müller,Max")));
  EXPECT_FALSE(store::ListFileHolds(names, QStringLiteral("Meier,Ann")));
  EXPECT_FALSE(store::ListFileHolds(names, QStringLiteral("eier,Anna")));
  EXPECT_FALSE(store::ListFileHolds(names, QStringLiteral("MEIER,ANNA")));
  EXPECT_FALSE(store::ListFileHolds("", QStringLiteral("Abel,Bert")));
  EXPECT_TRUE(store::ListFileHolds("x\nAbel,Bert\n", QStringLiteral("Abel,Bert")));
}

TEST(ListOps, listAgreesWhenEveryLineStandsAtItsPlace) {
  const QStringList lines = {"Abel,Bert", "Meier,Anna"};
  EXPECT_TRUE(mainwindow::ListAgrees({"Abel,Bert", "Meier,Anna"}, lines));
  EXPECT_TRUE(mainwindow::ListAgrees({"Abel,Bert", "Meier,Anna", "Zorn,Zoe"}, lines));
  EXPECT_TRUE(mainwindow::ListAgrees({}, {}));
  EXPECT_FALSE(mainwindow::ListAgrees({"Abel,Bert"}, lines));  // a line more on disk
  EXPECT_FALSE(mainwindow::ListAgrees({"Meier,Anna", "Abel,Bert"}, lines));
  EXPECT_FALSE(mainwindow::ListAgrees({"Abel,Bert", "MEIER,ANNA"}, lines));
  EXPECT_FALSE(mainwindow::ListAgrees({"Abel,Bert", "Meier,Anna @ 12"}, lines));
}

}  // namespace
