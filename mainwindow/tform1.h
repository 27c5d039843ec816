#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "mainwindow/dialogsink.h"
#include "platform/dialogs.h"
#include "store/addressbook.h"
#include "store/fieldtable.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QToolButton;
class QTreeView;

namespace store {
class RecordStore;
class SearchCache;
}  // namespace store

namespace mainwindow {
class CompanyTreeModel;
class EntryListModel;
}  // namespace mainwindow

// The main window: the sorted list of record keys and the editor of one address record.
//
// The window has three states, told apart only by enabled flags: browsing, new entry and
// edit. An entry is under way exactly when the finish button Button1 is enabled.
//
// The address book is that of the program's data directory (the directory of its executable);
// tests pass one on a temporary directory. The window asks it for every data file it reads or
// changes.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(std::shared_ptr<store::AddressBook> book, QWidget* parent = nullptr);
  ~TForm1() override;

  const std::shared_ptr<store::AddressBook>& Book() const { return book_; }

  // The entries of ListBox1 in list order (record keys, or decorated entries in the
  // internal-number view). The report generator reads them.
  QStringList ListEntries() const;

  // Run by the report command after the list was refreshed (opens the report generator),
  // and by the info command (opens the info dialog). Empty hooks do nothing.
  void SetReportGeneratorHook(std::function<void()> hook) {
    reportGeneratorHook_ = std::move(hook);
  }
  void SetInfoHook(std::function<void()> hook) { infoHook_ = std::move(hook); }
  // Run when the window closes, once the close question (if any) let it close: the place to
  // store the placement of the windows.
  void SetClosingHook(std::function<void()> hook) { closingHook_ = std::move(hook); }

  // Shared operations on the window, also used by the views and data commands.
  void ClearEditFields();
  void EnableEditFields(bool enabled);
  void SetEntryToolbar();
  void SetBrowseToolbar();
  // Reads the fifteen values of the record key from the record store into the edit fields;
  // a missing section or key shows "Error". Sets the update-notice flag when the key is no
  // longer listed in the name index on disk.
  void ShowRecord(const QString& key);
  // Shows the update notice when ShowRecord set the flag: the entry the user chose is no
  // longer a live record, so the message is shown, the fields are emptied and the shown list
  // is rebuilt from the name index. Run after ShowRecord by the list and the tree.
  void TestUpdateNotice();
  // Shows the update notice at once: a command found that its record is no longer live.
  void GiveUpdateNotice();
  // Compares the shown list with the name index on disk and reloads it when another
  // workstation changed it. True when the list was reloaded. unreadable, when given, tells
  // whether the name index could not be read (the user has been told).
  bool RefreshNameList(bool* unreadable = nullptr);

  // ListBox1 helpers. Entries are always kept sorted with store::SortKeys order; selecting
  // from the program never raises ListBox1Click.
  void SetListEntries(const QStringList& sortedEntries);
  void InsertListEntry(const QString& entry);  // at its sorted place, not selected
  void RemoveListEntry(int row);               // selects nothing in its place
  QString ListEntry(int row) const;
  // The record key of the entry at row: the internal-number view's entries lose their
  // decoration; an entry of the name view is the key itself.
  QString ListEntryKey(int row) const;
  int SelectedListIndex() const;    // -1 when nothing is selected
  void SelectListIndex(int index);  // -1 clears the selection
  // Selects the entry equal to text ignoring letter case; none when absent.
  void SelectListEntry(const QString& text);
  // Reloads ListBox1 with the plain record keys of the name index on disk.
  void ReloadNameList();
  // The name index on disk, sorted (the address book's load, without decoding it again when it
  // is unchanged since the last load).
  store::LoadResult LoadNames();

  bool EntryUnderway() const;

  // Runs a menu item's command from the program: it takes effect only while the item is
  // enabled.
  static void RunMenuItem(QAction* item);

  // Handlers: toolbar of Panel1.
  void ToolbarButton971Click();   // new record
  void ToolbarButton972Click();   // edit record
  void ToolbarButton974Click();   // report generator
  void ToolbarButton975Click();   // cut
  void ToolbarButton976Click();   // copy
  void ToolbarButton977Click();   // paste
  void ToolbarButton978Click();   // undo
  void ToolbarButton973Click();   // CSV export
  void ToolbarButton9711Click();  // cancel entry
  void Button1Click();            // finish entry: save
  // Toolbar of Panel2.
  void Button3Click();            // internal-number view on or off (reads the down state)
  void ToolbarButton9712Click();  // company tree on or off (reads the down state)
  void ToolbarButton9713Click();  // expand or collapse the whole tree (reads the down state)
  void ToolbarButton9710Click();  // edit record
  void ToolbarButton979Click();   // delete: runs the popup item Lschen1
  // Menus.
  void Beenden1Click();
  void Info1Click();
  void Bearbeiten1Click();                          // popup: edit record
  void Lschen1Click();                              // popup: soft delete of the selected record
  void Lschen2Click();                              // main menu: runs the popup item Lschen1
  void GelschteDatenstzeendgltigverwerfen1Click();  // purge deleted records
  void G1Click();                                   // restore dialog
  void VerwaisteDatenstzewiederherstellen1Click();  // restore dialog for orphaned records
  // List and tree.
  void ListBox1Click();
  void ListBox1MouseDown(Qt::MouseButton button, const QPoint& pos);
  void TreeView1Click();

  // The key press of every edit field (EVornameKeyPress, ... EIRufKeyPress): Enter moves to
  // the next field in editor order; in EIRuf it finishes the entry.
  void EditKeyPress(int field, int key);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Layout (tform1_layout.cpp).
  void CreateControls();
  void CreateMainToolbar();
  void CreateListToolbar();
  void CreateEditor(QWidget* editorPanel);
  void CreateMenus();
  void ConnectHandlers();
  QToolButton* AddToolButton(QWidget* parent, const char* name, int left, int top,
                             const QString& hint, const char* themeIcon, const char* fallback);
  QAction* AddMenuItem(QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& shortcut, bool enabled);

  // Geometry rules.
  void FormResize();
  void Panel3Resize();
  // Asked when the window closes; true when it may close.
  bool FormCloseQuery();

  // Edit cycle (tform1_editcycle.cpp).
  void SetStateControls(bool entry);
  void EnableSelectionCommands(bool enabled);  // edit and delete of the selected entry
  void ShowNameView();  // leaves the company and the internal-number views, if shown
  void SendEditCommand(const std::function<void(QLineEdit*)>& command);
  // Puts the key of the record under edit back into the name index and the shown list.
  // False (after an error box) when the name index could not be written.
  bool RelistEditedRecord();
  void EnterBrowsingState();

  // Saving (tform1_save.cpp).
  void ComposeEditTexts();
  store::RecordValues EditValues() const;
  // True when the record was saved.
  bool SaveEntry();
  bool WriteRecord(const QString& key, const store::RecordValues& values);
  void ListSavedKey(const QString& key);

  // Display (tform1_display.cpp): the fifteen values of key into the edit fields; false when
  // the record store holds no section for key.
  bool DisplayRecord(const QString& key);
  // False when the name index on disk no longer lists key; true also when it cannot be read,
  // which tells nothing.
  bool NameIndexHolds(const QString& key) const;

  QLineEdit* Edit(int field) const { return edits_[field]; }

  std::shared_ptr<store::AddressBook> book_;
  mainwindow::DialogSink sink_;
  std::function<void()> reportGeneratorHook_;
  std::function<void()> infoHook_;
  std::function<void()> closingHook_;
  // The record whose key was taken out of the name index when its edit began; empty when no
  // edit is under way (new entry or browsing).
  QString editKey_;
  // Whether that record had its section when the edit began: a key that is gone from the
  // record store by the time the edit is given up was purged meanwhile, and is not listed.
  bool editKeyHadRecord_ = false;
  bool updateNotice_ = false;

  // Controls, named as in the design.
  QMenu* Datei1 = nullptr;
  QMenu* Beabeiten1 = nullptr;
  QMenu* N1 = nullptr;
  QAction* NeuerDatensatzerstellen1 = nullptr;
  QAction* Datensatzbearbeiten1 = nullptr;
  QAction* Dateneingabeabbrechen1 = nullptr;
  QAction* Dateneingabebeenden1 = nullptr;
  QAction* ReporterstellenDrucken1 = nullptr;
  QAction* N3 = nullptr;
  QAction* Beenden1 = nullptr;
  QAction* Rckgngig1 = nullptr;
  QAction* Ausschneiden1 = nullptr;
  QAction* Kopieren1 = nullptr;
  QAction* Einfgen1 = nullptr;
  QAction* N4 = nullptr;
  QAction* Bearbeiten2 = nullptr;
  QAction* Lschen2 = nullptr;
  QAction* GelschteDatenstzeendgltigverwerfen1 = nullptr;
  QAction* G1 = nullptr;
  QAction* VerwaisteDatenstzewiederherstellen1 = nullptr;
  QAction* Info1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* Bearbeiten1 = nullptr;
  QAction* Lschen1 = nullptr;

  QFrame* Panel1 = nullptr;
  QFrame* Panel2 = nullptr;
  QFrame* Panel3 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QLabel* Label16 = nullptr;
  QListView* ListBox1 = nullptr;
  QTreeView* TreeView1 = nullptr;
  // What ListBox1 and TreeView1 show; owned by the window.
  mainwindow::EntryListModel* listModel_ = nullptr;
  mainwindow::CompanyTreeModel* treeModel_ = nullptr;
  // Set while the program changes the list: selections made from the program show no record.
  bool listChangingQuietly_ = false;
  std::array<QLineEdit*, store::kFieldCount> edits_{};
  std::array<QLabel*, store::kFieldCount> labels_{};

  QToolButton* ToolbarButton971 = nullptr;
  QToolButton* ToolbarButton972 = nullptr;
  QToolButton* ToolbarButton974 = nullptr;
  QToolButton* ToolbarButton975 = nullptr;
  QToolButton* ToolbarButton976 = nullptr;
  QToolButton* ToolbarButton977 = nullptr;
  QToolButton* ToolbarButton978 = nullptr;
  QToolButton* ToolbarButton973 = nullptr;
  QToolButton* ToolbarButton9711 = nullptr;
  QToolButton* Button1 = nullptr;
  QToolButton* Button3 = nullptr;
  QToolButton* ToolbarButton9712 = nullptr;
  QToolButton* ToolbarButton9713 = nullptr;
  QToolButton* ToolbarButton9710 = nullptr;
  QToolButton* ToolbarButton979 = nullptr;

  // The CSV export's save dialog: its settings, and the file name last chosen.
  platform::FileDialogSpec SaveDialog1;

  // Views and data commands: members of the internal-number view, the company tree,
  // deleting, purging, restoring and the CSV export.
  // Builds the company tree from the entries of ListBox1, all items in one go.
  void BuildTree();
  // The restore dialog "Form3", created with the window and owned by it.
  class TForm3* CreateRestoreDialog();
  class TForm3* Form3 = CreateRestoreDialog();
  // (end of views and data commands)

  // Search (tform1_search.cpp): the field above the list filters the name view as the user
  // types. While it filters, the list shows the hits; the whole name view stays behind them.
 public:
  void SearchEditChange();  // the search text changed: filter the list, or show it whole
  void Suchen1Click();      // menu "&Suchen" (Ctrl+F): focus the search field
  void SearchEditToList();  // Down or Enter in the search field: on to the list

 private:
  void CreateSearchField();
  void PlaceSearchField();
  void ClearSearch();  // empties the search field: the whole list is shown again
  void SetSearchEnabled(bool enabled);
  void ShowSearchHits();
  void ShowHitCount();
  // The whole name view while filtering, else the shown list; and a row's place in it.
  QStringList UnfilteredEntries() const;
  int UnfilteredIndex(int row) const;
  int FilteredIndex(int unfilteredIndex) const;     // -1 when that entry is not among the hits
  int UnfilteredIndexOf(const QString& key) const;  // -1 when absent
  // The list helpers' work while filtering: they change the whole list and the hits follow.
  // False (nothing done) when the search does not filter.
  bool SearchTakesList(const QStringList& sortedEntries);
  bool SearchInsert(const QString& entry);
  bool SearchRemove(int row);

  QLineEdit* SearchEdit = nullptr;  // search field
  QLabel* SearchHits = nullptr;     // number of hits, inside the search field
  QAction* Suchen1 = nullptr;       // menu item "&Suchen"
  bool filtering_ = false;
  QStringList searchAll_;           // while filtering: the whole name view
  std::vector<qint32> searchRows_;  // while filtering: each hit's row in searchAll_
  bool searchNamesFailed_ = false;  // the name index could not be read at the last key

  // vCard export and import (tform1_exchange.cpp).
 public:
  void VCardExport1Click();  // vCard export of the records of the list as shown
  void Importieren1Click();  // import of a vCard file or of this program's CSV export
  // Stands in for the import's progress dialog (tests): asked with the bytes read so far and
  // the file's size; false cancels the import.
  void SetImportProgressHook(std::function<bool(qint64, qint64)> hook) {
    importProgressHook_ = std::move(hook);
  }

 private:
  void CreateExchangeMenuItems();  // the three items of "&Datei" and their dialogs
  // Writes an export that build makes from the record store to fileName, chosen in a save
  // dialog (tform1_export.cpp). Throws store::UserError.
  void WriteExport(const QString& fileName,
                   const std::function<QByteArray(const store::RecordStore&)>& build);
  void ShowImportedRecords();     // the shown list or view, with the imported keys
  QAction* CsvExport1 = nullptr;  // the CSV export of ToolbarButton973
  QAction* VCardExport1 = nullptr;
  QAction* Importieren1 = nullptr;
  platform::FileDialogSpec SaveDialog2;  // the vCard export's save dialog
  platform::FileDialogSpec OpenDialog1;  // the import's open dialog
  std::function<bool(qint64, qint64)> importProgressHook_;
};
