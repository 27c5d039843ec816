#pragma once

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <memory>

#include "reports/tform8.h"
#include "store/addressbook.h"
#include "tests/reports/report_fixtures.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace reporttest {

// A report generator over a temporary data directory with three records, driven through its
// named controls with scripted dialogs.
class Form8Test : public ::testing::Test {
 public:
  void SetUp() override {
    StoredRecord zander = FullRecord("Zander", "Zoe", "");
    zander.values.removeLast();  // no "IRuf" key
    dir.Write("adresse.qdx", StoreBytes({FullRecord("Beck", "Bea", ""),
                                         FullRecord("M\u00fcller", "Anna", "123"), zander}));
    form = std::make_unique<TForm8>([this] { return mainList; },
                                    std::make_shared<store::AddressBook>(dir.Path()));
  }

  template <typename T>
  T* Get(const char* name) const {
    T* widget = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QAbstractButton* Button(const char* name) const { return Get<QAbstractButton>(name); }
  QAction* Action(const char* name) const { return Get<QAction>(name); }
  QListWidget* List(const char* name) const { return Get<QListWidget>(name); }
  QCheckBox* Box(const char* name) const { return Get<QCheckBox>(name); }

  // Clicks a control the user could click: it exists, is enabled and can be reached.
  void Click(const char* name) {
    QAbstractButton* button = Button(name);
    ASSERT_TRUE(button->isEnabled()) << name;
    button->click();
  }
  // Runs a menu item; a disabled item does nothing, as in the menu.
  void Trigger(const char* name) { Action(name)->trigger(); }

  void Show() { form->show(); }
  void NewReport() { Click("ToolbarButton972"); }
  void Build() { Trigger("AusmarkiertenDatenBerichterstellen1"); }
  void SaveAs(const QString& path) {
    dialogs.fileAnswers.enqueue(path);
    Trigger("Reportspeichernunter1");
  }
  void Open(const QString& path) {
    dialogs.fileAnswers.enqueue(path);
    Trigger("Reportffnen1");
  }

  static QStringList Checked(QListWidget* list) {
    QStringList checked;
    for (int i = 0; i < list->count(); ++i) {
      if (list->item(i)->checkState() == Qt::Checked)
        checked.append(list->item(i)->text());
    }
    return checked;
  }
  static QStringList Texts(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
      texts.append(list->item(i)->text());
    return texts;
  }
  void SetChecked(const char* listName, int row, bool checked) {
    List(listName)->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }

  testsupport::TempDataDir dir;
  testsupport::ScriptedDialogs dialogs;
  QStringList mainList = {"Beck,Bea", "M\u00fcller,Anna", "Zander,Zoe"};
  std::unique_ptr<TForm8> form;
};

}  // namespace reporttest
