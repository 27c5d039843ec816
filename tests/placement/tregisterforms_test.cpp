#include <gtest/gtest.h>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "placement/tregisterforms.h"
#include "store/usererror.h"
#include "tests/support/scripteddialogs.h"
#include "widgets/taboutbox.h"
#include "widgets/tform4.h"
#include "widgets/tform5.h"
#include "widgets/tform7.h"

// Readable failure output for rectangles.
void PrintTo(const QRect& rect, std::ostream* out) {
  *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height()
       << ")";
}

namespace {

// Stand-in for the main window: records what its own show and close handling saw.
class HostWindow : public QWidget {
 public:
  bool allowClose = true;
  int shows = 0;
  int closes = 0;
  QRect placementAtShow;  // position including the frame, and size

 protected:
  void showEvent(QShowEvent*) override {
    ++shows;
    placementAtShow = QRect(pos(), size());
  }
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    if (allowClose) {
      event->accept();
    } else {
      event->ignore();
    }
  }
};

// One run of the program: its windows at their designed placement, created in order, and the
// placement component on the main window.
struct ProgramRun {
  HostWindow form1;
  QWidget form12;
  widgets::TForm4 form4;
  widgets::TForm5 form5;
  widgets::TForm7 form7{&form1};
  widgets::TAboutBox aboutBox;
  placement::TRegisterForms registerForms{&form1};

  explicit ProgramRun(const QString& storeDir, bool enabled = true) {
    form1.setObjectName("Form1");
    form1.move(249, 157);
    form1.resize(811, 560);
    form12.setObjectName("PrintOptions");  // the component name is given explicitly below
    form12.move(30, 40);
    form12.resize(400, 300);
    registerForms.SetKeyOpener(placement::IniFileKeys(storeDir));
    registerForms.SetCompany("Tavrel");
    registerForms.SetEnabled(enabled);
    registerForms.AddWindow(&form1);
    registerForms.Loaded();
    registerForms.AddWindow(&form12, "Form12");
    for (QWidget* window : std::initializer_list<QWidget*>{&form4, &form5, &form7, &aboutBox}) {
      registerForms.AddWindow(window);
    }
  }
};

class Placement : public ::testing::Test {
 protected:
  QString KeyFile(const QString& root = "HKEY_CURRENT_USER",
                  const QString& app = "Pellumo! NetworkEdition") const {
    return dir_.path() + "/" + root + "/SOFTWARE/Tavrel/" + app + ".ini";
  }
  std::unique_ptr<QSettings> Key() const {
    return std::make_unique<QSettings>(KeyFile(), QSettings::IniFormat);
  }
  void Store(const QString& name, const QVariant& value) const {
    auto key = Key();
    key->setValue(name, value);
    key->sync();
  }
  QString Stored(const QString& name) const { return Key()->value(name).toString(); }

  QTemporaryDir dir_;
  testsupport::ScriptedDialogs dialogs_;
};

TEST_F(Placement, firstStart_keepsDesignPlacementAndCreatesEmptyApplicationKey) {
  ProgramRun run(dir_.path());
  EXPECT_FALSE(QFile::exists(KeyFile()));
  run.form1.show();
  EXPECT_EQ(run.form1.placementAtShow, QRect(249, 157, 811, 560));
  EXPECT_EQ(run.form12.geometry(), QRect(30, 40, 400, 300));
  EXPECT_EQ(run.form4.pos(), QPoint(126, 181));
  EXPECT_TRUE(QFile::exists(KeyFile()));
  EXPECT_TRUE(Key()->allKeys().isEmpty());
  EXPECT_TRUE(dialogs_.boxes.isEmpty());
}

TEST_F(Placement, close_storesOneSubkeyPerWindow_sizeOnlyForResizableWindows) {
  {
    ProgramRun run(dir_.path());
    run.form1.show();
    run.form1.move(300, 200);
    run.form1.resize(700, 500);
    run.form4.move(-20, 15);
    run.form1.close();
    EXPECT_EQ(run.form1.closes, 1);
    EXPECT_FALSE(run.form1.isVisible());
  }
  auto key = Key();
  key->beginGroup("Forms");
  EXPECT_EQ(key->childGroups(),
            (QStringList{"AboutBox", "Form1", "Form12", "Form4", "Form5", "Form7"}));
  key->endGroup();
  EXPECT_EQ(Stored("Forms/Form1/Tag"), "0");
  EXPECT_EQ(Stored("Forms/Form1/Top"), "200");
  EXPECT_EQ(Stored("Forms/Form1/Left"), "300");
  EXPECT_EQ(Stored("Forms/Form1/Height"), "500");
  EXPECT_EQ(Stored("Forms/Form1/Width"), "700");
  EXPECT_EQ(Stored("Forms/Form1/State"), "0");
  EXPECT_EQ(Stored("Forms/Form4/Top"), "15");
  EXPECT_EQ(Stored("Forms/Form4/Left"), "-20");
  for (const QString window : {"AboutBox", "Form7"}) {
    key->beginGroup("Forms/" + window);
    EXPECT_EQ(key->childKeys(), (QStringList{"Left", "Tag", "Top"})) << window.toStdString();
    key->endGroup();
  }

  // The next start puts every window back where it was.
  ProgramRun next(dir_.path());
  next.form1.show();
  EXPECT_EQ(next.form1.placementAtShow, QRect(300, 200, 700, 500));
  EXPECT_EQ(next.form4.pos(), QPoint(-20, 15));
  EXPECT_EQ(next.form12.geometry(), QRect(30, 40, 400, 300));
}

TEST_F(Placement, maximizedClose_rewritesOnlyTag_andNextStartOpensNormalAtStoredPlace) {
  for (const QString name : {"Top", "Left", "Height", "Width"}) {
    Store("Forms/Form1/" + name, "150");
  }
  Store("Forms/Form1/State", "0");
  {
    ProgramRun run(dir_.path());
    run.form1.show();
    run.form1.setProperty("Tag", 7);
    run.form1.showMaximized();
    ASSERT_TRUE(run.form1.isMaximized());
    run.form1.close();
  }
  EXPECT_EQ(Stored("Forms/Form1/Tag"), "7");
  for (const QString name : {"Top", "Left", "Height", "Width"}) {
    EXPECT_EQ(Stored("Forms/Form1/" + name), "150");
  }
  ProgramRun next(dir_.path());
  next.form1.show();
  EXPECT_FALSE(next.form1.isMaximized());
  EXPECT_EQ(next.form1.placementAtShow, QRect(150, 150, 150, 150));
  EXPECT_EQ(next.form1.property("Tag").toInt(), 7);
}

TEST_F(Placement, storedText_hexRestores_lettersKeepDesign_state2Maximizes_fixedSizeUntouched) {
  Store("Forms/Form1/Top", "0x20");
  Store("Forms/Form1/Left", "$10");
  Store("Forms/Form1/Width", "Breite");
  Store("Forms/Form12/State", "2");
  Store("Forms/AboutBox/Top", "5");
  Store("Forms/AboutBox/Height", "100");
  Store("Forms/AboutBox/Width", "100");
  Store("Forms/Form7/Width", "999");
  ProgramRun run(dir_.path());
  const QSize aboutSize = run.aboutBox.size();
  const QSize waitSize = run.form7.size();
  run.form1.show();
  EXPECT_EQ(run.form1.placementAtShow, QRect(16, 32, 811, 560));
  EXPECT_TRUE(run.form12.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(run.aboutBox.y(), 5);
  EXPECT_EQ(run.aboutBox.size(), aboutSize);
  EXPECT_EQ(run.form7.size(), waitSize);
  EXPECT_TRUE(dialogs_.boxes.isEmpty());
}

// A placement stored where there was more screen (a second monitor, a larger resolution) would
// open a window out of sight: it opens on the screen instead, at the nearest place, with its
// size; a window whose top edge shows at least in part stays where it was put.
TEST_F(Placement, placementOffEveryScreen_opensOnTheScreen_partlyShownStaysPut) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  Store("Forms/Form1/Left", QString::number(area.right() + 1000));
  Store("Forms/Form1/Top", QString::number(area.top() + 50));
  Store("Forms/Form1/Width", "300");
  Store("Forms/Form1/Height", "200");
  Store("Forms/AboutBox/Left", QString::number(area.left() + 10));
  Store("Forms/AboutBox/Top", QString::number(area.top() - 2000));
  Store("Forms/Form4/Left", QString::number(area.left() - 20));
  Store("Forms/Form4/Top", QString::number(area.top() + 15));
  Store("Forms/Form12/Left", QString::number(area.right() - 50));
  Store("Forms/Form12/Top", QString::number(area.bottom() - 30));
  ProgramRun run(dir_.path());
  run.form1.show();
  EXPECT_EQ(run.form1.placementAtShow, QRect(area.right() + 1 - 300, area.top() + 50, 300, 200));
  EXPECT_EQ(run.aboutBox.pos(), QPoint(area.left() + 10, area.top()));
  EXPECT_EQ(run.form4.pos(), QPoint(area.left() - 20, area.top() + 15));
  EXPECT_EQ(run.form12.pos(), QPoint(area.right() - 50, area.bottom() - 30));
  EXPECT_TRUE(dialogs_.boxes.isEmpty());
}

// A size stored by hand or by another tool: one too small to grab the window by leaves the
// designed size, one larger than all screens together shrinks to them; any size in between
// comes back as stored.
TEST_F(Placement, storedSizeTooSmallToGrab_keepsDesign_largerThanTheScreens_fitsThem) {
  const QRect desktop = QGuiApplication::primaryScreen()->availableVirtualGeometry();
  Store("Forms/Form1/Width", "0");
  Store("Forms/Form1/Height", "-500");
  Store("Forms/Form12/Width", "39");
  Store("Forms/Form12/Height", "1");
  Store("Forms/Form4/Width", "40");
  Store("Forms/Form4/Height", "20");
  Store("Forms/Form5/Width", "2147483647");
  Store("Forms/Form5/Height", QString::number(desktop.height() + 1));
  ProgramRun run(dir_.path());
  run.form1.show();
  EXPECT_EQ(run.form1.placementAtShow.size(), QSize(811, 560));
  EXPECT_EQ(run.form12.size(), QSize(400, 300));
  EXPECT_EQ(run.form4.size(), QSize(40, 20));
  EXPECT_EQ(run.form5.size(), desktop.size());
  EXPECT_TRUE(dialogs_.boxes.isEmpty());
}

// Positions at the ends of the integer range must not wrap around into "on the screen".
TEST_F(Placement, positionAtTheEndsOfTheIntegerRange_opensOnTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  Store("Forms/Form1/Left", "2147483647");
  Store("Forms/Form1/Top", "2147483647");
  Store("Forms/AboutBox/Left", "-2147483648");
  Store("Forms/AboutBox/Top", "-2147483648");
  Store("Forms/Form4/Left", "0x7FFFFFFF");
  Store("Forms/Form4/Top", QString::number(area.top() + 15));
  ProgramRun run(dir_.path());
  run.form1.show();
  EXPECT_EQ(run.form1.placementAtShow.topLeft(),
            QPoint(std::max(area.left(), area.right() + 1 - 811), area.bottom() + 1 - 20));
  EXPECT_EQ(run.aboutBox.pos(), area.topLeft());
  EXPECT_EQ(run.form4.pos(),
            QPoint(std::max(area.left(), area.right() + 1 - run.form4.width()), area.top() + 15));
}

// A restore that stops at a faulty value still leaves the window it stopped in where it can
// be reached.
TEST_F(Placement, restoreStoppedInsideAWindow_stillBringsThatWindowOntoTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  Store("Forms/Form1/Left", QString::number(area.right() + 1000));
  Store("Forms/Form1/Top", QString::number(area.top() + 30));
  Store("Forms/Form1/Height", QByteArray("\x01\x02", 2));
  ProgramRun run(dir_.path());
  run.form1.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(run.form1.placementAtShow,
            QRect(std::max(area.left(), area.right() + 1 - 811), area.top() + 30, 811, 560));
  EXPECT_EQ(dialogs_.Texts(), QStringList{QString("Ung\u00fcltiger Datentyp f\u00fcr 'Height'")});
}

TEST_F(Placement, valueOfAnotherType_stopsRestore_showsError_andMainWindowOpens) {
  Store("Forms/Form1/Top", "77");
  Store("Forms/Form12/Top", QByteArray("\x01\x02", 2));
  Store("Forms/Form12/Height", "123");
  Store("Forms/Form4/Top", "99");
  ProgramRun run(dir_.path());
  run.form1.show();
  QCoreApplication::processEvents();

  EXPECT_TRUE(run.form1.isVisible());
  EXPECT_EQ(run.form1.shows, 1);
  EXPECT_EQ(run.form1.y(), 77);         // restored before the faulty value
  EXPECT_EQ(run.form12.height(), 300);  // the restore stopped at Form12's "Top"
  EXPECT_EQ(run.form4.pos(), QPoint(126, 181));
  ASSERT_EQ(dialogs_.boxes.size(), 1);
  EXPECT_EQ(dialogs_.boxes[0].text, QString("Ung\u00fcltiger Datentyp f\u00fcr 'Top'"));
  EXPECT_EQ(dialogs_.boxes[0].icon, platform::Icon::Critical);
}

TEST_F(Placement, refusedClose_storesNothing_andKeepsWindowOpen) {
  ProgramRun run(dir_.path());
  run.form1.show();
  run.form1.allowClose = false;
  EXPECT_FALSE(run.form1.close());
  EXPECT_TRUE(run.form1.isVisible());
  EXPECT_TRUE(Key()->allKeys().isEmpty());

  run.form1.allowClose = true;
  EXPECT_TRUE(run.form1.close());
  EXPECT_EQ(run.form1.closes, 2);
  EXPECT_EQ(Stored("Forms/Form1/Width"), "811");
}

TEST_F(Placement, storeThatCannotBeWritten_showsErrorAndCloseGoesOn) {
  // A directory where the key's file belongs makes every write fail.
  ASSERT_TRUE(QDir().mkpath(KeyFile()));
  ProgramRun run(dir_.path());
  run.form1.show();
  EXPECT_TRUE(run.form1.close());
  EXPECT_FALSE(run.form1.isVisible());
  EXPECT_EQ(dialogs_.Texts(),
            QStringList{QString("Erzeugung von Schl\u00fcssel Forms\\Form1 misslungen")});
}

// A lock on the key's file that can never be taken (left behind in a directory that is no
// longer writable; here a directory in its place) must not keep the program from closing.
TEST_F(Placement, lockOfTheStoreThatCannotBeTaken_showsErrorAndCloseGoesOn) {
  Store("Forms/Form1/Top", "77");
  ASSERT_TRUE(QDir().mkpath(KeyFile() + ".lock"));
  ProgramRun run(dir_.path());
  run.registerForms.SetOnWrite([](placement::TRegisterForms&, placement::TRegIniFile& ini) {
    ini.WriteString("Eigenes", "Wert", "gespeichert");
  });
  run.form1.show();
  EXPECT_EQ(run.form1.y(), 77);
  const QElapsedTimer started = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
  }();
  EXPECT_TRUE(run.form1.close());
  EXPECT_LT(started.elapsed(), 10000);
  EXPECT_FALSE(run.form1.isVisible());
  EXPECT_EQ(dialogs_.Texts(),
            QStringList{QString("Erzeugung von Schl\u00fcssel Forms\\Form1 misslungen")});
}

TEST_F(Placement, disabled_stillOpensKeyAndRunsEvents_butSkipsWindows) {
  Store("Forms/Form1/Top", "10");
  ProgramRun run(dir_.path(), /*enabled=*/false);
  QStringList calls;
  run.registerForms.SetOnRead([&](placement::TRegisterForms& sender, placement::TRegIniFile& ini) {
    EXPECT_EQ(&sender, &run.registerForms);
    calls << "read:" + ini.ReadString("Eigenes", "Wert", "leer");
  });
  run.registerForms.SetOnWrite([&](placement::TRegisterForms&, placement::TRegIniFile& ini) {
    calls << "write";
    ini.WriteString("Eigenes", "Wert", "gespeichert");
  });
  run.form1.show();
  EXPECT_EQ(run.form1.y(), 157);
  run.form1.close();
  EXPECT_EQ(calls, (QStringList{"read:leer", "write"}));
  EXPECT_EQ(Stored("Eigenes/Wert"), "gespeichert");
  EXPECT_FALSE(Key()->contains("Forms/Form1/Width"));
}

TEST_F(Placement, failingOnRead_stillRestoresWindows_thenShowsItsError) {
  Store("Forms/Form1/Left", "60");
  ProgramRun run(dir_.path());
  run.registerForms.SetOnRead([](placement::TRegisterForms&, placement::TRegIniFile&) {
    throw store::UserError("Eigener Fehler");
  });
  run.form1.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(run.form1.placementAtShow.left(), 60);
  EXPECT_EQ(dialogs_.Texts(), QStringList{"Eigener Fehler"});
}

TEST_F(Placement, keyPath_followsRootCompanyAndVerRuleOfTitle) {
  const QString title = QApplication::applicationName();
  QApplication::setApplicationName("Pellumo ver. 2.0");
  {
    ProgramRun run(dir_.path());
    run.registerForms.SetRootKey(placement::THKEY::LocalMachine);
    EXPECT_EQ(run.registerForms.AppName(), "Pellumo");
    EXPECT_EQ(run.registerForms.KeyPath(), "SOFTWARE\\Tavrel\\Pellumo");
    run.form1.show();
    run.form1.close();
  }
  QApplication::setApplicationName(title);
  EXPECT_TRUE(QFile::exists(KeyFile("HKEY_LOCAL_MACHINE", "Pellumo")));
  EXPECT_FALSE(QFile::exists(KeyFile()));
  QSettings key(KeyFile("HKEY_LOCAL_MACHINE", "Pellumo"), QSettings::IniFormat);
  EXPECT_EQ(key.value("Forms/Form1/Top").toString(), "157");
}

}  // namespace
