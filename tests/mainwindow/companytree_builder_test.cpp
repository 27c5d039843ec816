#include <gtest/gtest.h>

#include "mainwindow/companytree.h"
#include "store/recordstore.h"
#include "tests/mainwindow/views_fixtures.h"

using viewsfixtures::Person;

namespace {

// The tree as lines: company, then its members indented by two blanks.
QStringList Shape(const mainwindow::CompanyTree& tree) {
  QStringList lines;
  for (qsizetype company = 0; company < tree.CompanyCount(); ++company) {
    lines.append(tree.CompanyText(company));
    for (qsizetype member = 0; member < tree.MemberCount(company); ++member)
      lines.append("  " + tree.MemberText(company, member));
  }
  return lines;
}

}  // namespace

TEST(CompanyTree, groupsByExactCompany_inOrderOfFirstOccurrence) {
  const store::RecordStore records(
      Person("Adam", "Eva", "Zeta") + Person("Berg", "Ute", "") + Person("Christ", "Max", "ACME") +
      Person("Dorn", "Ida", "Acme") + Person("Eck", "Olaf", "Zeta") + Person("Fink", "Lea", "") +
      Person("Gross", "Tim", "Firmen") + Person("Horn", "Udo", "Eck,Olaf"));
  const QStringList keys = {"Adam,Eva", "Berg,Ute", "Christ,Max", "Dorn,Ida",
                            "Eck,Olaf", "Fink,Lea", "Gross,Tim",  "Horn,Udo"};

  EXPECT_EQ(
      Shape(mainwindow::BuildCompanyTree(records, keys)),
      QStringList({"Zeta", "  Adam,Eva", "  Eck,Olaf", QString::fromUtf8("Keiner Firma zugehörig"),
                   "  Berg,Ute", "  Fink,Lea", "ACME", "  Christ,Max", "Acme", "  Dorn,Ida",
                   "Firmen", "  Gross,Tim", "Eck,Olaf", "  Horn,Udo"}));
}

TEST(CompanyTree, recordWithoutSection_isFiledUnderErrorWithItsKey) {
  const store::RecordStore records(Person("Adam", "Eva", "Zeta"));
  const mainwindow::CompanyTree tree =
      mainwindow::BuildCompanyTree(records, {"Adam,Eva", "Weg,Ist"});

  ASSERT_EQ(tree.CompanyCount(), 2);
  EXPECT_EQ(tree.CompanyText(1), "Error");
  ASSERT_EQ(tree.MemberCount(1), 1);
  EXPECT_EQ(tree.MemberText(1, 0), "Error,Error");
  EXPECT_EQ(tree.MemberKey(1, 0), "Weg,Ist");
}

// Companies are grouped by the text the tree shows: a stored "Error" joins the records without
// a section, a stored "Keiner Firma zugehörig" joins the records without a company, and
// companies with characters beyond ASCII are told apart and shown exactly.
TEST(CompanyTree, groupsByShownText_withUmlautsAndTheTwoStandInTexts) {
  const store::RecordStore records(
      Person("Adam", "Eva", "M\xFCller AG") + Person("Berg", "Ute", "Error") +
      Person("Christ", "Max", "") + Person("Dorn", "Ida", "Keiner Firma zugeh\xF6rig") +
      Person("Eck", "Olaf", "MULLER AG") + Person("Fink", "Lea", "M\xFCller AG"));
  const QStringList keys = {"Adam,Eva", "Berg,Ute", "Christ,Max", "Dorn,Ida",
                            "Eck,Olaf", "Fink,Lea", "Weg,Ist"};

  EXPECT_EQ(Shape(mainwindow::BuildCompanyTree(records, keys)),
            QStringList({QString::fromUtf8("Müller AG"), "  Adam,Eva", "  Fink,Lea", "Error",
                         "  Berg,Ute", "  Error,Error", QString::fromUtf8("Keiner Firma zugehörig"),
                         "  Christ,Max", "  Dorn,Ida", "MULLER AG", "  Eck,Olaf"}));
}

// The member text is read from the record, not copied from the key: a key listed in other
// letter case than its section shows the stored spelling, and keeps its own key for the click.
TEST(CompanyTree, memberText_isTheStoredNameAndFirstName_keyStaysAsListed) {
  const store::RecordStore records(Person("M\xFCller", "J\xF6rg", "Zeta"));
  const mainwindow::CompanyTree tree =
      mainwindow::BuildCompanyTree(records, {QString::fromUtf8("MÜLLER,JÖRG")});

  ASSERT_EQ(tree.CompanyCount(), 1);
  ASSERT_EQ(tree.MemberCount(0), 1);
  EXPECT_EQ(tree.MemberText(0, 0), QString::fromUtf8("Müller,Jörg"));
  EXPECT_EQ(tree.MemberKey(0, 0), QString::fromUtf8("MÜLLER,JÖRG"));
}
