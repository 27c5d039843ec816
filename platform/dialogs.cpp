#include "platform/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

#include "platform/waitcursor.h"

namespace platform {
namespace {

QMessageBox::Icon ToQtIcon(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Critical:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

class QtDialogs : public Dialogs {
 public:
  int ShowMessageBox(QWidget* parent, const MessageBoxSpec& request) override {
    QMessageBox box(ToQtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    parent);
    QList<QPushButton*> buttons;
    for (const QString& caption : request.buttons) {
      buttons.append(box.addButton(caption, QMessageBox::ActionRole));
    }
    if (request.defaultButton >= 0 && request.defaultButton < buttons.size()) {
      box.setDefaultButton(buttons[request.defaultButton]);
    }
    if (request.escapeButton >= 0 && request.escapeButton < buttons.size()) {
      box.setEscapeButton(buttons[request.escapeButton]);
    }
    const NormalCursorWhileAsking asking;
    box.exec();
    const int pressed = buttons.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return pressed >= 0 ? pressed : request.escapeButton;
  }

  std::optional<QString> GetSaveFileName(QWidget* parent, const FileDialogSpec& request) override {
    QFileDialog dialog(parent, request.title, request.initialPath, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialPath.isEmpty())
      dialog.selectFile(request.initialPath);
    const NormalCursorWhileAsking asking;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return std::nullopt;
    return dialog.selectedFiles().constFirst();
  }

  std::optional<QString> GetOpenFileName(QWidget* parent, const FileDialogSpec& request) override {
    QFileDialog dialog(parent, request.title, request.initialPath, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialPath.isEmpty())
      dialog.selectFile(request.initialPath);
    const NormalCursorWhileAsking asking;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return std::nullopt;
    return dialog.selectedFiles().constFirst();
  }

  std::optional<QFont> GetFont(QWidget* parent, const QFont& initial) override {
    bool ok = false;
    const NormalCursorWhileAsking asking;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
      return std::nullopt;
    return font;
  }

  bool ExecPrintDialog(QWidget* parent, QPrinter& printer) override {
    QPrintDialog dialog(&printer, parent);
    const NormalCursorWhileAsking asking;
    return dialog.exec() == QDialog::Accepted;
  }

  int ExecModal(QDialog& dialog) override {
    const NormalCursorWhileAsking asking;
    return dialog.exec();
  }
};

Dialogs* installed = nullptr;

}  // namespace

QString Dialogs::ApplicationTitle() {
  const QString title = QApplication::applicationDisplayName();
  return title.isEmpty() ? QApplication::applicationName() : title;
}

void Dialogs::Message(QWidget* parent, const QString& text) {
  ShowMessageBox(parent, {ApplicationTitle(), text, Icon::None, {QStringLiteral("OK")}, 0, 0});
}

void Dialogs::Error(QWidget* parent, const QString& text) {
  ShowMessageBox(parent, {ApplicationTitle(), text, Icon::Critical, {QStringLiteral("OK")}, 0, 0});
}

Answer Dialogs::Confirm(QWidget* parent, const QString& text, bool withCancel) {
  MessageBoxSpec request{QStringLiteral("Bestätigen"),
                         text,
                         Icon::Question,
                         {QStringLiteral("&Ja"), QStringLiteral("&Nein")},
                         0,
                         1};
  if (withCancel) {
    request.buttons.append(QStringLiteral("Abbrechen"));
    request.escapeButton = 2;
  }
  switch (ShowMessageBox(parent, request)) {
    case 0:
      return Answer::Yes;
    case 1:
      return Answer::No;
    default:
      return withCancel ? Answer::Cancel : Answer::No;
  }
}

Dialogs& Dialogs::Get() {
  static QtDialogs qtDialogs;
  return installed ? *installed : qtDialogs;
}

void Dialogs::Install(Dialogs* dialogs) {
  installed = dialogs;
}

}  // namespace platform
