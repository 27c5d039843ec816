#include <gtest/gtest.h>
#include <QLocale>

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
