// The restore dialog TForm3, opened from the main window's menu; the files are compared as bytes.
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "mainwindow/tform3.h"
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kDeleted = "Berg,Ute\r\nCarl,Max\r\nDorn,Ida\r\nEck,Olaf\r\nFink,Lea\r\n";

class RestoreTest : public MainWindowTest {
 protected:
  QByteArray Secure() const { return data.Read(QStringLiteral("secure.qdx")); }

  // Opens the dialog from the menu; inside it ticks the entries, highlights one (or none)
  // and presses the button.
  void Restore(const QStringList& ticked, const QString& highlighted = QString(),
               const char* button = "BitBtn1") {
    dialogs.modalAnswers.enqueue([=](QDialog& dialog) {
      auto* list = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
      shownEntries.clear();
      for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        shownEntries.append(item->text());
        EXPECT_EQ(item->checkState(), Qt::Unchecked);
        if (ticked.contains(item->text()))
          item->setCheckState(Qt::Checked);
        if (item->text() == highlighted)
          list->setCurrentItem(item);
      }
      dialog.findChild<QPushButton*>(QLatin1String(button))->click();
      return dialog.result();
    });
    Trigger("G1");
  }

  QStringList shownEntries;
};

TEST_F(RestoreTest, dialogListsTheDeletedKeysSorted_unticked_withItsCaptions) {
  data.Write(QStringLiteral("secure.qdx"), "Eck,Olaf\r\nberg,Ute\r\nCarl,Max\r\n");
  Open("Alt,Bea\r\n");
  dialogs.modalAnswers.enqueue([](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Gelöschte Datensätze wiederherstellen"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QString::fromUtf8("Bitte auswählen:"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text(),
              "&Wiederherstellen");
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->text(), "Abbruch");
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    return int(QDialog::Rejected);
  });
  Trigger("G1");

  EXPECT_EQ(dialogs.modalWindows, QStringList{"Form3"});
  Restore({});
  EXPECT_EQ(shownEntries, (QStringList{"berg,Ute", "Carl,Max", "Eck,Olaf"}));
}

TEST_F(RestoreTest, threeTickedEntries_moveExactlyThoseKeys_whateverIsHighlighted) {
  data.Write(QStringLiteral("secure.qdx"), kDeleted);
  Open("Alt,Bea\r\nZorn,Udo\r\n");
  Restore({"Carl,Max", "Eck,Olaf", "Fink,Lea"}, "Berg,Ute");

  EXPECT_EQ(Names(), "Alt,Bea\r\nCarl,Max\r\nEck,Olaf\r\nFink,Lea\r\nZorn,Udo\r\n");
  EXPECT_EQ(Secure(), "Berg,Ute\r\nDorn,Ida\r\n");
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Carl,Max", "Eck,Olaf", "Fink,Lea", "Zorn,Udo"}));
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(RestoreTest, tickedEntries_areRestoredAlsoWithNothingHighlighted) {
  data.Write(QStringLiteral("secure.qdx"), kDeleted);
  Open("Alt,Bea\r\n");
  Restore({"Dorn,Ida"});

  EXPECT_EQ(Names(), "Alt,Bea\r\nDorn,Ida\r\n");
  EXPECT_EQ(Secure(), "Berg,Ute\r\nCarl,Max\r\nEck,Olaf\r\nFink,Lea\r\n");
}

TEST_F(RestoreTest, highlightedKeyAlreadyLive_refuses_andNeitherFileChanges) {
  data.Write(QStringLiteral("secure.qdx"), "ALT,BEA\r\n" + kDeleted);
  Open("Alt,Bea\r\n");
  Restore({"Carl,Max", "Dorn,Ida"}, "ALT,BEA");

  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreRefusedMessage()});
  EXPECT_EQ(mainwindow::RestoreRefusedMessage(),
            QString::fromUtf8("Datensatz kann nicht wiederhergestellt werden, da bereits neue "
                              "Daten für diese Person exiatieren!"));
  EXPECT_EQ(Names(), "Alt,Bea\r\n");
  EXPECT_EQ(Secure(), "ALT,BEA\r\n" + kDeleted);
}

TEST_F(RestoreTest, tickedKeyLiveButNotShownInTheInternalNumberView_refuses) {
  data.Write(QStringLiteral("secure.qdx"), "carl,max\r\n" + kDeleted);
  Open("Alt,Bea\r\nCarl,Max\r\n", Person("Alt", "Bea", "A", "12") + Person("Carl", "Max", "C"));
  Click("Button3");
  ASSERT_EQ(Entries(), QStringList{"Alt,Bea @ 12"});
  Restore({"carl,max", "Eck,Olaf"});

  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreRefusedMessage()});
  EXPECT_EQ(Names(), "Alt,Bea\r\nCarl,Max\r\n");
  EXPECT_EQ(Secure(), "carl,max\r\n" + kDeleted);
  // Closing the dialog reloads the list with plain keys, whatever the view.
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Carl,Max"}));
}

TEST_F(RestoreTest, cancel_changesNoFile_butReloadsTheList) {
  data.Write(QStringLiteral("secure.qdx"), kDeleted);
  Open("Alt,Bea\r\n");
  data.Write(QStringLiteral("names.qdx"), "Alt,Bea\r\nNeu,Nora\r\n");  // another workstation
  Restore({"Carl,Max"}, "Carl,Max", "BitBtn2");

  EXPECT_EQ(Names(), "Alt,Bea\r\nNeu,Nora\r\n");
  EXPECT_EQ(Secure(), kDeleted);
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Neu,Nora"}));
}

TEST_F(RestoreTest, keyRestoredElsewhereMeanwhile_isReported_theOthersAreMoved) {
  data.Write(QStringLiteral("secure.qdx"), kDeleted);
  Open("Alt,Bea\r\n");
  dialogs.modalAnswers.enqueue([this](QDialog& dialog) {
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
    list->item(0)->setCheckState(Qt::Checked);  // Berg,Ute
    list->item(1)->setCheckState(Qt::Checked);  // Carl,Max
    // Another workstation purges Berg,Ute while the dialog is open.
    data.Write(QStringLiteral("secure.qdx"), "Carl,Max\r\nDorn,Ida\r\nEck,Olaf\r\nFink,Lea\r\n");
    dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    return dialog.result();
  });
  Trigger("G1");

  EXPECT_EQ(dialogs.Texts(), QStringList{mainwindow::RestoreFailedMessage()});
  EXPECT_EQ(Names(), "Alt,Bea\r\nCarl,Max\r\n");
  EXPECT_EQ(Secure(), "Dorn,Ida\r\nEck,Olaf\r\nFink,Lea\r\n");
}

// A share that drops out takes the name index with it while the dialog is open. The restore
// stops and says so once; closing the dialog keeps the list the user had, instead of leaving an
// empty address book on the screen, whichever button closes it.
TEST_F(RestoreTest, nameIndexGoneWhileTheDialogIsOpen_listKept_failureToldOnce) {
  data.Write(QStringLiteral("secure.qdx"), kDeleted);
  Open("Alt,Bea\r\nZorn,Udo\r\n");
  ASSERT_TRUE(QFile::remove(data.File(QStringLiteral("names.qdx"))));
  Restore({"Carl,Max"});

  EXPECT_EQ(dialogs.Texts(), QStringList{store::LoadFailureMessage()});
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Zorn,Udo"}));
  EXPECT_FALSE(data.Exists(QStringLiteral("names.qdx")));
  EXPECT_EQ(Secure(), kDeleted);

  Restore({}, QString(), "BitBtn2");
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Zorn,Udo"}));
}

TEST_F(RestoreTest, deleteThenRestore_bringsTheRecordBackWithAllItsValues) {
  const QByteArray records = Person("Alt", "Bea", "A", "12") + Person("Berg", "Ute", "B", "7");
  Open("Alt,Bea\r\nBerg,Ute\r\n", records);
  ClickRow(1);
  Click("ToolbarButton979");
  ASSERT_EQ(Names(), "Alt,Bea\r\n");
  Restore({"Berg,Ute"});

  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\n");
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Store(), records);
  ClickRow(1);
  EXPECT_EQ(Edit(store::kIRuf)->text(), "7");
}

// The real modal dialog, shown by the production dialog seam: ticking an entry and pressing
// "&Wiederherstellen" restores it and closes the dialog.
void TickAndRestoreWhenShown(int row) {
  QTimer::singleShot(0, [row] {
    auto* dialog = qobject_cast<TForm3*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      TickAndRestoreWhenShown(row);
      return;
    }
    dialog->CheckListBox1->item(row)->setCheckState(Qt::Checked);
    QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
  });
}

TEST_F(RestoreTest, realDialog_restoresTheTickedEntry_andCloses) {
  data.Write(QStringLiteral("secure.qdx"), kDeleted);
  Open("Alt,Bea\r\n");
  platform::Dialogs::Install(nullptr);
  TickAndRestoreWhenShown(1);
  Trigger("G1");
  platform::Dialogs::Install(&dialogs);

  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Names(), "Alt,Bea\r\nCarl,Max\r\n");
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Carl,Max"}));
}

// A name index lost to damage leaves every record an orphan. Ctrl+A in the list (or the
// list's context menu) ticks them all, so they are listed again in one go; the menu also
// unticks them all.
void TickAllByKeysAndRestoreWhenShown(QStringList* offered, QStringList* menu) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<TForm3*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      TickAllByKeysAndRestoreWhenShown(offered, menu);
      return;
    }
    QListWidget* list = dialog->CheckListBox1;
    for (QAction* action : list->actions())
      menu->append(action->text());
    const auto ticked = [list] {
      QStringList keys;
      for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->checkState() == Qt::Checked)
          keys.append(list->item(row)->text());
      }
      return keys;
    };
    QApplication::setActiveWindow(dialog);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    *offered = ticked();
    dialog->Keineauswhlen1->trigger();
    EXPECT_TRUE(ticked().isEmpty());
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
  });
}

TEST_F(RestoreTest, everyOrphanOfALostNameIndex_isTickedByCtrlA_andListedAgainAtOnce) {
  const QByteArray records =
      Person("Alt", "Bea", "1") + Person("Berg", "Ute", "2") + Person("Carl", "Max", "3");
  Open("", records);
  platform::Dialogs::Install(nullptr);
  QStringList offered;
  QStringList menu;
  TickAllByKeysAndRestoreWhenShown(&offered, &menu);
  Trigger("VerwaisteDatenstzewiederherstellen1");
  platform::Dialogs::Install(&dialogs);

  EXPECT_EQ(menu, (QStringList{QString::fromUtf8("Alle auswählen"),
                               QString::fromUtf8("Keine auswählen")}));
  EXPECT_EQ(offered, (QStringList{"Alt,Bea", "Berg,Ute", "Carl,Max"}));
  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\nCarl,Max\r\n");
  EXPECT_EQ(Store(), records);
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Berg,Ute", "Carl,Max"}));
}

}  // namespace
}  // namespace mainwindowtest
