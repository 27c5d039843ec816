#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "widgets/configuration.h"
#include "widgets/shellopen.h"
#include "widgets/tcolorchanginglabel.h"
#include "widgets/thyperlink.h"

namespace {

// Records every request handed to the shell, in order with the other events of a test.
class ShellRecorder {
 public:
  explicit ShellRecorder(QStringList* events, bool result = true) {
    widgets::SetShellOpener([this, events, result](const widgets::ShellRequest& request) {
      requests.append(request);
      events->append("shell:" + request.target.toString());
      return result;
    });
  }
  ~ShellRecorder() { widgets::SetShellOpener({}); }
  QList<widgets::ShellRequest> requests;
};

TEST(THyperlink, click_runsOnClickFirstThenOpensUrl_emptyUrlOpensNothing) {
  QStringList events;
  ShellRecorder shell(&events);
  widgets::THyperlink link;
  link.setText("www.tavrel.de");
  QObject::connect(&link, &widgets::THyperlink::clicked, [&] { events << "OnClick"; });
  link.show();
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(link.ShowMode(), 5);

  QTest::mouseClick(&link, Qt::LeftButton);
  EXPECT_EQ(events, QStringList{"OnClick"});
  EXPECT_TRUE(shell.requests.isEmpty());

  link.SetURL("www.tavrel.de");
  link.SetShowMode(3);
  QTest::mouseClick(&link, Qt::RightButton);
  QTest::mouseClick(&link, Qt::LeftButton);
  EXPECT_EQ(events, (QStringList{"OnClick", "OnClick", "shell:http://www.tavrel.de"}));
  ASSERT_EQ(shell.requests.size(), 1);
  EXPECT_EQ(shell.requests[0].showCmd, 3);
  EXPECT_EQ(shell.requests[0].directory, "c:\\");
  EXPECT_TRUE(shell.requests[0].params.isEmpty());
}

TEST(ShellOpenFile, longNamesPassWhole_emptyNameFails_resultFollowsTheDesktop) {
  QStringList events;
  const QString longAddress = "https://www.tavrel.de/" + QString(300, QChar('a')) + "?q=1";
  {
    ShellRecorder shell(&events);
    EXPECT_GT(widgets::ShellOpenFile(longAddress, QString(120, QChar('p')), "/tmp", 5), 32);
    ASSERT_EQ(shell.requests.size(), 1);
    EXPECT_EQ(shell.requests[0].target, QUrl(longAddress));
    EXPECT_EQ(shell.requests[0].params, QString(120, QChar('p')));
    EXPECT_LE(widgets::ShellOpenFile("", "", "c:\\", 5), 32);
    EXPECT_LE(widgets::ShellOpenFile("   ", "", "c:\\", 5), 32);
    EXPECT_EQ(shell.requests.size(), 1);
  }
  ShellRecorder refusing(&events, /*result=*/false);
  EXPECT_LE(widgets::ShellOpenFile("www.tavrel.de", "", "c:\\", 5), 32);
}

TEST(TColorChangingLabel, keepsDesignColourUntilFirstTick_thenAlternatesSecondAndFirst) {
  widgets::TColorChangingLabel label;
  auto* timer = label.findChild<QTimer*>("Timer");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(label.Time(), 500u);
  EXPECT_EQ(timer->interval(), 500);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(label.ColorPhase(), 1);
  EXPECT_EQ(label.FontColor(), QColor(Qt::black));

  label.SetFontColor(Qt::darkGreen);  // the colour the label was designed with
  label.SetFirstColor(Qt::red);
  label.SetSecondColor(Qt::yellow);
  EXPECT_EQ(label.FontColor(), QColor(Qt::darkGreen));
  label.ToggleColor();
  EXPECT_EQ(label.FontColor(), QColor(Qt::yellow));
  EXPECT_EQ(label.ColorPhase(), 2);
  label.ToggleColor();
  EXPECT_EQ(label.FontColor(), QColor(Qt::red));
  label.SetSecondColor(Qt::blue);  // shows at the next tick that selects it
  EXPECT_EQ(label.FontColor(), QColor(Qt::red));
  label.ToggleColor();
  EXPECT_EQ(label.FontColor(), QColor(Qt::blue));
}

TEST(TColorChangingLabel, timerDrivesTheRhythm_andANewTimeCountsFromNow) {
  widgets::TColorChangingLabel label;
  label.SetFirstColor(Qt::red);
  label.SetSecondColor(Qt::yellow);
  label.SetTime(20);
  QList<QColor> seen;
  QObject::connect(label.findChild<QTimer*>("Timer"), &QTimer::timeout,
                   [&] { seen.append(label.FontColor()); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 3; }, 5000));
  ASSERT_GE(seen.size(), 3);
  EXPECT_EQ(seen[0], QColor(Qt::yellow));
  EXPECT_EQ(seen[1], QColor(Qt::red));
  EXPECT_EQ(seen[2], QColor(Qt::yellow));

  auto* timer = label.findChild<QTimer*>("Timer");
  label.SetTime(60000);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 60000);
  EXPECT_GT(timer->remainingTime(), 50000);
}

TEST(TColorChangingLabel, timeZeroStopsTheChange_andATimeAboveZeroStartsItAgain) {
  widgets::TColorChangingLabel label;
  label.SetFirstColor(Qt::red);
  label.SetSecondColor(Qt::yellow);
  auto* timer = label.findChild<QTimer*>("Timer");
  int ticks = 0;
  QObject::connect(timer, &QTimer::timeout, [&] { ++ticks; });

  // A zero-interval timer would fire on every pass of the event loop.
  label.SetTime(0);
  EXPECT_EQ(label.Time(), 0u);
  EXPECT_FALSE(timer->isActive());
  const QColor shown = label.FontColor();
  QTest::qWait(50);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(label.FontColor(), shown);

  label.SetTime(10);
  EXPECT_TRUE(timer->isActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 1; }, 5000));
  EXPECT_EQ(label.FontColor(), QColor(Qt::yellow));
}

TEST(Configuration, programIconAndMakerAddressAreSet) {
  EXPECT_FALSE(widgets::ProgramIcon().isNull());
  EXPECT_FALSE(widgets::ProgramIcon().pixmap(32, 32).isNull());
  EXPECT_FALSE(widgets::MakerWebAddress().isEmpty());
}

}  // namespace
