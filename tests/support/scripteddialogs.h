#pragma once

#include <QDialog>
#include <QList>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

#include "platform/dialogs.h"
#include "store/messages.h"

namespace testsupport {

// Records every dialog the program shows and answers from queues. An empty queue gives the
// box's escape button (message boxes), nothing chosen (file and font dialogs), a declined
// print dialog, and QDialog::Rejected for modal windows. Installs itself for its lifetime.
class ScriptedDialogs : public platform::Dialogs {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;

  // What was shown, in order.
  QList<platform::MessageBoxSpec> boxes;
  QList<platform::FileDialogSpec> fileDialogs;
  int fontDialogs = 0;
  int printDialogs = 0;
  QStringList modalWindows;  // objectName of each window passed to ExecModal

  // Queued answers.
  QQueue<int> boxAnswers;                      // index of the button to press
  QQueue<std::optional<QString>> fileAnswers;  // file name, or nullopt for cancel
  QQueue<std::optional<QFont>> fontAnswers;
  QQueue<bool> printAnswers;
  // Called with the dialog instead of exec(); returns the result code.
  QQueue<std::function<int(QDialog&)>> modalAnswers;

  // Texts of all message boxes shown so far.
  QStringList Texts() const;
  // Queues the answer for the next message box by button caption, e.g. "&Ja".
  void AnswerNext(const QString& buttonCaption);

  int ShowMessageBox(QWidget* parent, const platform::MessageBoxSpec& request) override;
  std::optional<QString> GetSaveFileName(QWidget* parent,
                                         const platform::FileDialogSpec& request) override;
  std::optional<QString> GetOpenFileName(QWidget* parent,
                                         const platform::FileDialogSpec& request) override;
  std::optional<QFont> GetFont(QWidget* parent, const QFont& initial) override;
  bool ExecPrintDialog(QWidget* parent, QPrinter& printer) override;
  int ExecModal(QDialog& dialog) override;

 private:
  QQueue<QString> namedAnswers_;
};

// Scripted dialogs whose confirmed print dialog chooses PDF output into outputFile.
class PdfPrintDialogs : public ScriptedDialogs {
 public:
  QString outputFile;
  bool ExecPrintDialog(QWidget* parent, QPrinter& printer) override;
};

// A message sink for store functions that records the texts.
class RecordingSink : public store::MessageSink {
 public:
  QStringList texts;
  void ShowMessage(const QString& text) override { texts.append(text); }
};

}  // namespace testsupport
