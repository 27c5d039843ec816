#include "tests/support/scripteddialogs.h"

#include <QPrinter>

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() {
  platform::Dialogs::Install(this);
}

ScriptedDialogs::~ScriptedDialogs() {
  platform::Dialogs::Install(nullptr);
}

QStringList ScriptedDialogs::Texts() const {
  QStringList texts;
  for (const auto& box : boxes)
    texts.append(box.text);
  return texts;
}

void ScriptedDialogs::AnswerNext(const QString& buttonCaption) {
  namedAnswers_.enqueue(buttonCaption);
}

int ScriptedDialogs::ShowMessageBox(QWidget*, const platform::MessageBoxSpec& request) {
  boxes.append(request);
  if (!namedAnswers_.isEmpty()) {
    const int index = request.buttons.indexOf(namedAnswers_.dequeue());
    if (index >= 0)
      return index;
  }
  if (!boxAnswers.isEmpty())
    return boxAnswers.dequeue();
  return request.escapeButton;
}

std::optional<QString> ScriptedDialogs::GetSaveFileName(QWidget*,
                                                        const platform::FileDialogSpec& request) {
  fileDialogs.append(request);
  return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::GetOpenFileName(QWidget*,
                                                        const platform::FileDialogSpec& request) {
  fileDialogs.append(request);
  return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

std::optional<QFont> ScriptedDialogs::GetFont(QWidget*, const QFont&) {
  ++fontDialogs;
  return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.dequeue();
}

bool ScriptedDialogs::ExecPrintDialog(QWidget*, QPrinter&) {
  ++printDialogs;
  return printAnswers.isEmpty() ? false : printAnswers.dequeue();
}

bool PdfPrintDialogs::ExecPrintDialog(QWidget* parent, QPrinter& printer) {
  const bool confirmed = ScriptedDialogs::ExecPrintDialog(parent, printer);
  if (confirmed) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(outputFile);
  }
  return confirmed;
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
  modalWindows.append(dialog.objectName());
  if (modalAnswers.isEmpty())
    return QDialog::Rejected;
  return modalAnswers.dequeue()(dialog);
}

}  // namespace testsupport
