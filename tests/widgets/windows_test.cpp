#include <gtest/gtest.h>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "widgets/centring.h"
#include "widgets/configuration.h"
#include "widgets/taboutbox.h"
#include "widgets/tform5.h"
#include "widgets/tform7.h"
#include "widgets/thyperlink.h"

namespace {

TEST(CentredOver, halvesInFloatingPointAndTruncatesTowardZero) {
  EXPECT_EQ(widgets::CentredOver(QRect(100, 50, 800, 600), QSize(217, 86)), QPoint(391, 307));
  // -301 + 50 - 108.5 = -359.5 and -101 + 50.5 - 43 = -93.5: toward zero, not down.
  EXPECT_EQ(widgets::CentredOver(QRect(-301, -101, 100, 101), QSize(217, 86)), QPoint(-359, -93));
}

TEST(TForm7, drawing_centresTheWaitWindowOverTheMovedMainWindow) {
  QWidget mainWindow;
  mainWindow.move(100, 100);
  mainWindow.resize(600, 400);
  mainWindow.show();
  widgets::TForm7 wait(&mainWindow);
  EXPECT_EQ(wait.objectName(), "Form7");
  EXPECT_EQ(wait.windowTitle(), "Bitte warten...");
  EXPECT_EQ(wait.findChild<QLabel*>("Panel2")->text(), "Daten werden geladen...");
  wait.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&wait));

  mainWindow.move(300, 250);
  wait.repaint();
  EXPECT_EQ(wait.pos(),
            widgets::CentredOver(mainWindow.frameGeometry(), wait.frameGeometry().size()));
  EXPECT_EQ(wait.size(), QSize(217, 86));
}

TEST(TAboutBox, layoutAndLink_firstShowingCentresOnScreen_laterShowingsKeepPosition) {
  widgets::TAboutBox about;
  EXPECT_EQ(about.objectName(), "AboutBox");
  EXPECT_EQ(about.windowTitle(), "Info");
  EXPECT_EQ(about.size(), QSize(298, 319));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "Pellumo! Network Edition");
  EXPECT_EQ(about.findChild<QLabel*>("Version")->text(), "Version 2.0");
  auto* link = about.findChild<widgets::THyperlink*>("Hyperlink1");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->parentWidget()->objectName(), "Panel1");
  EXPECT_EQ(link->text(), widgets::MakerWebAddress());
  EXPECT_EQ(link->URL(), widgets::MakerWebAddress());
  EXPECT_EQ(link->pos(), QPoint(72, 232));

  about.move(0, 0);  // a position restored from the store
  about.show();
  const QRect screen = about.screen()->availableGeometry();
  EXPECT_EQ(about.pos(), widgets::CentredOver(screen, about.frameGeometry().size()));
  auto* ok = about.findChild<QPushButton*>("OKButton");
  EXPECT_TRUE(ok->isDefault());
  ok->click();
  EXPECT_EQ(about.result(), QDialog::Accepted);
  EXPECT_FALSE(about.isVisible());

  about.move(10, 20);  // moved by the user
  about.show();
  EXPECT_EQ(about.pos(), QPoint(10, 20));
  about.accept();
}

TEST(TForm5, closeGoesOn_andTheEmptyContainerFillsTheWindow) {
  widgets::TForm5 embedded;
  embedded.show();
  EXPECT_EQ(embedded.findChild<QFrame*>("OleContainer1")->geometry(), embedded.rect());
  embedded.Schlieen1Click();
  EXPECT_FALSE(embedded.isVisible());
}

}  // namespace
