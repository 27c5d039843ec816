#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace store {
class AddressBook;
}

class QAction;
class QLabel;
class QListWidget;
class QPushButton;

// The restore dialog: lists the soft-deleted record keys with check boxes and moves the
// ticked ones back to the name index. The same dialog lists orphaned records (sections of the
// record store that no list names, left by a crash during an edit or by a rename) and lists
// the ticked ones in the name index again.
class TForm3 : public QDialog {
  Q_OBJECT

 public:
  // Result codes of the two buttons.
  static constexpr int kAbort = 3;
  static constexpr int kRetry = 4;

  explicit TForm3(QWidget* parent = nullptr);

  // The address book whose records the dialog lists; set before it is shown.
  void SetAddressBook(std::shared_ptr<store::AddressBook> book) { book_ = std::move(book); }
  // Which records the next opening offers.
  enum class Source { Deleted, Orphaned };
  void SetSource(Source source) { source_ = source; }
  // Run when the dialog closes, whichever way; the main window reloads its list there.
  void SetCloseAction(std::function<void()> action) { closeAction_ = std::move(action); }

  // Fills the list, shows the dialog modally through the dialog seam, then runs FormClose.
  int Execute();

  void FormShow();
  void BitBtn1Click();
  void FormClose();

  QLabel* Label1 = nullptr;
  QListWidget* CheckListBox1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  // The list's context menu: every entry ticked (also Ctrl+A in the list) or none, so that
  // the thousands of records a lost name index leaves behind can be listed again at once.
  QAction* Alleauswhlen1 = nullptr;
  QAction* Keineauswhlen1 = nullptr;

 private:
  void Restore();
  QStringList TickedKeys() const;
  QString HighlightedKey() const;

  QStringList LoadKeys();

  std::shared_ptr<store::AddressBook> book_;
  Source source_ = Source::Deleted;
  // The name index could not be read in this opening (the user has been told once).
  bool namesUnreadable_ = false;
  std::function<void()> closeAction_;
};

namespace mainwindow {

// "Datensatz kann nicht wiederhergestellt werden, da bereits neue Daten für diese Person ..."
QString RestoreRefusedMessage();
// "Fehler beim Wiederherstellen! Versuchen Sie, die Datensätze einzeln wiederherzustellen."
QString RestoreFailedMessage();

}  // namespace mainwindow
