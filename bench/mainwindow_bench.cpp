// The main window's figures: showing a record, saving one through the finish command, and
// start-up to a filled, sorted list.
#include <QLineEdit>
#include <QListView>
#include <map>
#include <memory>

#include "bench/benchregistry.h"
#include "mainwindow/tform1.h"
#include "platform/dialogs.h"

namespace {

// Any message box during a measurement is a fault of the set-up: stop loudly.
class NoDialogs : public platform::Dialogs {
 public:
  int ShowMessageBox(QWidget*, const platform::MessageBoxSpec& request) override {
    qFatal("unexpected message: %s", qPrintable(request.text));
  }
  std::optional<QString> GetSaveFileName(QWidget*, const platform::FileDialogSpec&) override {
    return std::nullopt;
  }
  std::optional<QString> GetOpenFileName(QWidget*, const platform::FileDialogSpec&) override {
    return std::nullopt;
  }
  std::optional<QFont> GetFont(QWidget*, const QFont&) override { return std::nullopt; }
  bool ExecPrintDialog(QWidget*, QPrinter&) override { return false; }
  int ExecModal(QDialog&) override { return 0; }
};

NoDialogs& InstallNoDialogs() {
  static NoDialogs dialogs;
  platform::Dialogs::Install(&dialogs);
  return dialogs;
}

// One main window per address book, kept across the repetitions of a measurement.
TForm1& FormFor(const bench::Context& c) {
  static std::map<QString, std::unique_ptr<TForm1>> forms;
  InstallNoDialogs();
  std::unique_ptr<TForm1>& form = forms[c.book.dir];
  if (!form)
    form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(c.book.dir));
  return *form;
}

QString FieldText(const TForm1& form, int field) {
  return form.findChild<QLineEdit*>(QLatin1String(store::Fields()[field].control))->text();
}

// ShowRecord into the real window: one read of the record store, fifteen fields filled, and
// the name index checked for the update notice.
const bench::Register showRecord(
    "show_record",
    [](const bench::Context& c) {
      TForm1& form = FormFor(c);
      const QString key = c.book.liveKeys.at(c.book.liveKeys.size() / 3);
      const double ms = bench::TimeMs([&] { form.ShowRecord(key); });
      if (FieldText(form, store::kVorname) == store::MissingValue())
        qFatal("show_record: not found");
      form.ClearEditFields();
      return ms;
    },
    200);

// A save through Button1Click after an edit that changed one field. Starting the edit (which
// takes the key out of the name index) is not timed.
const bench::Register saveRecord(
    "save_record",
    [](const bench::Context& c) {
      TForm1& form = FormFor(c);
      const QString key = c.book.liveKeys.at(c.book.liveKeys.size() / 2);
      form.SelectListIndex(int(form.ListEntries().indexOf(key)));
      form.ToolbarButton972Click();
      if (!form.EntryUnderway())
        qFatal("save_record: edit did not start");
      auto* ort = form.findChild<QLineEdit*>(QStringLiteral("EOrt"));
      ort->setText(ort->text() == QStringLiteral("Köln") ? QStringLiteral("Bonn")
                                                         : QStringLiteral("Köln"));
      bench::SettleDisk();
      const double ms = bench::TimeMs([&] { form.Button1Click(); });
      if (form.EntryUnderway() || !form.ListEntries().contains(key))
        qFatal("save_record: not saved");
      return ms;
    },
    210);

// Creating the main window until its list holds every key of the name index, sorted.
const bench::Register startup(
    "startup",
    [](const bench::Context& c) {
      InstallNoDialogs();
      std::unique_ptr<TForm1> form;
      const double ms = bench::TimeMs([&] {
        form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(c.book.dir));
      });
      if (form->findChild<QListView*>(QStringLiteral("ListBox1"))->model()->rowCount() !=
          c.book.liveKeys.size())
        qFatal("startup: list not filled");
      return ms;
    },
    220);

}  // namespace
