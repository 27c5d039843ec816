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

// Numbers are shown in the characters of the code page, also beyond Latin-1 (0x80 is the euro
// sign), and the key is kept exactly as listed.
TEST(InternalNumberList, numberBytesBeyondAsciiBecomeTheirCharacters) {
  const store::RecordStore records(Person("Alt", "Bea", "A", "\x80 12/\xE4") +
                                   Person("Berg", "Ute", "B", " 7 "));
  EXPECT_EQ(mainwindow::BuildInternalNumberList(records, {"alt,bea", "Berg,Ute"}),
            QStringList({QString::fromUtf8("alt,bea @ € 12/ä"), "Berg,Ute @ 7"}));
}
