// The internal-number view and the company tree with data as offices have it: odd company
// values and internal numbers, many members under one company, records without a section,
// and another workstation changing the files while a view is shown.
#include <QTreeView>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;
using viewsfixtures::Section;

class ViewsOddDataTest : public MainWindowTest {
 protected:
  QStringList Companies() const {
    QStringList texts;
    for (int i = 0; i < Nodes()->rowCount(Root()); ++i)
      texts.append(Nodes()->index(i, 0, Root()).data().toString());
    return texts;
  }
  QModelIndex Company(int row) const { return Nodes()->index(row, 0, Root()); }
  QStringList Members(int company) const {
    QStringList texts;
    for (int i = 0; i < Nodes()->rowCount(Company(company)); ++i)
      texts.append(Nodes()->index(i, 0, Company(company)).data().toString());
    return texts;
  }
  QModelIndex Chosen() const {
    const QModelIndexList nodes = Tree()->selectionModel()->selectedIndexes();
    return nodes.isEmpty() ? QModelIndex() : nodes.first();
  }
  void Replace(const QByteArray& names, const QByteArray& records) {
    data.Write(QStringLiteral("names.qdx"), names);
    data.Write(QStringLiteral("adresse.qdx"), records);
  }
};

TEST_F(ViewsOddDataTest, companyValues_oddOnes_giveTheirNodes_andEachMemberShowsItsRecord) {
  const QByteArray longCompany(1023, 'L');
  const QByteArray names =
      "A,a\r\nB,b\r\nC,c\r\nD,d\r\nE,e\r\nF,f\r\nG,g\r\nH,h\r\nI,i\r\nJ,j\r\nK,k\r\nL,l\r\n";
  const QByteArray records =
      Person("A", "a", "") + Person("B", "b", "   ") + Person("C", "c", "M\xDCLLER GmbH") +
      Person("D", "d", "M\xFCller GmbH") + Person("E", "e", "Mueller GmbH") +
      Person("F", "f", "A]B") + Person("G", "g", "A;B") + Person("H", "h", "  Acme  ") +
      Person("I", "i", "Acme") + Person("J", "j", longCompany.constData()) +
      Section("K,k", {{"Vorname", "k"}, {"Name", "K"}});  // L,l has no section
  QByteArray noFirma = records;
  noFirma.replace("[K,k]\r\nVorname=k\r\nName=K\r\nPosition=\r\nKurzzeichen=\r\nFirma=\r\n",
                  "[K,k]\r\nVorname=k\r\nName=K\r\nPosition=\r\nKurzzeichen=\r\n");
  Open(names, noFirma);
  Click("ToolbarButton9712");
  const QString none = QString::fromUtf8("Keiner Firma zugeh\u00f6rig");
  EXPECT_EQ(Companies(), (QStringList{none, QString::fromLatin1("M\xDCLLER GmbH"),
                                      QString::fromLatin1("M\xFCller GmbH"), "Mueller GmbH", "A]B",
                                      "A;B", "Acme", QString::fromLatin1(longCompany), "Error"}));
  EXPECT_EQ(Members(0), (QStringList{"A,a", "B,b"}));
  EXPECT_EQ(Members(6), (QStringList{"H,h", "I,i"}));
  EXPECT_EQ(Members(8), (QStringList{"K,k", "Error,Error"}));
  // Each member shows its own record.
  const QStringList order = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"};
  for (int c = 0; c < Nodes()->rowCount(Root()); ++c) {
    Tree()->expand(Company(c));
    for (int m = 0; m < Nodes()->rowCount(Company(c)); ++m) {
      const QModelIndex member = Nodes()->index(m, 0, Company(c));
      ClickNode(member);
      const QString text = member.data().toString();
      EXPECT_EQ(Edit(store::kName)->text(), text.section(',', 0, 0)) << text.toStdString();
      EXPECT_EQ(Edit(store::kVorname)->text(), text.section(',', 1)) << text.toStdString();
    }
  }
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(ViewsOddDataTest, internalNumbers_oddOnes_listedAsStored_andEachEntryShowsItsRecord) {
  const QByteArray longNumber(1023, '7');
  Open("A,a\r\nB,b\r\nC,c\r\nD,d\r\nE,e\r\nF,f\r\nG,g\r\n",
       Person("A", "a", "X", "") + Person("B", "b", "X", "   ") +
           Person("C", "c", "X", "Zentrale") + Person("D", "d", "X", longNumber.constData()) +
           Person("E", "e", "X", "12") + Person("F", "f", "X", "12"));
  Click("Button3");
  EXPECT_EQ(Entries(), (QStringList{"C,c @ Zentrale", "D,d @ " + QString::fromLatin1(longNumber),
                                    "E,e @ 12", "F,f @ 12", "G,g @ Error"}));
  for (int row = 0; row < Entries().size(); ++row) {
    ClickRow(row);
    EXPECT_EQ(Edit(store::kName)->text() + "," + Edit(store::kVorname)->text(),
              Entries().at(row).section(" @ ", 0, 0) == "G,g"
                  ? "Error,Error"
                  : Entries().at(row).section(" @ ", 0, 0));
  }
  // F5 on a chosen entry edits that record and no other.
  ClickRow(3);
  Trigger("Bearbeiten2");
  ASSERT_TRUE(form->EntryUnderway());
  EXPECT_EQ(Edit(store::kName)->text(), "F");
  EXPECT_EQ(Names(), "A,a\r\nB,b\r\nC,c\r\nD,d\r\nE,e\r\nG,g\r\n");
  Trigger("Dateneingabeabbrechen1");
  EXPECT_EQ(Names(), "A,a\r\nB,b\r\nC,c\r\nD,d\r\nE,e\r\nF,f\r\nG,g\r\n");
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(ViewsOddDataTest, fiveThousandMembers_keysShowTheNodeChosen) {
  QByteArray names;
  QByteArray records;
  for (int i = 0; i < 5000; ++i) {
    const QByteArray name = "N" + QByteArray::number(10000 + i);
    names += name + ",V\r\n";
    records += Person(name.constData(), "V", "Gross AG");
  }
  Open(names, records);
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  Click("ToolbarButton9712");
  ASSERT_EQ(Members(0).size(), 5000);
  Click("ToolbarButton9713");  // all open
  Tree()->setFocus();
  QTest::keyClick(Tree(), Qt::Key_End);
  EXPECT_EQ(Edit(store::kName)->text(), "N14999");
  QTest::keyClick(Tree(), Qt::Key_Up);
  EXPECT_EQ(Edit(store::kName)->text(), "N14998");
  QTest::keyClick(Tree(), Qt::Key_Escape);
  EXPECT_EQ(Edit(store::kName)->text(), "N14998");
  EXPECT_EQ(Chosen().data().toString(), "N14998,V");
  QTest::keyClick(Tree(), Qt::Key_Home);
  EXPECT_EQ(Edit(store::kName)->text(), "");
  QTest::keyClick(Tree(), Qt::Key_Down);
  QTest::keyClick(Tree(), Qt::Key_Down);
  EXPECT_EQ(Edit(store::kName)->text(), "N10000");
  QTest::keyClick(Tree(), Qt::Key_Left);  // to the company
  QTest::keyClick(Tree(), Qt::Key_Left);  // folds it
  EXPECT_EQ(Edit(store::kName)->text(), "");
  Click("ToolbarButton9712");
  EXPECT_EQ(form->SelectedListIndex(), -1);
}

// Another workstation changes the files between the tree's build and the user's click.
TEST_F(ViewsOddDataTest, treeShown_memberAddedAndOneDeletedElsewhere_clickShowsTheRightRecord) {
  Open("A,a\r\nB,b\r\nC,c\r\n",
       Person("A", "a", "Zeta") + Person("B", "b", "Zeta") + Person("C", "c", "Zeta"));
  Click("ToolbarButton9712");
  Tree()->expand(Company(0));
  // B deleted, AA added to Zeta elsewhere.
  Replace("A,a\r\nAA,x\r\nC,c\r\n", Person("A", "a", "Zeta") + Person("AA", "x", "Zeta") +
                                        Person("B", "b", "Zeta") + Person("C", "c", "Zeta"));
  ClickNode(Nodes()->index(2, 0, Company(0)));  // C,c
  EXPECT_EQ(Edit(store::kName)->text(), "C");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  Click("ToolbarButton9712");
  EXPECT_EQ(Entries(), (QStringList{"A,a", "AA,x", "C,c"}));
  ASSERT_EQ(form->SelectedListIndex(), 2);
  Trigger("Bearbeiten2");
  ASSERT_TRUE(form->EntryUnderway());
  EXPECT_EQ(Edit(store::kName)->text(), "C");
  Trigger("Dateneingabeabbrechen1");

  Click("ToolbarButton9712");
  Tree()->expand(Company(0));
  ClickNode(Nodes()->index(1, 0, Company(0)));  // AA,x
  Replace("A,a\r\nC,c\r\n", Person("A", "a", "Zeta") + Person("C", "c", "Zeta"));
  ClickNode(Nodes()->index(1, 0, Company(0)));  // AA,x, deleted meanwhile
  EXPECT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(FieldTexts().join(QString()), "");
  Click("ToolbarButton9712");
  EXPECT_EQ(form->SelectedListIndex(), -1);
}

TEST_F(ViewsOddDataTest, internalNumberView_shownRecordDeletedElsewhere_f5AndF8ActOnNoOther) {
  Open("A,a\r\nB,b\r\nC,c\r\n",
       Person("A", "a", "Z", "1") + Person("B", "b", "Z", "2") + Person("C", "c", "Z", "3"));
  Click("Button3");
  ClickRow(1);
  ASSERT_EQ(Edit(store::kName)->text(), "B");
  Replace("A,a\r\nC,c\r\n", Person("A", "a", "Z", "1") + Person("C", "c", "Z", "3"));
  Trigger("Bearbeiten2");
  EXPECT_FALSE(form->EntryUnderway());
  EXPECT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(Names(), "A,a\r\nC,c\r\n");
  EXPECT_EQ(FieldTexts().join(QString()), "");
  EXPECT_EQ(form->SelectedListIndex(), -1);

  Click("Button3");
  if (!Button("Button3")->isChecked())
    Click("Button3");
  ClickRow(1);
  ASSERT_EQ(Edit(store::kName)->text(), "C");
  Replace("A,a\r\n", Person("A", "a", "Z", "1"));
  Trigger("Lschen2");
  EXPECT_EQ(Names(), "A,a\r\n");
  EXPECT_EQ(data.Read("secure.qdx"), "");
  EXPECT_EQ(form->SelectedListIndex(), -1);
}

// What the views list must agree with what a click shows, whatever the store holds.
TEST_F(ViewsOddDataTest, oddStore_treeAndNumbersAgreeWithTheRecordEachClickShows) {
  QByteArray names;
  QByteArray records = "; kept by hand\r\n\r\n";
  for (int i = 0; i < 3000; ++i) {
    const QByteArray n = QByteArray::number(1000 + i);
    const QByteArray key = "N" + n + ",V";
    names += key + "\r\n";
    switch (i % 12) {
      case 0:  // a header in other letter case, blanks round the name
        records += "[ n" + n + ",v ]\r\nFirma=F" + n.right(1) + "\r\nName=N" + n +
                   "\r\nVorname=V\r\nIRuf=1\r\n";
        break;
      case 1:  // key names in other letter case, blanks round the values
        records +=
            "[" + key + "]\r\nFIRMA =  Acme  \r\nname=N" + n + "\r\nvorname=V\r\niruf=  22  \r\n";
        break;
      case 2:  // the section twice: the first counts
        records += "[" + key + "]\r\nFirma=Erst\r\nName=N" + n + "\r\nVorname=V\r\nIRuf=3\r\n";
        records += "[" + key + "]\r\nFirma=Zweit\r\nName=X\r\nVorname=Y\r\nIRuf=4\r\n";
        break;
      case 3:  // a key twice in the section
        records += "[" + key + "]\r\nFirma=Eins\r\nFirma=Zwei\r\nName=N" + n +
                   "\r\nVorname=V\r\nIRuf=5\r\nIRuf=6\r\n";
        break;
      case 4:  // quoted values, a comment line, LF only
        records += "[" + key + "]\n;Firma=Nein\nFirma=\"Quote GmbH\"\nName=N" + n +
                   "\nVorname=V\nIRuf=\"7\"\n";
        break;
      case 5:  // no section at all
        break;
      case 6:  // tabs round the values, and a line without "="
        records += "[" + key + "]\r\nFirma=\tTab AG\t\r\nNotiz\r\nName=N" + n +
                   "\r\nVorname=V\r\nIRuf=\t8\r\n";
        break;
      case 7:  // a value with "]" and "=" and ";"
        records += "[" + key + "]\r\nFirma=A]B=C;D\r\nName=N" + n + "\r\nVorname=V\r\nIRuf=9;0\r\n";
        break;
      case 8:  // values longer than a field holds
        records += "[" + key + "]\r\nFirma=" + QByteArray(1500, 'F') + "\r\nName=N" + n +
                   "\r\nVorname=V\r\nIRuf=" + QByteArray(1500, '9') + "\r\n";
        break;
      case 9:  // text after the header's "]", and a NUL byte in a value
        records += "[" + key + "] alt\r\nFirma=Nul" + QByteArray(1, '\0') + "AG\r\nName=N" + n +
                   "\r\nVorname=V\r\nIRuf=10\r\n";
        break;
      default:
        records += Person(QByteArray("N" + n).constData(), "V",
                          i % 2 ? "M\xFCller GmbH" : "M\xDCLLER GmbH", i % 3 ? "" : "  ");
    }
  }
  Open(names, records);
  const store::RecordStore stored(Store());
  const QStringList keys = Entries();
  ASSERT_EQ(keys.size(), 3000);

  Click("ToolbarButton9712");
  const QString none = QString::fromUtf8("Keiner Firma zugeh\u00f6rig");
  int members = 0;
  for (int c = 0; c < Nodes()->rowCount(Root()); ++c) {
    const QString company = Company(c).data().toString();
    for (int m = 0; m < Nodes()->rowCount(Company(c)); ++m) {
      const QModelIndex node = Nodes()->index(m, 0, Company(c));
      const QString key = node.data(Qt::UserRole).toString();
      const store::RecordValues values = stored.Record(key);
      const QString expected = values[store::kFirma].isEmpty() ? none : values[store::kFirma];
      EXPECT_EQ(company, expected) << key.toStdString();
      EXPECT_EQ(node.data().toString(), values[store::kName] + "," + values[store::kVorname])
          << key.toStdString();
      ++members;
    }
  }
  EXPECT_EQ(members, 3000);
  Click("ToolbarButton9712");

  Click("Button3");
  QStringList expected;
  for (const QString& key : keys) {
    const QString number = stored.Record(key)[store::kIRuf];
    if (!number.isEmpty())
      expected.append(key + " @ " + number);
  }
  EXPECT_EQ(Entries(), expected);
}

// Keys move the choice in either view onto a record deleted elsewhere meanwhile: the user is
// told, the view is built again, and no one stays chosen.
TEST_F(ViewsOddDataTest, keyOntoARecordDeletedElsewhere_tellsAndRebuildsTheView) {
  Open("A,a\r\nB,b\r\nC,c\r\n",
       Person("A", "a", "Z", "1") + Person("B", "b", "Z", "2") + Person("C", "c", "Z", "3"));
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  Click("Button3");
  ClickRow(0);
  data.Write(QStringLiteral("names.qdx"), "A,a\r\nC,c\r\n");
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(Entries(), (QStringList{"A,a @ 1", "C,c @ 3"}));
  EXPECT_EQ(form->SelectedListIndex(), -1);
  EXPECT_EQ(FieldTexts().join(QString()), "");
  QTest::keyClick(List(), Qt::Key_End);
  EXPECT_EQ(Edit(store::kName)->text(), "C");
  Click("Button3");

  Click("ToolbarButton9712");
  Click("ToolbarButton9713");
  Tree()->setFocus();
  QTest::keyClick(Tree(), Qt::Key_End);
  ASSERT_EQ(Edit(store::kName)->text(), "C");
  data.Write(QStringLiteral("names.qdx"), "C,c\r\n");
  QTest::keyClick(Tree(), Qt::Key_Up);  // A,a, deleted meanwhile
  EXPECT_EQ(dialogs.boxes.size(), 2);
  EXPECT_EQ(Members(0), QStringList{"C,c"});
  EXPECT_FALSE(Chosen().isValid());
  EXPECT_EQ(FieldTexts().join(QString()), "");
  QTest::keyClick(Tree(), Qt::Key_End);
  EXPECT_EQ(Edit(store::kName)->text(), "");  // the company: only the root is open
}

}  // namespace
}  // namespace mainwindowtest
