#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "reports/builders.h"
#include "reports/grid.h"
#include "reports/textlines.h"

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QPrinter;
class QTabWidget;
class QTableView;
class QPlainTextEdit;
class QTextDocument;
class QToolButton;
class QWidget;

class TForm12;
class TQuickReport11;

namespace reports {
class GridModel;
}

// The report generator: the user ticks fields and records, builds a table view and a block
// view of them, saves the report as a text file with a grid companion, opens it again and
// prints either view. Created once and shown modally; it keeps its state between showings.
//
// The window knows nothing of the main window: it asks `mainListEntries` for the entries of
// the main list (record keys, or decorated entries in the internal-number view) each time it
// is shown, and reads the record store of `dataDir`.
class TForm8 : public QDialog {
  Q_OBJECT

 public:
  TForm8(std::function<QStringList()> mainListEntries, QString dataDir, QWidget* parent = nullptr);
  ~TForm8() override;

  // Handlers, named after their control and event.
  void FormShow();
  bool FormCloseQuery();  // true: the window may close
  void FormResize();
  void ToolbarButton972Click();   // new report
  void ToolbarButton973Click();   // build (also the three build buttons and F12)
  void ToolbarButton974Click();   // open report
  void ToolbarButton975Click();   // save report
  void ToolbarButton971Click();   // print (tform8_print.cpp)
  void ToolbarButton9711Click();  // font dialog
  void ToolbarButton977Click();   // cut
  void ToolbarButton978Click();   // copy
  void ToolbarButton979Click();   // paste
  void ToolbarButton9710Click();  // undo
  void CheckBox2Click();
  void CheckBox3Click();
  void Reportgeneratorbeenden1Click();

  // Empties the table view: 2 by 2, one fixed row and column, all cells empty.
  void ResetGrid();
  // Rebuilds the table view from the ticked fields and records.
  void BuildTableView();

  // What the views hold, for printing and tests.
  const reports::Grid& GridData() const;
  int GridColumnCount() const;
  int GridRowCount() const;
  QString GridCell(int column, int row) const;
  QFont GridFont() const;
  QStringList BlockLines() const;
  reports::TextLines BlockText() const;
  QTextDocument* BlockDocument() const;
  QFont BlockFont() const;
  bool BlockModified() const;
  // True while PageControl1 shows "Tabelle", false while it shows "Blockansicht".
  bool TablePageCurrent() const;

  // Printing
  // The print-options dialog and the table layout, created once at start-up by the program.
  void SetPrintWindows(TForm12* form12, TQuickReport11* quickReport11);
  TForm12* PrintOptionsWindow() const { return form12_; }
  TQuickReport11* TableLayoutWindow() const { return quickReport11_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;

 private:
  enum class SaveOutcome { Saved, Cancelled, Failed };

  void CreateControls();
  void CreateMenu(QMenuBar* menuBar);
  void ConnectCommands();
  QToolButton* AddToolButton(QWidget* parent, const char* name, int x, int y,
                             const QString& tooltip, const QIcon& icon);

  reports::ReportSelection CurrentSelection() const;
  SaveOutcome SaveReport();
  // Asks about unsaved changes; false when the user cancelled or the save failed.
  bool ConfirmDiscardOrSave();
  void SetGrid(reports::Grid grid);
  void SetBlockLines(const reports::TextLines& lines);
  void AppendBlockLines(const reports::TextLines& lines);
  void SetAllChecked(QListWidget* list, bool checked);
  QList<bool> CheckedStates(QListWidget* list) const;
  void EnableSelection(bool enabled);
  void ApplyFont(const QFont& font);

  std::function<QStringList()> mainListEntries_;
  QString dataDir_;
  QStringList shownEntries_;  // the main list's entries as of the last showing
  QString lastSaveName_;
  QString lastOpenName_;
  QFont chosenFont_;
  reports::GridModel* gridModel_ = nullptr;

  QMenuBar* menuBar_ = nullptr;
  QWidget* panel1_ = nullptr;
  QToolButton* toolbarButton971_ = nullptr;
  QToolButton* toolbarButton972_ = nullptr;
  QToolButton* toolbarButton973_ = nullptr;
  QToolButton* toolbarButton974_ = nullptr;
  QToolButton* toolbarButton975_ = nullptr;
  QToolButton* toolbarButton976_ = nullptr;
  QToolButton* toolbarButton977_ = nullptr;
  QToolButton* toolbarButton978_ = nullptr;
  QToolButton* toolbarButton979_ = nullptr;
  QToolButton* toolbarButton9710_ = nullptr;
  QToolButton* toolbarButton9711_ = nullptr;
  QToolButton* toolbarButton9712_ = nullptr;
  QToolButton* toolbarButton9713_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QTabWidget* tabbedNotebook1_ = nullptr;
  QCheckBox* checkBox1_ = nullptr;
  QCheckBox* checkBox2_ = nullptr;
  QCheckBox* checkBox3_ = nullptr;
  QListWidget* checkListBox1_ = nullptr;
  QListWidget* checkListBox2_ = nullptr;
  QTabWidget* pageControl1_ = nullptr;
  QTableView* stringGrid1_ = nullptr;
  QPlainTextEdit* richEdit1_ = nullptr;  // block view; lays out only the lines it shows

  QAction* neuenReporterstellen1_ = nullptr;
  QAction* reportffnen1_ = nullptr;
  QAction* reportspeichernunter1_ = nullptr;
  QAction* reportdrucken1_ = nullptr;
  QAction* ausmarkiertenDatenBerichterstellen1_ = nullptr;
  QAction* reportgeneratorbeenden1_ = nullptr;
  QAction* rckgngig1_ = nullptr;
  QAction* kopieren1_ = nullptr;  // "Ausschneiden"
  QAction* kopieren2_ = nullptr;  // "Kopieren"
  QAction* einfgen1_ = nullptr;
  QAction* schriftdialog1_ = nullptr;

  // Printing
  TForm12* form12_ = nullptr;
  TQuickReport11* quickReport11_ = nullptr;
  // The printer PrintDialog1 sets up; made on first use, it keeps the user's choice.
  std::shared_ptr<QPrinter> printDialog1Printer_;
  void PrintBlockView();
  void PrintTableView();
};
