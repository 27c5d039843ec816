// The enabled flags, ticks and contents of the report generator after each command.
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>
#include <functional>

#include <QApplication>
#include <QDir>

#include "store/addressbook.h"
#include "store/fileio.h"
#include "tests/reports/form8_fixture.h"

using namespace reporttest;

namespace {

// One row of the state table: controls (widgets or menu items) that share their state.
struct Row {
  QStringList names;
};

const Row kSave{{"ToolbarButton975", "Reportspeichernunter1"}};
const Row kPrint{{"ToolbarButton971", "Reportdrucken1"}};
const Row kBuildItem{{"AusmarkiertenDatenBerichterstellen1"}};
const Row kEditReport{{"ToolbarButton976"}};
const Row kNotebook{{"TabbedNotebook1"}};
const Row kBuildButton{{"ToolbarButton973"}};
const Row kOtherBuildButtons{{"ToolbarButton9712", "ToolbarButton9713"}};
const Row kSelection{{"CheckListBox1", "CheckListBox2", "CheckBox1", "Label2"}};
const Row kSelectAll{{"CheckBox2", "CheckBox3"}};
const Row kAlwaysOn{{"ToolbarButton972", "ToolbarButton974", "ToolbarButton9711", "Label1",
                     "NeuenReporterstellen1", "Reportffnen1", "Reportgeneratorbeenden1",
                     "Schriftdialog1"}};
const Row kAlwaysOff{{"ToolbarButton977", "ToolbarButton978", "ToolbarButton979",
                      "ToolbarButton9710", "Rckgngig1", "Kopieren1", "Kopieren2", "Einfgen1"}};

struct Expected {
  bool save, print, buildItem, editReport, notebook, buildButton, otherBuildButtons, selection,
      selectAll, readOnly, editReportDown;
};

struct Scenario {
  const char* name;
  std::function<void(Form8Test&)> steps;
  Expected expected;
};

}  // namespace

class Form8StateTable : public Form8Test {
 public:
  bool Enabled(const QString& name) const {
    const QByteArray latin = name.toLatin1();
    if (QAction* action = form->findChild<QAction*>(name))
      return action->isEnabled();
    QWidget* widget = form->findChild<QWidget*>(name);
    EXPECT_NE(widget, nullptr) << latin.constData();
    // The control's own flag: a control inside a disabled notebook keeps its own flag on.
    return widget && !widget->testAttribute(Qt::WA_ForceDisabled);
  }

  void ExpectRow(const Row& row, bool enabled, const char* scenario) const {
    for (const QString& name : row.names) {
      EXPECT_EQ(Enabled(name), enabled) << scenario << ": " << name.toStdString();
    }
  }

  void ExpectState(const Expected& e, const char* scenario) const {
    ExpectRow(kSave, e.save, scenario);
    ExpectRow(kPrint, e.print, scenario);
    ExpectRow(kBuildItem, e.buildItem, scenario);
    ExpectRow(kEditReport, e.editReport, scenario);
    ExpectRow(kNotebook, e.notebook, scenario);
    ExpectRow(kBuildButton, e.buildButton, scenario);
    ExpectRow(kOtherBuildButtons, e.otherBuildButtons, scenario);
    ExpectRow(kSelection, e.selection, scenario);
    ExpectRow(kSelectAll, e.selectAll, scenario);
    ExpectRow(kAlwaysOn, true, scenario);
    ExpectRow(kAlwaysOff, false, scenario);
    EXPECT_EQ(Get<QPlainTextEdit>("RichEdit1")->isReadOnly(), e.readOnly) << scenario;
    EXPECT_EQ(Button("ToolbarButton976")->isChecked(), e.editReportDown) << scenario;
  }
};

TEST_F(Form8StateTable, everyCommandLeavesTheTabledEnabledFlags) {
  const QString report = dir.File("bericht.txt");
  auto show = [](Form8Test& t) { t.Show(); };
  auto newReport = [](Form8Test& t) {
    t.Show();
    t.NewReport();
  };
  auto built = [](Form8Test& t) {
    t.Show();
    t.NewReport();
    t.Build();
  };
  const Scenario scenarios[] = {
      {"created", [](Form8Test&) {}, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
      {"shown", show, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
      {"new report", newReport, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
      {"build", built, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0}},
      {"build, build again by F12",
       [&](Form8Test& t) {
         built(t);
         t.Build();
       },
       {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0}},
      {"build, open",
       [&](Form8Test& t) {
         built(t);
         t.SaveAs(report);
         t.Open(report);
       },
       {1, 1, 1, 1, 0, 1, 0, 1, 1, 1, 0}},
      {"build, save",
       [&](Form8Test& t) {
         built(t);
         t.SaveAs(report);
       },
       {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0}},
      {"open on first showing",
       [&](Form8Test& t) {
         t.Show();
         t.dir.Write("bericht.txt", "Zeile\r\n");
         t.Open(report);
       },
       {1, 1, 1, 1, 1, 1, 0, 1, 1, 0, 0}},
      {"open on first showing, save",
       [&](Form8Test& t) {
         t.Show();
         t.dir.Write("bericht.txt", "Zeile\r\n");
         t.Open(report);
         t.SaveAs(report);
       },
       {1, 1, 1, 1, 1, 1, 0, 1, 1, 0, 0}},
      {"edit report pressed, build, save keep it pressed",
       [&](Form8Test& t) {
         newReport(t);
         t.Click("ToolbarButton976");
         t.Build();
         t.SaveAs(report);
       },
       {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1}},
      {"edit report pressed, open releases it",
       [&](Form8Test& t) {
         newReport(t);
         t.Click("ToolbarButton976");
         t.SaveAs(report);
         t.Open(report);
       },
       {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
      {"build, close, show again keeps the flags",
       [&](Form8Test& t) {
         built(t);
         t.dialogs.AnswerNext("&Nein");
         t.form->close();
         t.Show();
       },
       {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0}},
      {"build, open, new report",
       [&](Form8Test& t) {
         built(t);
         t.SaveAs(report);
         t.Open(report);
         t.NewReport();
       },
       {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
  };
  for (const Scenario& scenario : scenarios) {
    form = std::make_unique<TForm8>([this] { return mainList; },
                                    std::make_shared<store::AddressBook>(dir.Path()));
    scenario.steps(*this);
    ExpectState(scenario.expected, scenario.name);
  }
}

TEST_F(Form8Test, afterBuildAndOpen_selectionStaysInoperableInsideDisabledNotebook) {
  Show();
  NewReport();
  Build();
  EXPECT_FALSE(Box("CheckBox2")->isEnabled());
  SaveAs(dir.File("r.txt"));
  Open(dir.File("r.txt"));
  EXPECT_FALSE(List("CheckListBox1")->isEnabled());
  EXPECT_FALSE(Button("ToolbarButton973")->isEnabled());
  NewReport();
  EXPECT_TRUE(List("CheckListBox1")->isEnabled());
  EXPECT_TRUE(Button("ToolbarButton973")->isEnabled());
}

TEST_F(Form8Test, created_layoutCaptionsAndTicks) {
  EXPECT_EQ(form->windowTitle(), "Reportgenerator");
  EXPECT_EQ(form->size(), QSize(983, 453));
  EXPECT_EQ(form->pos(), QPoint(148, 165));
  auto* notebook = Get<QTabWidget>("TabbedNotebook1");
  EXPECT_EQ(notebook->count(), 3);
  EXPECT_EQ(notebook->tabText(0), "Kategorien");
  EXPECT_EQ(notebook->tabText(1), "Datens\u00e4tze");
  EXPECT_EQ(notebook->tabText(2), "Weitere Optionen");
  EXPECT_EQ(notebook->currentIndex(), 0);
  auto* pages = Get<QTabWidget>("PageControl1");
  EXPECT_EQ(pages->tabText(0), "Tabelle");
  EXPECT_EQ(pages->tabText(1), "Blockansicht");
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_FALSE(form->TablePageCurrent());
  EXPECT_EQ(Texts(List("CheckListBox1")),
            QStringList({"Name", "Vorname", "Position", "KZeichen/Abtlg", "Firma", "Stra\u00dfe",
                         "PLZ", "Ort", "Telefon1", "Telefon2", "Fax", "Mobiltelefon", "E-Mail",
                         "Kurzwahl", "Int. Rufnr."}));
  EXPECT_TRUE(Checked(List("CheckListBox1")).isEmpty());
  EXPECT_EQ(List("CheckListBox2")->count(), 0);
  EXPECT_TRUE(Box("CheckBox2")->isChecked());
  EXPECT_TRUE(Box("CheckBox3")->isChecked());
  EXPECT_FALSE(Box("CheckBox1")->isChecked());
  EXPECT_EQ(Box("CheckBox1")->text(), "Nur Datens\u00e4tze mit Interner ");
  EXPECT_EQ(Get<QLabel>("Label2")->text(), "Rufnummer \u00fcbernehmen");
  EXPECT_EQ(form->GridData(), reports::Grid::Reset());
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_FALSE(form->BlockModified());
  EXPECT_EQ(Action("AusmarkiertenDatenBerichterstellen1")->shortcut(), QKeySequence(Qt::Key_F12));

  const std::pair<const char*, const char*> tooltips[] = {
      {"ToolbarButton972", "Neuen Report erstellen"},
      {"ToolbarButton974", "Report \u00f6ffnen"},
      {"ToolbarButton975", "Report speichern"},
      {"ToolbarButton971", "Report drucken"},
      {"ToolbarButton977", "Ausschneiden"},
      {"ToolbarButton978", "Kopieren"},
      {"ToolbarButton979", "Einf\u00fcgen"},
      {"ToolbarButton9710", "R\u00fcckg\u00e4ngig"},
      {"ToolbarButton9711", "Schriftart \u00e4ndern"},
      {"ToolbarButton976", "Bericht bearbeiten"},
      {"ToolbarButton973", ""},
      {"ToolbarButton9712", ""},
      {"ToolbarButton9713", ""}};
  for (const auto& [name, tooltip] : tooltips) {
    auto* button = Get<QToolButton>(name);
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(tooltip)) << name;
    EXPECT_FALSE(button->icon().isNull()) << name;
    EXPECT_FALSE(button->icon().pixmap(16).toImage().isNull()) << name;
    EXPECT_TRUE(button->autoRaise()) << name;
  }
}

TEST_F(Form8Test, shown_refillsRecordsTicksEverythingAndEmptiesBothViews) {
  Show();
  NewReport();
  Build();
  Get<QTabWidget>("TabbedNotebook1")->setCurrentIndex(2);
  dialogs.AnswerNext("&Nein");
  form->close();
  mainList.append("Neu,Nina");
  Show();

  EXPECT_EQ(Texts(List("CheckListBox2")), mainList);
  EXPECT_EQ(Checked(List("CheckListBox2")), mainList);
  EXPECT_EQ(Checked(List("CheckListBox1")).size(), 15);
  EXPECT_TRUE(Box("CheckBox2")->isChecked());
  EXPECT_TRUE(Box("CheckBox3")->isChecked());
  EXPECT_FALSE(Box("CheckBox1")->isChecked());
  EXPECT_EQ(Get<QTabWidget>("TabbedNotebook1")->currentIndex(), 0);
  EXPECT_EQ(form->GridData(), reports::Grid::Reset());
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_FALSE(form->BlockModified());
}

// A report of every record holds a few hundred megabytes in its grid, its blocks and its record
// list; a closed window that kept them would hold them until the program ends.
TEST_F(Form8Test, closed_keepsNeitherTheReportNorTheRecordList) {
  Show();
  NewReport();
  Build();
  SaveAs(dir.File("r.txt"));
  ASSERT_EQ(form->GridRowCount(), 4);
  form->close();
  ASSERT_FALSE(form->isVisible());

  EXPECT_EQ(form->GridData(), reports::Grid::Reset());
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_EQ(form->BlockDocument()->characterCount(), 1);
  EXPECT_EQ(List("CheckListBox2")->count(), 0);

  Show();
  EXPECT_EQ(Texts(List("CheckListBox2")), mainList);
}

TEST_F(Form8Test, opened_untickEverySelection_built_keepsTicks) {
  Show();
  NewReport();
  SetChecked("CheckListBox1", 3, false);
  Box("CheckBox1")->setChecked(true);
  Build();
  EXPECT_EQ(Checked(List("CheckListBox1")).size(), 14);
  EXPECT_TRUE(Box("CheckBox1")->isChecked());
  EXPECT_TRUE(form->BlockModified());

  SaveAs(dir.File("r.txt"));
  Open(dir.File("r.txt"));
  EXPECT_TRUE(Checked(List("CheckListBox1")).isEmpty());
  EXPECT_TRUE(Checked(List("CheckListBox2")).isEmpty());
  EXPECT_FALSE(Box("CheckBox1")->isChecked());
  EXPECT_FALSE(Box("CheckBox2")->isChecked());
  EXPECT_FALSE(Box("CheckBox3")->isChecked());
  EXPECT_EQ(Get<QTabWidget>("TabbedNotebook1")->currentIndex(), 0);
}

TEST_F(Form8Test, selectAll_singleUntickKeepsBox_boxClickUnticksAll) {
  Show();
  NewReport();
  SetChecked("CheckListBox1", 0, false);
  EXPECT_TRUE(Box("CheckBox2")->isChecked());
  Click("CheckBox2");
  EXPECT_TRUE(Checked(List("CheckListBox1")).isEmpty());
  Click("CheckBox2");
  EXPECT_EQ(Checked(List("CheckListBox1")).size(), 15);
  Click("CheckBox3");
  EXPECT_TRUE(Checked(List("CheckListBox2")).isEmpty());
  EXPECT_EQ(Checked(List("CheckListBox1")).size(), 15);
}

TEST_F(Form8Test, emptyMainList_emptyRecordList_selectAllChangesNothing) {
  mainList.clear();
  Show();
  NewReport();
  Click("CheckBox3");
  Click("CheckBox3");
  EXPECT_EQ(List("CheckListBox2")->count(), 0);
  Build();
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_EQ(form->GridRowCount(), 2);
  EXPECT_EQ(form->GridCell(1, 0), "Name");
}

TEST_F(Form8Test, closeQuestion_onlyForUnsavedBuild_answersDecide) {
  Show();
  form->close();
  EXPECT_TRUE(dialogs.boxes.isEmpty());
  EXPECT_FALSE(form->isVisible());

  Show();
  NewReport();
  Build();
  dialogs.AnswerNext("Abbrechen");
  form->close();
  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes[0].caption, "Best\u00e4tigen");
  EXPECT_EQ(dialogs.boxes[0].text, "\u00c4nderungen in diesem Report speichern ?");
  EXPECT_EQ(dialogs.boxes[0].buttons, QStringList({"&Ja", "&Nein", "Abbrechen"}));
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->BlockModified());

  // "Ja" with a cancelled save dialog loses the report and closes.
  dialogs.AnswerNext("&Ja");
  Trigger("Reportgeneratorbeenden1");
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(dialogs.fileDialogs.size(), 1);
}

TEST_F(Form8Test, closeQuestion_yesWithFailedSave_refusesTheClose) {
  Show();
  NewReport();
  Build();
  const QString report = dir.File("r.txt");
  store::SetFaultHook([](store::FileOp op, const QString& path) {
    return op == store::FileOp::Write && path.endsWith(".sgr");
  });
  dialogs.AnswerNext("&Ja");
  dialogs.fileAnswers.enqueue(report);
  form->close();
  store::SetFaultHook({});
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->BlockModified());
  EXPECT_EQ(dialogs.Texts().last(), "nach " + QDir::toNativeSeparators(dir.File("r.sgr")) +
                                        " kann nicht geschrieben werden");
}

TEST_F(Form8Test, savedOrOpenedReport_closesWithoutQuestion) {
  Show();
  NewReport();
  Build();
  SaveAs(dir.File("r.txt"));
  form->close();
  EXPECT_FALSE(form->isVisible());
  Show();
  Open(dir.File("r.txt"));
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(Form8Test, newReport_cancelKeepsReport_noDiscards) {
  Show();
  NewReport();
  Build();
  const QStringList lines = form->BlockLines();
  dialogs.AnswerNext("Abbrechen");
  NewReport();
  EXPECT_EQ(form->BlockLines(), lines);
  EXPECT_EQ(form->GridRowCount(), 4);
  EXPECT_FALSE(Get<QWidget>("TabbedNotebook1")->isEnabled());

  dialogs.AnswerNext("&Nein");
  NewReport();
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_EQ(form->GridData(), reports::Grid::Reset());
  EXPECT_FALSE(form->BlockModified());
  EXPECT_TRUE(Get<QWidget>("TabbedNotebook1")->isEnabled());
}

TEST_F(Form8Test, font_appliesToBothViews_cancelChangesNothing) {
  Show();
  const QFont before = form->BlockFont();
  Click("ToolbarButton9711");
  EXPECT_EQ(form->BlockFont(), before);
  const QFont chosen(QStringLiteral("Courier"), 12);
  dialogs.fontAnswers.enqueue(chosen);
  Trigger("Schriftdialog1");
  EXPECT_EQ(dialogs.fontDialogs, 2);
  EXPECT_EQ(form->BlockFont().family(), chosen.family());
  EXPECT_EQ(form->BlockFont().pointSize(), 12);
  EXPECT_EQ(form->GridFont().pointSize(), 12);
}

TEST_F(Form8Test, resize_pageControlFollowsWindowWidth) {
  Show();
  form->resize(1100, 500);
  EXPECT_EQ(Get<QWidget>("PageControl1")->width(), 1100 - 262);
  EXPECT_EQ(Get<QWidget>("PageControl1")->height(), 281);
}

TEST_F(Form8Test, firstShowing_blockViewWritable_newReportMakesItReadOnly) {
  Show();
  auto* edit = Get<QPlainTextEdit>("RichEdit1");
  EXPECT_FALSE(edit->isReadOnly());
  edit->setFocus();
  edit->insertPlainText("getippt");
  EXPECT_TRUE(form->BlockModified());
  dialogs.AnswerNext("&Nein");
  NewReport();
  EXPECT_TRUE(edit->isReadOnly());
  Show();
  EXPECT_TRUE(edit->isReadOnly());
}

TEST_F(Form8Test, editCommands_reachTheFocusedControl) {
  Show();
  QApplication::setActiveWindow(form.get());
  auto* edit = Get<QPlainTextEdit>("RichEdit1");
  edit->setFocus();
  edit->setPlainText("abc");
  edit->selectAll();
  form->ToolbarButton977Click();  // cut
  EXPECT_EQ(edit->toPlainText(), "");
  form->ToolbarButton9710Click();  // undo
  EXPECT_EQ(edit->toPlainText(), "abc");
}
