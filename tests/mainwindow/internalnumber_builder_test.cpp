#include <gtest/gtest.h>

#include "mainwindow/internalnumberlist.h"
#include "store/recordstore.h"
#include "tests/mainwindow/views_fixtures.h"

using viewsfixtures::Person;
using viewsfixtures::Section;

TEST(InternalNumberList, listsRecordsWithANumber_skipsEmpty_missingReadsAsError) {
  const store::RecordStore records(
      Person("Alt", "Bea", "A", "12") + Person("Bauer", "Carl", "B", "") +
      Section("Kurz,Karl", {{"Name", "Kurz"}}).replace("IRuf=\r\n", "") +
      Person("M\xFCller", "J\xFCrgen", "C", "4711"));
  const QStringList keys = {"Alt,Bea", "Bauer,Carl", "Fehlt,Ganz", "Kurz,Karl",
                            QString::fromLatin1("M\xFCller,J\xFCrgen")};

  EXPECT_EQ(mainwindow::BuildInternalNumberList(records, keys),
            QStringList({"Alt,Bea @ 12", "Fehlt,Ganz @ Error", "Kurz,Karl @ Error",
                         QString::fromLatin1("M\xFCller,J\xFCrgen @ 4711")}));
}
