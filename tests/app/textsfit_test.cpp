// Every caption of every window is fully visible at the designed sizes: labels, buttons,
// check boxes, radio buttons, group box titles, tabs and the entries of fixed lists. Each text
// is measured with the widget's own font metrics and placed as the style places it; the text
// must lie inside the widget and inside every widget around it.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <set>
#include <string>

#include "app/otherwindows.h"
#include "mainwindow/tform1.h"
#include "platform/designfont.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

std::string Describe(const QWidget* widget, const QString& text) {
  const QString where = widget->window()->objectName() + "/" + widget->objectName();
  return where.toStdString() + " \"" + text.toStdString() + "\"";
}

QSize TextSize(const QWidget* widget, const QString& text) {
  return widget->fontMetrics().size(Qt::TextShowMnemonic, text);
}

class TextsFit {
 public:
  // Checks every texted widget of window (and window itself) as it is laid out now.
  void Check(QWidget* window) {
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
      if (widget->isHidden() || widget->window() != window)
        continue;
      if (auto* label = qobject_cast<QLabel*>(widget))
        CheckLabel(label);
      else if (auto* button = qobject_cast<QPushButton*>(widget))
        CheckPushButton(button);
      else if (auto* box = qobject_cast<QCheckBox*>(widget))
        CheckIndicatorButton<CheckBoxAccess>(box, QStyle::SE_CheckBoxContents);
      else if (auto* radio = qobject_cast<QRadioButton*>(widget))
        CheckIndicatorButton<RadioButtonAccess>(radio, QStyle::SE_RadioButtonContents);
      else if (auto* group = qobject_cast<QGroupBox*>(widget))
        CheckGroupBox(group);
      else if (auto* bar = qobject_cast<QTabBar*>(widget))
        CheckTabBar(bar);
    }
  }

  std::set<std::string> problems;
  int checked = 0;

 private:
  // The text rectangle (in widget coordinates) must lie inside the widget and be seen
  // through every widget around it up to the window.
  void Expect(const QWidget* widget, const QString& text, const QRect& textRect,
              const QRect& room) {
    ++checked;
    if (!room.contains(textRect)) {
      problems.insert(Describe(widget, text) + " needs " + std::to_string(textRect.width()) + "x" +
                      std::to_string(textRect.height()) + ", has " + std::to_string(room.width()) +
                      "x" + std::to_string(room.height()));
      return;
    }
    QRect seen = textRect;
    for (const QWidget* w = widget; !w->isWindow(); w = w->parentWidget()) {
      seen.translate(w->pos());
      const QRect parentRect = w->parentWidget()->rect();
      if (!parentRect.contains(seen)) {
        problems.insert(Describe(widget, text) + " reaches beyond " +
                        w->parentWidget()->objectName().toStdString());
        return;
      }
    }
  }

  void CheckLabel(QLabel* label) {
    if (label->text().isEmpty() || label->wordWrap())
      return;
    QRect room = label->contentsRect();
    const int margin = label->margin();
    room.adjust(margin, margin, -margin, -margin);
    const QRect textRect = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                               TextSize(label, label->text()), room);
    Expect(label, label->text(), textRect, room);
  }

  void CheckPushButton(QPushButton* button) {
    if (button->text().isEmpty())
      return;
    QStyleOptionButton option;
    InitStyleOption<PushButtonAccess>(button, &option);
    QStyle* style = button->style();
    QRect room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    // The style keeps a margin between the frame and the caption.
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button) / 2;
    room.adjust(margin, 0, -margin, 0);
    QSize need = TextSize(button, button->text());
    if (!button->icon().isNull())
      need.rwidth() += button->iconSize().width() + 4;
    Expect(button, button->text(),
           QStyle::alignedRect(button->layoutDirection(), Qt::AlignCenter, need, room), room);
  }

  template <typename Access, typename Button>
  void CheckIndicatorButton(Button* button, QStyle::SubElement contents) {
    if (button->text().isEmpty())
      return;
    QStyleOptionButton option;
    InitStyleOption<Access>(button, &option);
    const QRect room = button->style()->subElementRect(contents, &option, button);
    const QRect textRect =
        QStyle::alignedRect(button->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter,
                            TextSize(button, button->text()), room);
    Expect(button, button->text(), textRect, room);
  }

  void CheckGroupBox(QGroupBox* box) {
    if (box->title().isEmpty())
      return;
    QStyleOptionGroupBox option;
    InitStyleOption<GroupBoxAccess>(box, &option);
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const QSize need = TextSize(box, box->title());
    Expect(box, box->title(), QRect(label.topLeft(), need), box->rect());
  }

  void CheckTabBar(QTabBar* bar) {
    // Scroll arrows mean that some tab is out of sight.
    for (const QToolButton* arrow : bar->findChildren<QToolButton*>()) {
      if (arrow->isVisible())
        problems.insert(Describe(bar, QString()) + " shows scroll arrows");
    }
    for (int i = 0; i < bar->count(); ++i) {
      QStyleOptionTab option;
      (bar->*(&TabBarAccess::initStyleOption))(&option, i);
      // Where the style draws the caption inside the tab.
      const QRect room = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar);
      const QRect textRect = QStyle::alignedRect(bar->layoutDirection(), Qt::AlignCenter,
                                                 TextSize(bar, bar->tabText(i)), room);
      Expect(bar, bar->tabText(i), textRect, room.intersected(bar->rect()));
    }
  }

  // The style options a widget paints with; Qt hands them to subclasses only.
  struct PushButtonAccess : QPushButton {
    using QPushButton::initStyleOption;
  };
  struct CheckBoxAccess : QCheckBox {
    using QCheckBox::initStyleOption;
  };
  struct RadioButtonAccess : QRadioButton {
    using QRadioButton::initStyleOption;
  };
  struct GroupBoxAccess : QGroupBox {
    using QGroupBox::initStyleOption;
  };
  struct TabBarAccess : QTabBar {
    using QTabBar::initStyleOption;
  };
  template <typename Access, typename Widget, typename Option>
  static void InitStyleOption(Widget* widget, Option* option) {
    (widget->*(&Access::initStyleOption))(option);
  }
};

class TextsFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("names.qdx", "Meier,Anna\r\nAdler,Bernd\r\n");
    dir_.Write("adresse.qdx", "[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\n");
    form_ = std::make_unique<TForm1>(std::make_shared<store::AddressBook>(dir_.Path()));
    app::CreateOtherWindows(*form_);
  }

  QWidget* Window(const char* name) const {
    auto* window = form_->findChild<QWidget*>(QLatin1String(name));
    EXPECT_NE(window, nullptr) << name;
    return window;
  }

  // Shows the window as the user sees it and checks it with every page of every notebook on
  // top in turn.
  void CheckWindow(QWidget* window) {
    window->show();
    QApplication::processEvents();
    fit_.Check(window);
    for (QTabWidget* notebook : window->findChildren<QTabWidget*>()) {
      const int shown = notebook->currentIndex();
      for (int page = 0; page < notebook->count(); ++page) {
        notebook->setCurrentIndex(page);
        QApplication::processEvents();
        fit_.Check(window);
      }
      notebook->setCurrentIndex(shown);
    }
    window->hide();
  }

  testsupport::TempDataDir dir_;
  testsupport::ScriptedDialogs dialogs_;
  std::unique_ptr<TForm1> form_;
  TextsFit fit_;
};

TEST_F(TextsFitTest, theDesignFontIsInstalled) {
  // Debian's fonts-liberation; scripts/install-deps.sh installs it.
  EXPECT_EQ(platform::DesignFontFamily(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(QFontInfo(platform::DesignFontPoints(8)).pixelSize(), 11);
}

TEST_F(TextsFitTest, everyCaptionOfEveryWindowIsFullyVisible) {
  for (const char* name :
       {"Form1", "Form3", "Form12", "Form4", "Form5", "Form7", "Form8", "AboutBox"}) {
    QWidget* window = QLatin1String(name) == QLatin1String("Form1") ? form_.get() : Window(name);
    if (window)
      CheckWindow(window);
  }
  EXPECT_GT(fit_.checked, 60);
  for (const std::string& problem : fit_.problems)
    ADD_FAILURE() << problem;
}

TEST_F(TextsFitTest, theFieldListShowsEveryFieldWhole) {
  QWidget* form8 = Window("Form8");
  ASSERT_NE(form8, nullptr);
  form8->show();
  QApplication::processEvents();
  auto* fields = form8->findChild<QListView*>(QStringLiteral("CheckListBox1"));
  ASSERT_NE(fields, nullptr);
  const QRect viewport = fields->viewport()->rect();
  ASSERT_EQ(fields->model()->rowCount(), 15);
  for (int row = 0; row < fields->model()->rowCount(); ++row) {
    const QModelIndex index = fields->model()->index(row, 0);
    const QString text = index.data().toString();
    const QRect entry = fields->visualRect(index);
    EXPECT_TRUE(viewport.contains(entry)) << text.toStdString();
    EXPECT_LE(fields->sizeHintForIndex(index).width(), viewport.width()) << text.toStdString();
  }
  EXPECT_EQ(fields->model()->index(14, 0).data().toString(), QStringLiteral("Int. Rufnr."));
  form8->hide();
}

TEST_F(TextsFitTest, anEmptyGridsNumberColumnHoldsARowNumber) {
  QWidget* form8 = Window("Form8");
  ASSERT_NE(form8, nullptr);
  form8->show();
  QApplication::processEvents();
  auto* grid = form8->findChild<QTableView*>(QStringLiteral("StringGrid1"));
  ASSERT_NE(grid, nullptr);
  auto* notebook = form8->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(notebook, nullptr);
  notebook->setCurrentIndex(0);
  QApplication::processEvents();
  const QHeaderView* numbers = grid->verticalHeader();
  ASSERT_TRUE(numbers->isVisible());
  EXPECT_GE(numbers->width(), numbers->fontMetrics().horizontalAdvance(QStringLiteral("100000")));
  form8->hide();
}

}  // namespace
