// The main window's list-wide commands, run on the real window: the internal-number view, the
// company tree (tree widget filled), a delete, a restore of every deleted record, and the CSV
// export.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

#include "bench/benchregistry.h"
#include "mainwindow/tform1.h"
#include "mainwindow/tform3.h"
#include "platform/dialogs.h"
#include "store/fileio.h"

namespace {

// Answers every dialog without showing it; a message means the measurement went wrong.
class BenchDialogs : public platform::Dialogs {
 public:
  QString saveFileName;
  int ShowMessageBox(QWidget*, const platform::MessageBoxSpec& request) override {
    qFatal("unexpected message: %s", qPrintable(request.text));
  }
  std::optional<QString> GetSaveFileName(QWidget*, const platform::FileDialogSpec&) override {
    return saveFileName;
  }
  std::optional<QString> GetOpenFileName(QWidget*, const platform::FileDialogSpec&) override {
    return std::nullopt;
  }
  std::optional<QFont> GetFont(QWidget*, const QFont&) override { return std::nullopt; }
  bool ExecPrintDialog(QWidget*, QPrinter&) override { return false; }
  int ExecModal(QDialog&) override { return QDialog::Rejected; }
};

BenchDialogs& Dialogs() {
  static BenchDialogs dialogs;
  // Installed at every use: the main window's benchmarks install dialogs of their own that
  // answer no file dialog, and with several record counts they run in between.
  platform::Dialogs::Install(&dialogs);
  return dialogs;
}

// One shown main window per address book; it is left to the end of the process.
TForm1& Window(const bench::Context& c) {
  static TForm1* form = nullptr;
  static QString builtFor;
  Dialogs();
  if (builtFor != c.book.dir) {
    delete form;
    form = new TForm1(std::make_shared<store::AddressBook>(c.book.dir));
    form->show();
    QApplication::processEvents();
    builtFor = c.book.dir;
  }
  return *form;
}

QToolButton* Button(TForm1& form, const char* name) {
  return form.findChild<QToolButton*>(QLatin1String(name));
}

int ListCount(TForm1& form) {
  return form.findChild<QListView*>(QStringLiteral("ListBox1"))->model()->rowCount();
}

QByteArray ReadOrDie(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    qFatal("cannot read %s", qPrintable(path));
  return file.readAll();
}

// Written as the program writes a data file (durably), so the next run's change does not
// find these bytes still waiting for the disk.
void WriteOrDie(const QString& path, const QByteArray& bytes) {
  if (!store::WriteFileAtomic(path, bytes))
    qFatal("cannot write %s", qPrintable(path));
}

// Entering the view: the record store and the name index read once, the list filled; the
// window lays out and paints before the time is taken.
const bench::Register internalNumberView(
    "internal_number_view",
    [](const bench::Context& c) {
      TForm1& form = Window(c);
      QToolButton* button = Button(form, "Button3");
      button->setChecked(true);
      const double ms = bench::TimeMs([&] {
        form.Button3Click();
        QApplication::processEvents();
      });
      if (ListCount(form) == 0)
        qFatal("internal_number_view: empty list");
      button->setChecked(false);
      form.Button3Click();
      return ms;
    },
    110);

// Entering the company view: the list reloaded, the tree built with all its items and shown.
const bench::Register companyTree(
    "company_tree",
    [](const bench::Context& c) {
      TForm1& form = Window(c);
      QToolButton* button = Button(form, "ToolbarButton9712");
      auto* tree = form.findChild<QTreeView*>(QStringLiteral("TreeView1"));
      button->setChecked(true);
      const double ms = bench::TimeMs([&] {
        form.ToolbarButton9712Click();
        QApplication::processEvents();
      });
      const QAbstractItemModel* nodes = tree->model();
      if (nodes->rowCount() != 1 || nodes->rowCount(nodes->index(0, 0)) < 2 || tree->isHidden())
        qFatal("company_tree: no companies");
      button->setChecked(false);
      form.ToolbarButton9712Click();
      return ms;
    },
    120);

// A delete from the list: the list compared with the name index, the key moved under the
// lock, the entry taken out. The files are put back afterwards, untimed.
const bench::Register deleteRecord(
    "delete_record",
    [](const bench::Context& c) {
      TForm1& form = Window(c);
      const QString names = QDir(c.book.dir).filePath(QStringLiteral("names.qdx"));
      const QString secure = QDir(c.book.dir).filePath(QStringLiteral("secure.qdx"));
      const QByteArray namesBefore = ReadOrDie(names);
      const QByteArray secureBefore = ReadOrDie(secure);
      const int count = ListCount(form);
      form.SelectListIndex(count / 2);
      const double ms = bench::TimeMs([&] {
        form.Lschen1Click();
        QApplication::processEvents();
      });
      if (ListCount(form) != count - 1 || ReadOrDie(secure).size() <= secureBefore.size())
        qFatal("delete_record: nothing deleted");
      WriteOrDie(names, namesBefore);
      WriteOrDie(secure, secureBefore);
      form.ReloadNameList();
      return ms;
    },
    130, bench::Floor::Lists);

// The restore dialog with every deleted record ticked (one in a hundred of the address book):
// the ticked keys checked against the name index and moved under the lock. Filling and
// ticking the dialog are not timed; the files are put back afterwards, untimed.
const bench::Register restoreRecords(
    "restore_records",
    [](const bench::Context& c) {
      TForm1& form = Window(c);
      auto* dialog = form.findChild<TForm3*>();
      const QString names = QDir(c.book.dir).filePath(QStringLiteral("names.qdx"));
      const QString secure = QDir(c.book.dir).filePath(QStringLiteral("secure.qdx"));
      const QByteArray namesBefore = ReadOrDie(names);
      const QByteArray secureBefore = ReadOrDie(secure);
      dialog->SetSource(TForm3::Source::Deleted);
      dialog->FormShow();
      QListWidget* list = dialog->CheckListBox1;
      for (int row = 0; row < list->count(); ++row)
        list->item(row)->setCheckState(Qt::Checked);
      const double ms = bench::TimeMs([&] { dialog->BitBtn1Click(); });
      if (list->count() < c.book.deletedKeys.size() / 2 ||
          ReadOrDie(names).size() <= namesBefore.size() + list->count())
        qFatal("restore_records: nothing restored");
      list->clear();
      WriteOrDie(names, namesBefore);
      WriteOrDie(secure, secureBefore);
      return ms;
    },
    135, bench::Floor::Lists);

// The export: the name index and the record store read once, the file built and written.
const bench::Register csvExport(
    "csv_export",
    [](const bench::Context& c) {
      static QTemporaryDir out;
      TForm1& form = Window(c);
      const QString path = QDir(out.path()).filePath(QStringLiteral("export.csv"));
      Dialogs().saveFileName = path;
      QFile::remove(path);
      const double ms = bench::TimeMs([&] { form.ToolbarButton973Click(); });
      if (QFileInfo(path).size() < c.book.liveKeys.size())
        qFatal("csv_export: file too short");
      return ms;
    },
    140);

}  // namespace
