#pragma once

#include <gtest/gtest.h>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <utility>

#include "mainwindow/tform1.h"
#include "store/fieldtable.h"
#include "store/fileio.h"
#include "store/sharedaccess.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

// Readable failure output for Qt strings (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace mainwindowtest {

// A main window on a temporary data directory, with scripted dialogs. Fixtures are bytes.
class MainWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    store::SetFaultHook({});
    if (form) {
      // Close without a question: an entry left under way is given up by the test.
      dialogs.AnswerNext(QStringLiteral("&Nein"));
      form->close();
    }
  }

  // Writes names.qdx (and adresse.qdx when given) and opens the window on them.
  void Open(const QByteArray& names, const QByteArray& store = {}) {
    data.Write(QStringLiteral("names.qdx"), names);
    if (!store.isNull())
      data.Write(QStringLiteral("adresse.qdx"), store);
    OpenWindow();
  }
  void OpenWindow() {
    form = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(data.Path()));
    form->show();
    QApplication::setActiveWindow(form.get());
  }

  template <typename T = QWidget>
  T* Find(const char* name) const {
    T* widget = form->findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QToolButton* Button(const char* name) const { return Find<QToolButton>(name); }
  QAction* Item(const char* name) const { return Find<QAction>(name); }
  QLineEdit* Edit(int field) const { return Find<QLineEdit>(store::Fields()[field].control); }
  QListView* List() const { return Find<QListView>("ListBox1"); }
  // The list entry at row as the list shows it.
  QModelIndex Row(int row) const { return List()->model()->index(row, 0); }
  // The company tree, its nodes and its root ("Firmen").
  QTreeView* Tree() const { return Find<QTreeView>("TreeView1"); }
  QAbstractItemModel* Nodes() const { return Tree()->model(); }
  QModelIndex Root() const { return Nodes()->index(0, 0); }

  // Clicks a toolbar button as the user does; it must be there and enabled.
  void Click(const char* name) {
    QToolButton* button = Button(name);
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  // Runs a menu item as the user does; it must be enabled.
  void Trigger(const char* name) {
    QAction* item = Item(name);
    ASSERT_TRUE(item->isEnabled()) << name;
    item->trigger();
  }
  // Clicks the list entry at row with the primary button.
  void ClickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
    QListView* list = List();
    ASSERT_LT(row, list->model()->rowCount()) << row;
    list->scrollTo(Row(row));
    const QPoint at = list->visualRect(Row(row)).center();
    QTest::mouseClick(list->viewport(), button, Qt::NoModifier, at);
  }
  // Clicks a node of the company tree with the primary button.
  void ClickNode(const QModelIndex& node) {
    ASSERT_TRUE(node.isValid());
    Tree()->scrollTo(node);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Tree()->visualRect(node).center());
  }
  void PressBelowLastEntry(Qt::MouseButton button) {
    QListView* list = List();
    QTest::mousePress(list->viewport(), button, Qt::NoModifier,
                      QPoint(20, list->viewport()->height() - 3));
    QTest::mouseRelease(list->viewport(), button, Qt::NoModifier,
                        QPoint(20, list->viewport()->height() - 3));
  }

  void Type(int field, const QString& text) {
    Edit(field)->setFocus();
    Edit(field)->selectAll();
    Edit(field)->insert(text);  // as typed or pasted: replaces the selection, up to maxLength
  }
  void FillNames(const QString& name, const QString& firstName) {
    Type(store::kName, name);
    Type(store::kVorname, firstName);
  }

  // The entry is still under way with the field as typed.
  void ExpectEntryIntact(int field, const QString& text) const {
    EXPECT_TRUE(form->EntryUnderway());
    EXPECT_EQ(Edit(field)->text(), text);
    EXPECT_TRUE(Edit(field)->isEnabled());
  }

  // Answers the next restore dialog as the user does: ticks the entries whose texts are in
  // ticked, lets meanwhile act (another workstation, while the dialog is open), and presses
  // "&Wiederherstellen". The dialog's title and entries are noted in restoreDialogTitle and
  // restoreDialogEntries.
  void AnswerRestoreDialog(const QStringList& ticked, std::function<void()> meanwhile = {}) {
    dialogs.modalAnswers.enqueue([=](QDialog& dialog) {
      restoreDialogTitle = dialog.windowTitle();
      restoreDialogEntries.clear();
      auto* list = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
      for (int row = 0; row < list->count(); ++row) {
        restoreDialogEntries.append(list->item(row)->text());
        if (ticked.contains(list->item(row)->text()))
          list->item(row)->setCheckState(Qt::Checked);
      }
      if (meanwhile)
        meanwhile();
      dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
      return dialog.result();
    });
  }

  QString restoreDialogTitle;
  QStringList restoreDialogEntries;

  QStringList Entries() const { return form->ListEntries(); }
  QStringList FieldTexts() const {
    QStringList texts;
    for (int i = 0; i < store::kFieldCount; ++i)
      texts.append(Edit(i)->text());
    return texts;
  }
  QByteArray Names() const { return data.Read(QStringLiteral("names.qdx")); }
  QByteArray Store() const { return data.Read(QStringLiteral("adresse.qdx")); }

  testsupport::TempDataDir data;
  testsupport::ScriptedDialogs dialogs;
  std::unique_ptr<TForm1> form;
};

// A record's section as the record store writes it when it is new: the fifteen keys in store
// order, the fields not given empty. Values are Windows-1252 bytes.
QByteArray Section(const QByteArray& key, std::initializer_list<std::pair<int, QByteArray>> values);

}  // namespace mainwindowtest
