// The main list's model showing a part of a list (the hits of a search) by places in it.
#include "mainwindow/entrylistmodel.h"

#include <gtest/gtest.h>

namespace {

using mainwindow::EntryListModel;

QStringList Shown(const EntryListModel& model) {
  QStringList shown;
  for (int row = 0; row < model.rowCount(); ++row)
    shown.append(model.data(model.index(row)).toString());
  return shown;
}

TEST(EntryListModelTest, aPartShowsItsPlaces_andRemovingOrInsertingChangesOnlyWhatIsShown) {
  const QStringList all = {"Abel,Bert", "Meier,Anna", "Otto,Olga", "Zorn,Zoe"};
  EntryListModel model;
  model.SetPart(all, {1, 3});
  EXPECT_EQ(Shown(model), QStringList({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_EQ(model.Entries(), QStringList({"Meier,Anna", "Zorn,Zoe"}));
  EXPECT_FALSE(model.ShowsWhole(all));

  // Removed after its entries were copied out, and before: both give what is shown.
  model.Remove(0);
  EXPECT_EQ(Shown(model), QStringList({"Zorn,Zoe"}));
  EXPECT_EQ(model.Entries(), QStringList({"Zorn,Zoe"}));
  model.SetPart(all, {0, 2, 3});
  model.Remove(1);
  EXPECT_EQ(model.Entries(), QStringList({"Abel,Bert", "Zorn,Zoe"}));

  model.Insert(1, QStringLiteral("Neu,Nina"));
  EXPECT_EQ(Shown(model), QStringList({"Abel,Bert", "Neu,Nina", "Zorn,Zoe"}));
  EXPECT_EQ(all.size(), 4);  // the whole list is not touched

  model.SetEntries(all);
  EXPECT_TRUE(model.ShowsWhole(all));
  EXPECT_EQ(Shown(model), all);
}

}  // namespace
