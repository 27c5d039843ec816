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
#include "store/messages.h"

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
namespace store {
class AddressBook;
}

// The report generator: the user ticks fields and records, builds a table view and a block
// view of them, saves the report as a text file with a grid companion, opens it again and
// prints either view. Created once and shown modally; it keeps its state between showings.
//
// The window knows nothing of the main window: it asks `mainListEntries` for the entries of
// the main list (record keys, or decorated entries in the internal-number view) each time it
// is shown, and reads the record store through `book`. The store's messages (an unreadable
// store) are shown as message boxes over this window.
class TForm8 : public QDialog, private store::MessageSink {
  Q_OBJECT

 public:
  TForm8(std::function<QStringList()> mainListEntries, std::shared_ptr<store::AddressBook> book,
         QWidget* parent = nullptr);
  ~TForm8() override;

  // Handlers, named after their control and event.
  void FormShow();
  // The window closed: the report it showed is let go. Showing it again starts from empty
  // views anyway, and a report of every record holds a few hundred megabytes.
  void FormHide();
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
  void hideEvent(QHideEvent* event) override;
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
  QList<bool> CheckedStates(QListWidget* list) const;
  void EnableSelection(bool enabled);
  void ApplyFont(const QFont& font);
  void ShowMessage(const QString& text) override;

  std::function<QStringList()> mainListEntries_;
  std::shared_ptr<store::AddressBook> book_;
  QStringList shownEntries_;  // the main list's entries as of the last showing
  QString lastSaveName_;
  QString lastOpenName_;
  QFont chosenFont_;
  reports::GridModel* gridModel_ = nullptr;

  QMenuBar* menuBar_ = nullptr;
  QWidget* Panel1 = nullptr;
  QToolButton* ToolbarButton971 = nullptr;
  QToolButton* ToolbarButton972 = nullptr;
  QToolButton* ToolbarButton973 = nullptr;
  QToolButton* ToolbarButton974 = nullptr;
  QToolButton* ToolbarButton975 = nullptr;
  QToolButton* ToolbarButton976 = nullptr;
  QToolButton* ToolbarButton977 = nullptr;
  QToolButton* ToolbarButton978 = nullptr;
  QToolButton* ToolbarButton979 = nullptr;
  QToolButton* ToolbarButton9710 = nullptr;
  QToolButton* ToolbarButton9711 = nullptr;
  QToolButton* ToolbarButton9712 = nullptr;
  QToolButton* ToolbarButton9713 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QTabWidget* TabbedNotebook1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QListWidget* CheckListBox1 = nullptr;
  QListWidget* CheckListBox2 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QTableView* StringGrid1 = nullptr;
  QPlainTextEdit* RichEdit1 = nullptr;  // block view; lays out only the lines it shows

  QAction* NeuenReporterstellen1 = nullptr;
  QAction* Reportffnen1 = nullptr;
  QAction* Reportspeichernunter1 = nullptr;
  QAction* Reportdrucken1 = nullptr;
  QAction* AusmarkiertenDatenBerichterstellen1 = nullptr;
  QAction* Reportgeneratorbeenden1 = nullptr;
  QAction* Rckgngig1 = nullptr;
  QAction* Ausschneiden1 = nullptr;  // "Ausschneiden" (design name Kopieren1)
  QAction* Kopieren2 = nullptr;      // "Kopieren"
  QAction* Einfgen1 = nullptr;
  QAction* Schriftdialog1 = nullptr;

  // Printing
  TForm12* form12_ = nullptr;
  TQuickReport11* quickReport11_ = nullptr;
  // The printer PrintDialog1 sets up; made on first use, it keeps the user's choice.
  std::shared_ptr<QPrinter> printDialog1Printer_;
  void PrintBlockView();
  void PrintTableView();
};
