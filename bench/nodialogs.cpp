#include "bench/nodialogs.h"

#include "platform/dialogs.h"

namespace bench {
namespace {

class NoDialogs : public platform::Dialogs {
 public:
  int ShowMessageBox(QWidget*, const platform::MessageBoxSpec& request) override {
    qFatal("unexpected message: %s", qPrintable(request.text));
  }
  std::optional<QString> GetSaveFileName(QWidget*, const platform::FileDialogSpec&) override {
    return std::nullopt;
  }
  std::optional<QString> GetOpenFileName(QWidget*, const platform::FileDialogSpec&) override {
    return std::nullopt;
  }
  std::optional<QFont> GetFont(QWidget*, const QFont&) override { return std::nullopt; }
  bool ExecPrintDialog(QWidget*, QPrinter&) override { return false; }
  int ExecModal(QDialog&) override { return 0; }
};

}  // namespace

void InstallNoDialogs() {
  static NoDialogs dialogs;
  platform::Dialogs::Install(&dialogs);
}

}  // namespace bench
