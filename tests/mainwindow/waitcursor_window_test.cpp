// The wait cursor while the main window's commands over every record work, and no wait cursor
// left behind or over a question.
#include <QCursor>
#include <QGuiApplication>
#include <QListWidget>
#include <QSet>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kStore =
    Person("Alt", "Bea", "A", "12") + Person("Berg", "Ute", "B") + Person("Carl", "Max", "C");

Qt::CursorShape ShownCursor() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor ? cursor->shape() : Qt::ArrowCursor;
}

class WaitCursorTest : public MainWindowTest {
 protected:
  // Notes the cursor shown at every read of the record store and at every write of a file.
  void WatchTheCursor() {
    store::SetFaultHook([this](store::FileOp op, const QString& path) {
      if (op == store::FileOp::Write || path.endsWith(QLatin1String("adresse.qdx")))
        seen.insert(ShownCursor());
      return false;
    });
  }
  // Runs the command and tells whether the files were touched under the wait cursor only.
  bool UnderTheWaitCursor(const std::function<void()>& command) {
    seen.clear();
    command();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "a wait cursor was left behind";
    return seen == QSet<Qt::CursorShape>{Qt::WaitCursor};
  }

  QSet<Qt::CursorShape> seen;
};

TEST_F(WaitCursorTest, commandsOverEveryRecord_workUnderTheWaitCursor_andLeaveNone) {
  data.Write(QStringLiteral("secure.qdx"), "Dorn,Ida\r\nEck,Olaf\r\n");
  Open("Alt,Bea\r\nBerg,Ute\r\nCarl,Max\r\n", kStore + Person("Dorn", "Ida", "D"));
  WatchTheCursor();

  EXPECT_TRUE(UnderTheWaitCursor([&] { Click("Button3"); })) << "internal-number view";
  Click("Button3");
  EXPECT_TRUE(UnderTheWaitCursor([&] { Click("ToolbarButton9712"); })) << "company view";
  Click("ToolbarButton9712");

  const QString exported = data.Path() + QStringLiteral("/export.csv");
  dialogs.fileAnswers.enqueue(exported);
  EXPECT_TRUE(UnderTheWaitCursor([&] { Click("ToolbarButton973"); })) << "CSV export";
  dialogs.fileAnswers.enqueue(data.Path() + QStringLiteral("/export.vcf"));
  EXPECT_TRUE(UnderTheWaitCursor([&] { Trigger("VCardExport1"); })) << "vCard export";

  dialogs.modalAnswers.enqueue([](QDialog& dialog) {
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
    list->item(0)->setCheckState(Qt::Checked);
    dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    return dialog.result();
  });
  EXPECT_TRUE(UnderTheWaitCursor([&] { Trigger("G1"); })) << "restore";
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\nCarl,Max\r\nDorn,Ida\r\n");

  dialogs.AnswerNext(QStringLiteral("&Ja"));
  EXPECT_TRUE(UnderTheWaitCursor([&] { Trigger("GelschteDatenstzeendgltigverwerfen1"); }))
      << "purge";
  EXPECT_EQ(data.Read(QStringLiteral("secure.qdx")), QByteArray());
  EXPECT_TRUE(dialogs.boxes.size() == 1) << "only the purge's question";
}

}  // namespace
}  // namespace mainwindowtest
