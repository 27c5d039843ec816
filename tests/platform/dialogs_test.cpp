#include <gtest/gtest.h>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/dialogs.h"
#include "platform/waitcursor.h"

namespace {

// Presses the button with the given caption in the next modal message box, once it is up.
void PressWhenShown(const QString& caption, QString* seenCaption, QStringList* seenButtons) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      PressWhenShown(caption, seenCaption, seenButtons);
      return;
    }
    *seenCaption = box->windowTitle();
    for (QAbstractButton* button : box->buttons())
      seenButtons->append(button->text());
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == caption)
        button->click();
    }
  });
}

TEST(QtDialogs, confirmWithCancel_showsGermanButtonsAndMapsAnswers) {
  platform::Dialogs::Install(nullptr);
  QString caption;
  QStringList buttons;
  PressWhenShown(QStringLiteral("Abbrechen"), &caption, &buttons);
  const auto answer =
      platform::Dialogs::Get().Confirm(nullptr, QStringLiteral("Frage ?"), /*withCancel=*/true);
  EXPECT_EQ(answer, platform::Answer::Cancel);
  EXPECT_EQ(caption, QStringLiteral("Bestätigen"));
  EXPECT_EQ(buttons, (QStringList{"&Ja", "&Nein", "Abbrechen"}));

  buttons.clear();
  PressWhenShown(QStringLiteral("&Nein"), &caption, &buttons);
  EXPECT_EQ(platform::Dialogs::Get().Confirm(nullptr, QStringLiteral("Frage ?")),
            platform::Answer::No);
  EXPECT_EQ(buttons, (QStringList{"&Ja", "&Nein"}));
}

TEST(QtDialogs, plainMessage_hasApplicationTitleAndOk) {
  platform::Dialogs::Install(nullptr);
  QString caption;
  QStringList buttons;
  PressWhenShown(QStringLiteral("OK"), &caption, &buttons);
  platform::Dialogs::Get().Message(nullptr, QStringLiteral("Hallo"));
  EXPECT_EQ(caption, QStringLiteral("Pellumo! NetworkEdition"));
  EXPECT_EQ(buttons, QStringList{"OK"});
}

}  // namespace

// A question asked while a command shows the wait cursor has the normal cursor: the box
// answers. The command's wait cursor is back afterwards, and gone at its end.
TEST(QtDialogs, questionDuringACommandsWaitCursor_hasTheNormalCursor) {
  platform::Dialogs::Install(nullptr);
  const auto shape = [] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
  };
  Qt::CursorShape whileAsking = Qt::BlankCursor;
  {
    platform::WaitCursor busy;
    ASSERT_EQ(shape(), Qt::WaitCursor);
    QTimer::singleShot(0, [&] {
      whileAsking = shape();
      QApplication::activeModalWidget()->close();
    });
    platform::Dialogs::Get().Message(nullptr, QStringLiteral("Hinweis"));
    EXPECT_EQ(shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(whileAsking, Qt::ArrowCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
