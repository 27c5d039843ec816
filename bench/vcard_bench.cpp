// The vCard export of the whole list, and the import of 100 000 cards into an empty address
// book, both through the real main window; beside the import, the write of the files it
// makes, the floor of any command that writes them.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

#include "bench/benchregistry.h"
#include "mainwindow/tform1.h"
#include "mainwindow/vcardwrite.h"
#include "platform/dialogs.h"
#include "store/fileio.h"
#include "store/recordstore.h"
#include "store/replacedfiles.h"
#include "store/sharedaccess.h"

namespace {

// Answers the file dialogs with the names set here and the summary with OK; a message box
// means the measurement went wrong.
class VCardDialogs : public platform::Dialogs {
 public:
  QString fileName;
  int ShowMessageBox(QWidget*, const platform::MessageBoxSpec& request) override {
    qFatal("unexpected message: %s", qPrintable(request.text));
  }
  std::optional<QString> GetSaveFileName(QWidget*, const platform::FileDialogSpec&) override {
    return fileName;
  }
  std::optional<QString> GetOpenFileName(QWidget*, const platform::FileDialogSpec&) override {
    return fileName;
  }
  std::optional<QFont> GetFont(QWidget*, const QFont&) override { return std::nullopt; }
  bool ExecPrintDialog(QWidget*, QPrinter&) override { return false; }
  int ExecModal(QDialog&) override { return QDialog::Accepted; }
};

VCardDialogs& Dialogs() {
  static VCardDialogs dialogs;
  platform::Dialogs::Install(&dialogs);  // at every use: other measurements install theirs
  return dialogs;
}

QTemporaryDir& Scratch() {
  static QTemporaryDir dir;
  return dir;
}

class QuietSink : public store::MessageSink {
 public:
  void ShowMessage(const QString& text) override { qFatal("unexpected: %s", qPrintable(text)); }
};

// The cards of every record of the book (live and deleted), written once per book.
QString CardsFile(const bench::Context& c) {
  static QString madeFor;
  const QString path = QDir(Scratch().path()).filePath(QStringLiteral("alle.vcf"));
  if (madeFor != c.book.dir) {
    QuietSink sink;
    const QStringList keys = c.book.liveKeys + c.book.deletedKeys;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.write(mainwindow::ExportVCards(store::OpenRecordStore(c.book.dir, sink), keys)))
      qFatal("cannot write %s", qPrintable(path));
    madeFor = c.book.dir;
  }
  return path;
}

// An empty address book (an empty name index, no record store) with its main window.
struct EmptyBook {
  QString dir = QDir(Scratch().path()).filePath(QStringLiteral("leer"));
  std::unique_ptr<TForm1> form;

  void Empty() {
    QDir().mkpath(dir);
    QFile::remove(QDir(dir).filePath(QStringLiteral("adresse.qdx")));
    QFile names(QDir(dir).filePath(QStringLiteral("names.qdx")));
    if (!names.open(QIODevice::WriteOnly | QIODevice::Truncate))
      qFatal("cannot empty %s", qPrintable(dir));
    names.close();
    if (!form)
      form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(dir));
    form->ReloadNameList();
  }
};

EmptyBook& Empty() {
  static EmptyBook book;
  book.Empty();
  return book;
}

std::unique_ptr<TForm1>& ExportWindow(const bench::Context& c) {
  static std::unique_ptr<TForm1> form;
  static QString builtFor;
  if (builtFor != c.book.dir) {
    form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(c.book.dir));
    builtFor = c.book.dir;
  }
  return form;
}

// The export of the list as shown (every live record): store read once, cards made, file
// written.
const bench::Register vcardExport(
    "vcard_export",
    [](const bench::Context& c) {
      TForm1& form = *ExportWindow(c);
      const QString path = QDir(Scratch().path()).filePath(QStringLiteral("export.vcf"));
      Dialogs().fileName = path;
      QFile::remove(path);
      const double ms = bench::TimeMs([&] { form.VCardExport1Click(); });
      if (QFileInfo(path).size() < 100 * c.book.liveKeys.size())
        qFatal("vcard_export: file too short");
      return ms;
    },
    150);

// The import of a card per record into an empty address book: file read, cards checked, one
// change of the store and the name index, the list filled with the new keys.
const bench::Register vcardImport(
    "vcard_import",
    [](const bench::Context& c) {
      const QString cards = CardsFile(c);
      EmptyBook& book = Empty();
      Dialogs().fileName = cards;
      bench::PauseBetweenCommands();
      const double ms = bench::TimeMs([&] { book.form->Importieren1Click(); });
      if (book.form->ListEntries().size() != c.book.liveKeys.size() + c.book.deletedKeys.size())
        qFatal("vcard_import: not every card imported");
      return ms;
    },
    160);

// The floor of the import: writing the two files it made, as every change writes them.
const bench::Register vcardImportWrite(
    "vcard_import_write",
    [](const bench::Context& c) {
      CardsFile(c);
      EmptyBook& book = Empty();
      Dialogs().fileName = CardsFile(c);
      book.form->Importieren1Click();
      const QString store = QDir(book.dir).filePath(QStringLiteral("adresse.qdx"));
      const QString names = QDir(book.dir).filePath(QStringLiteral("names.qdx"));
      const store::ReadResult storeBytes = store::ReadWholeFile(store);
      const store::ReadResult namesBytes = store::ReadWholeFile(names);
      store::WaitForReplacedFiles();
      bench::PauseBetweenCommands();
      return bench::TimeMs([&] {
        if (!store::WriteFileAtomic(store, storeBytes.bytes) ||
            !store::WriteFileAtomic(names, namesBytes.bytes))
          qFatal("vcard_import_write: cannot write");
      });
    },
    161);

}  // namespace
