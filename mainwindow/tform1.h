#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "mainwindow/namelistcache.h"
#include "platform/dialogs.h"
#include "platform/dialogsink.h"
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

namespace mainwindow {
class CompanyTreeModel;
class EntryListModel;
}  // namespace mainwindow

// The main window: the sorted list of record keys and the editor of one address record.
//
// The window has three states, told apart only by enabled flags: browsing, new entry and
// edit. An entry is under way exactly when the finish button Button1 is enabled.
//
// The data directory holds adresse.qdx, names.qdx and secure.qdx; the program passes the
// directory of its executable, tests a temporary directory.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QString dataDir, QWidget* parent = nullptr);
  ~TForm1() override;

  const QString& DataDir() const { return dataDir_; }

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
  // Compares the shown list with the name index on disk and reloads it when another
  // workstation changed it. True when the list was reloaded.
  bool RefreshNameList();

  // ListBox1 helpers. Entries are always kept sorted with store::SortKeys order; selecting
  // from the program never raises ListBox1Click.
  void SetListEntries(const QStringList& sortedEntries);
  void InsertListEntry(const QString& entry);  // at its sorted place, not selected
  void RemoveListEntry(int row);               // selects nothing in its place
  QString ListEntry(int row) const;
  int SelectedListIndex() const;    // -1 when nothing is selected
  void SelectListIndex(int index);  // -1 clears the selection
  // Selects the entry equal to text ignoring letter case; none when absent.
  void SelectListEntry(const QString& text);
  // Reloads ListBox1 with the plain record keys of the name index on disk.
  void ReloadNameList();
  // The name index on disk, sorted (store::LoadSortedList, without decoding it again when it
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

  // Enter moves to the next field in editor order; in EIRuf it finishes the entry.
  void EditKeyPress(int field, int key);
  void EVornameKeyPress(int key) { EditKeyPress(store::kVorname, key); }
  void ENameKeyPress(int key) { EditKeyPress(store::kName, key); }
  void EFirmaKeyPress(int key) { EditKeyPress(store::kFirma, key); }
  void EKurzzeichenKeyPress(int key) { EditKeyPress(store::kKurzzeichen, key); }
  void EPositionKeyPress(int key) { EditKeyPress(store::kPosition, key); }
  void EStrasseKeyPress(int key) { EditKeyPress(store::kStrasse, key); }
  void EPLZKeyPress(int key) { EditKeyPress(store::kPLZ, key); }
  void EOrtKeyPress(int key) { EditKeyPress(store::kOrt, key); }
  void ETelefon1KeyPress(int key) { EditKeyPress(store::kTelefon1, key); }
  void ETelefon2KeyPress(int key) { EditKeyPress(store::kTelefon2, key); }
  void EFaxKeyPress(int key) { EditKeyPress(store::kFax, key); }
  void EHandyKeyPress(int key) { EditKeyPress(store::kHandy, key); }
  void EEmailKeyPress(int key) { EditKeyPress(store::kEMail, key); }
  void EKurzwahlKeyPress(int key) { EditKeyPress(store::kKurzwahl, key); }
  void EIRufKeyPress(int key) { EditKeyPress(store::kIRuf, key); }

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
  void SendEditCommand(const std::function<void(QLineEdit*)>& command);
  // Puts the key of the record under edit back into the name index and the shown list.
  // False (after an error box) when the name index could not be written.
  bool RelistEditedRecord();
  void EnterBrowsingState();

  // Saving (tform1_save.cpp).
  store::RecordValues EditValues() const;
  // True when the record was saved.
  bool SaveEntry();
  bool WriteRecord(const QString& key, const store::RecordValues& values);
  void ListSavedKey(const QString& key);

  // Display (tform1_display.cpp): the fifteen values of key into the edit fields.
  void DisplayRecord(const QString& key);
  // False when the name index on disk no longer lists key; true also when it cannot be read,
  // which tells nothing.
  bool NameIndexHolds(const QString& key) const;

  QLineEdit* Edit(int field) const { return edits_[field]; }

  QString dataDir_;
  platform::DialogSink sink_;
  std::function<void()> reportGeneratorHook_;
  std::function<void()> infoHook_;
  std::function<void()> closingHook_;
  // The record whose key was taken out of the name index when its edit began; empty when no
  // edit is under way (new entry or browsing).
  QString editKey_;
  bool updateNotice_ = false;
  mainwindow::NameListCache names_;

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
};
