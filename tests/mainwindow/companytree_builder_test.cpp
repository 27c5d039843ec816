#include <gtest/gtest.h>

#include "mainwindow/companytree.h"
#include "store/recordstore.h"
#include "tests/mainwindow/views_fixtures.h"

using viewsfixtures::Person;

namespace {

// The tree as lines: company, then its members indented by two blanks.
QStringList Shape(const mainwindow::CompanyTree& tree) {
  QStringList lines;
  for (const auto& company : tree.companies) {
    lines.append(company.text);
    for (const auto& member : company.members)
      lines.append("  " + member.text);
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

  ASSERT_EQ(tree.companies.size(), 2);
  EXPECT_EQ(tree.companies[1].text, "Error");
  ASSERT_EQ(tree.companies[1].members.size(), 1);
  EXPECT_EQ(tree.companies[1].members[0].text, "Error,Error");
  EXPECT_EQ(tree.companies[1].members[0].key, "Weg,Ist");
}
