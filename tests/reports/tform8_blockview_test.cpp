// The block view of a report of many records: it lays out only the lines it shows, so the
// window goes on answering keys, scrolling and its menu while the report is on screen.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include "reports/builders.h"
#include "store/fileio.h"
#include "store/recordstore.h"
#include "tests/reports/form8_fixture.h"

using namespace reporttest;

namespace {

constexpr int kRecords = 20000;
constexpr int kLinesPerBlock = 19;  // heading, " ", fifteen fields, " ", " "

QString Name(int i) {
  return QStringLiteral("Name%1").arg(i, 5, 10, QLatin1Char('0'));
}

// Runs the event loop until nothing is left to do: posted events, timers that are due and the
// painting they cause. A view that lays out its text piece by piece from a timer keeps this
// loop busy until it has laid out everything.
void RunUntilIdle() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  do {
    QCoreApplication::sendPostedEvents();
  } while (dispatcher->processEvents(QEventLoop::AllEvents));
}

// Paragraphs of the document that have a layout with lines.
int LaidOutParagraphs(const QTextDocument& document) {
  int count = 0;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.layout() && block.layout()->lineCount() > 0)
      ++count;
  }
  return count;
}

class LargeReportTest : public Form8Test {
 public:
  void SetUp() override {
    Form8Test::SetUp();
    QList<StoredRecord> records;
    mainList.clear();
    for (int i = 0; i < kRecords; ++i) {
      records.append(FullRecord(Name(i), "Vor", QString::number(i)));
      mainList.append(Name(i) + ",Vor");
    }
    dir.Write("adresse.qdx", StoreBytes(records));
    Show();
    QApplication::setActiveWindow(form.get());
    NewReport();
    Build();
    view = Get<QPlainTextEdit>("RichEdit1");
    ASSERT_NE(view, nullptr);
  }

  // True when the text at the document position is inside the view's visible area.
  bool Visible(int position) const {
    QTextCursor cursor(view->document());
    cursor.setPosition(position);
    return view->viewport()->rect().contains(view->cursorRect(cursor).center());
  }
  int Find(const QString& text) const { return view->document()->find(text).position(); }
  int TopParagraph() const { return view->cursorForPosition(QPoint(2, 2)).blockNumber(); }

  QPlainTextEdit* view = nullptr;
};

TEST_F(LargeReportTest, blockView_isPlainTextLaidOutOnlyWhereShown) {
  ASSERT_NE(qobject_cast<QPlainTextDocumentLayout*>(view->document()->documentLayout()), nullptr);
  RunUntilIdle();

  // Every line as the builder made it, also where the view starts a new paragraph.
  const QStringList lines = form->BlockLines();
  ASSERT_EQ(lines.size(), kLinesPerBlock * kRecords);
  EXPECT_EQ(lines.first(), Name(0) + ",Vor");
  EXPECT_EQ(lines[lines.size() - 3], "Interne Rufnummer: " + QString::number(kRecords - 1));
  const store::RecordStore records(store::ReadWholeFile(dir.File("adresse.qdx")).bytes);
  const reports::ReportSelection everything{mainList, Flags(15, true), Flags(kRecords, true),
                                            false};
  EXPECT_TRUE(lines == reports::BuildReport(records, everything).blockLines.ToStringList());
  EXPECT_TRUE(Visible(Find(Name(0) + ",Vor")));
  EXPECT_LT(LaidOutParagraphs(*view->document()), 50) << view->document()->blockCount();
}

TEST_F(LargeReportTest, ctrlEndGoesToTheLastRecord_scrollingAndPageKeysFollow) {
  RunUntilIdle();
  view->setFocus();
  QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
  RunUntilIdle();
  EXPECT_TRUE(view->textCursor().atEnd());
  EXPECT_TRUE(Visible(Find("Interne Rufnummer: " + QString::number(kRecords - 1))));
  EXPECT_FALSE(Visible(Find(Name(0) + ",Vor")));

  QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
  RunUntilIdle();
  EXPECT_TRUE(Visible(Find(Name(0) + ",Vor")));

  const int paragraphs = view->document()->blockCount();
  view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
  RunUntilIdle();
  EXPECT_GT(TopParagraph(), paragraphs * 2 / 5);
  EXPECT_LT(TopParagraph(), paragraphs * 3 / 5);

  QTest::keyClick(view, Qt::Key_PageDown);
  RunUntilIdle();
  const int afterPageDown = TopParagraph();
  QTest::keyClick(view, Qt::Key_PageUp);
  QTest::keyClick(view, Qt::Key_PageUp);
  RunUntilIdle();
  EXPECT_LE(TopParagraph(), afterPageDown);
  EXPECT_LT(LaidOutParagraphs(*view->document()), 100);
}

TEST_F(LargeReportTest, menuAnswersWhileTheReportIsShown) {
  RunUntilIdle();
  QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
  RunUntilIdle();

  // The menu opens from the keyboard.
  auto* menuBar = Get<QMenuBar>("MainMenu1");
  QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
  RunUntilIdle();
  QMenu* datei = Get<QMenu>("Datei1");
  EXPECT_TRUE(datei->isVisible());
  QTest::keyClick(datei, Qt::Key_Escape);
  QTest::keyClick(menuBar, Qt::Key_Escape);
  RunUntilIdle();

  // The font command reaches the whole view; its text stays.
  dialogs.fontAnswers.enqueue(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
  Trigger("Schriftdialog1");
  RunUntilIdle();
  EXPECT_EQ(form->BlockFont().pointSize(), 11);
  EXPECT_EQ(view->document()->defaultFont().pointSize(), 11);
  EXPECT_EQ(form->BlockLines().size(), kLinesPerBlock * kRecords);

  dialogs.AnswerNext("&Nein");
  Trigger("NeuenReporterstellen1");
  RunUntilIdle();
  EXPECT_TRUE(form->BlockLines().isEmpty());
  EXPECT_FALSE(form->BlockModified());
}

}  // namespace
