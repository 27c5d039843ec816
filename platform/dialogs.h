#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace platform {

enum class Icon { None, Information, Warning, Critical, Question };

// A modal message box: caption, icon, text and buttons with their exact captions.
struct MessageBoxSpec {
  QString caption;
  QString text;
  Icon icon = Icon::None;
  QStringList buttons;    // captions, e.g. {"&Ja", "&Nein", "Abbrechen"}
  int defaultButton = 0;  // index into buttons
  int escapeButton = -1;  // index returned when the box is closed by its title bar or Escape
};

struct FileDialogSpec {
  QString title;
  QString filter;         // Qt filter text, e.g. "Excel Export (*.csv)"
  QString defaultSuffix;  // without dot, e.g. "csv"
  QString initialPath;    // the file name last chosen in this dialog
  bool confirmOverwrite = false;
  bool fileMustExist = false;
};

enum class Answer { Yes, No, Cancel };

// The one seam through which every message box, question, file dialog, font dialog, print
// dialog and modal window of the program is shown. Production code calls Dialogs::Get();
// tests install a scripted implementation that records what was shown and returns queued
// answers.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows the box and returns the index of the pressed button.
  virtual int ShowMessageBox(QWidget* parent, const MessageBoxSpec& request) = 0;
  virtual std::optional<QString> GetSaveFileName(QWidget* parent,
                                                 const FileDialogSpec& request) = 0;
  virtual std::optional<QString> GetOpenFileName(QWidget* parent,
                                                 const FileDialogSpec& request) = 0;
  virtual std::optional<QFont> GetFont(QWidget* parent, const QFont& initial) = 0;
  // Shows the platform's print dialog for the printer; true when the user confirmed.
  virtual bool ExecPrintDialog(QWidget* parent, QPrinter& printer) = 0;
  // Shows one of the program's own modal windows and returns its result code.
  virtual int ExecModal(QDialog& dialog) = 0;

  // The application title, used as the caption of plain messages.
  static QString ApplicationTitle();

  // Convenience forms built on ShowMessageBox, with the program's conventions:
  // a plain message has the application title as caption and one "OK" button.
  void Message(QWidget* parent, const QString& text);
  // An error box, as the framework showed for errors it caught.
  void Error(QWidget* parent, const QString& text);
  // A confirmation question: caption "Bestätigen", question icon, "&Ja" and "&Nein",
  // and "Abbrechen" when withCancel is set. Closing the box counts as No, or Cancel where
  // there is one.
  Answer Confirm(QWidget* parent, const QString& text, bool withCancel = false);

  static Dialogs& Get();
  // Installs an implementation (tests); nullptr restores the Qt implementation.
  static void Install(Dialogs* dialogs);
};

}  // namespace platform
