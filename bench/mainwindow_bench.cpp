// The main window's figures: showing a record, saving one through the finish command, and
// start-up to a painted, filled, sorted list.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QListView>
#include <map>
#include <memory>

#include "app/otherwindows.h"
#include "bench/benchregistry.h"
#include "bench/nodialogs.h"
#include "mainwindow/startup.h"
#include "mainwindow/tform1.h"

namespace {

// One main window per address book, kept across the repetitions of a measurement.
TForm1& FormFor(const bench::Context& c) {
  static std::map<QString, std::unique_ptr<TForm1>> forms;
  bench::InstallNoDialogs();
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
      const double ms = bench::TimeMs([&] { form.Button1Click(); });
      if (form.EntryUnderway() || !form.ListEntries().contains(key))
        qFatal("save_record: not saved");
      return ms;
    },
    210, bench::Floor::Store);

// Notes the first paint of a widget.
class PaintSeen : public QObject {
 public:
  bool seen = false;
  bool eventFilter(QObject*, QEvent* event) override {
    seen = seen || event->type() == QEvent::Paint;
    return false;
  }
};

// What the user waits for at start-up: every window created as main() creates them, the main
// window shown and its list, filled and sorted, painted (offscreen).
const bench::Register startup(
    "startup",
    [](const bench::Context& c) {
      bench::InstallNoDialogs();
      int rows = -1;
      double ms = 0;
      QElapsedTimer timer;
      mainwindow::StartupSteps steps;
      steps.createOtherWindows = app::CreateOtherWindows;
      // Main windows of other figures may live on: the one start-up made is the new one.
      const QWidgetList before = QApplication::topLevelWidgets();
      steps.runMessageLoop = [&] {
        TForm1* form = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          if (auto* candidate = qobject_cast<TForm1*>(widget);
              candidate && !before.contains(widget))
            form = candidate;
        }
        if (!form)
          qFatal("startup: no main window was made");
        auto* list = form->findChild<QListView*>(QStringLiteral("ListBox1"));
        PaintSeen painted;
        list->viewport()->installEventFilter(&painted);
        while (!painted.seen)
          QApplication::processEvents(QEventLoop::AllEvents, 5);
        ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        list->viewport()->removeEventFilter(&painted);
        rows = list->model()->rowCount();
        return 0;
      };
      timer.start();
      mainwindow::RunProgram(c.book.dir, steps);
      if (rows != c.book.liveKeys.size())
        qFatal("startup: list not filled");
      return ms;
    },
    220);

}  // namespace
