// The report generator's figures: building the table and the blocks of all fields of all
// records, saving that report (companion and Rich Text Format) and opening it again; also the
// window's build, which fills the string grid and the block view and shows the last record.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <cstdio>
#include <cstring>

#include "bench/benchregistry.h"
#include "reports/builders.h"
#include "reports/companion.h"
#include "reports/reportfields.h"
#include "reports/reportfiles.h"
#include "reports/rtf.h"
#include "reports/tform8.h"
#include "store/addressbook.h"
#include "store/fileio.h"
#include "store/sharedaccess.h"

namespace {

class NullSink : public store::MessageSink {
 public:
  void ShowMessage(const QString& text) override { qFatal("unexpected: %s", qPrintable(text)); }
};

reports::ReportSelection Everything(const bench::Context& c) {
  reports::ReportSelection selection;
  selection.entries = c.book.liveKeys;
  selection.tickedFields = QVector<bool>(reports::kReportFieldCount, true);
  selection.tickedRecords = QVector<bool>(c.book.liveKeys.size(), true);
  return selection;
}

struct Report {
  reports::Grid grid;
  reports::TextLines lines;
};

Report Build(const bench::Context& c) {
  NullSink sink;
  const store::RecordStore store = store::OpenRecordStore(c.book.dir, sink);
  reports::BuiltReport built = reports::BuildReport(store, Everything(c));
  return {std::move(built.grid), std::move(built.blockLines)};
}

// The report is built once per address book for saving and opening.
const Report& ReportOf(const bench::Context& c) {
  static QString builtFor;
  static Report report;
  if (builtFor != c.book.dir) {
    report = Build(c);
    builtFor = c.book.dir;
  }
  return report;
}

QString ReportPath(const bench::Context& c) {
  return QDir(c.book.dir).filePath(QStringLiteral("bericht.txt"));
}

const QFont& ViewFont() {
  static const QFont font(QStringLiteral("MS Sans Serif"), 8);
  return font;
}

void Save(const QString& path, const Report& report) {
  // As the window's save command writes them.
  if (reports::WriteReportFiles(path, report.grid, report.lines, ViewFont()) !=
      reports::ReportWrite::Saved) {
    qFatal("report_save: not written");
  }
}

const bench::Register reportBuild(
    "report_build",
    [](const bench::Context& c) {
      Report report;
      const double ms = bench::TimeMs([&] { report = Build(c); });
      if (report.grid.rowCount != c.book.liveKeys.size() + 1 ||
          report.lines.Size() != 19 * c.book.liveKeys.size()) {
        qFatal("report_build: wrong size");
      }
      return ms;
    },
    300);

// Saving to a new name: the companion is created.
const bench::Register reportSave(
    "report_save",
    [](const bench::Context& c) {
      const Report& report = ReportOf(c);
      const QString path = ReportPath(c);
      QFile::remove(path);
      QFile::remove(reports::CompanionName(path));
      return bench::TimeMs([&] { Save(path, report); });
    },
    310);

// Saving over the same report again: every key of the companion is replaced in place.
const bench::Register reportSaveOver(
    "report_save_over",
    [](const bench::Context& c) {
      const Report& report = ReportOf(c);
      const QString path = ReportPath(c);
      if (!QFile::exists(reports::CompanionName(path)))
        Save(path, report);
      return bench::TimeMs([&] { Save(path, report); });
    },
    320);

const bench::Register reportOpen(
    "report_open",
    [](const bench::Context& c) {
      const Report& report = ReportOf(c);
      const QString path = ReportPath(c);
      if (!QFile::exists(path))
        Save(path, report);
      Report opened;
      const double ms = bench::TimeMs([&] {
        const store::ReadResult text = store::ReadWholeFile(path);
        opened.lines = reports::ReadRtfText(text.bytes);
        const store::ReadResult companion = store::ReadWholeFile(reports::CompanionName(path));
        opened.grid = reports::ReadCompanion(companion.bytes);
      });
      if (opened.lines != report.lines || !(opened.grid == report.grid))
        qFatal("report_open: not the saved report");
      return ms;
    },
    330);

// Runs the event loop until nothing is left to do: posted events, due timers and the painting
// they cause. A view that lays out its text from a timer keeps the loop busy until it is done.
void RunUntilIdle() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  do {
    QCoreApplication::sendPostedEvents();
  } while (dispatcher->processEvents(QEventLoop::AllEvents));
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QCoreApplication::sendEvent(widget, &press);
  QCoreApplication::sendEvent(widget, &release);
}

// The process's resident memory and its peak in megabytes, from /proc (Linux); 0 elsewhere.
double ProcStatusMb(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field))
      return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toDouble() /
             1024;
  }
  return 0;
}

// Lets the peak of resident memory start again from what is resident now (Linux).
void ResetPeakMemory() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly))
    clear.write("5");
}

// The window's build command as the user gets it: one probe, both builders, filling the string
// grid and the block view, the event loop until the window is idle again (the block view laid
// out and painted), then Ctrl+End in the block view to the last record, painted. The window is
// shown once per measurement; its views are emptied untimed.
const bench::Register reportWindowBuild(
    "report_window_build",
    [](const bench::Context& c) {
      const QStringList entries = c.book.liveKeys;
      TForm8 form([entries] { return entries; }, std::make_shared<store::AddressBook>(c.book.dir));
      form.show();
      form.ToolbarButton972Click();
      auto* blockView = form.findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));
      if (!blockView)
        qFatal("report_window_build: no block view");
      RunUntilIdle();
      ResetPeakMemory();
      const double before = ProcStatusMb("VmRSS:");
      const double ms = bench::TimeMs([&] {
        form.ToolbarButton973Click();
        RunUntilIdle();
        PressKey(blockView, Qt::Key_End, Qt::ControlModifier);
        RunUntilIdle();
      });
      // The memory the build took at its peak, beside the store's size, once per book.
      static QString printedFor;
      if (printedFor != c.book.dir) {
        printedFor = c.book.dir;
        const double storeMb =
            double(QFileInfo(QDir(c.book.dir).filePath("adresse.qdx")).size()) / (1024 * 1024);
        std::printf("note report_window_memory n=%d peak_mb=%.0f before_mb=%.0f store_mb=%.0f\n",
                    c.book.records, ProcStatusMb("VmHWM:"), before, storeMb);
      }
      if (form.GridRowCount() != entries.size() + 1 || !blockView->textCursor().atEnd() ||
          blockView->verticalScrollBar()->value() == 0) {
        qFatal("report_window_build: wrong size or not at the end");
      }
      form.BlockDocument()->setModified(false);
      return ms;
    },
    340);

}  // namespace
