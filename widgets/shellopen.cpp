#include "widgets/shellopen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

namespace widgets {
namespace {

bool DesktopOpen(const ShellRequest& request) {
  // A program given with parameters is started with them; everything else goes to the
  // desktop's default program for the address or document.
  if (!request.params.isEmpty() && request.target.isLocalFile()) {
    const QFileInfo file(request.target.toLocalFile());
    if (file.isFile() && file.isExecutable()) {
      return QProcess::startDetached(file.absoluteFilePath(),
                                     QProcess::splitCommand(request.params), request.directory);
    }
  }
  return QDesktopServices::openUrl(request.target);
}

ShellOpener& Opener() {
  static ShellOpener opener;
  return opener;
}

}  // namespace

int ShellOpenFile(const QString& fileName, const QString& params, const QString& directory,
                  int showCmd) {
  if (fileName.trimmed().isEmpty())
    return kShellFailed;
  const QUrl target = QUrl::fromUserInput(fileName, directory);
  if (!target.isValid())
    return kShellFailed;
  const ShellRequest request{target, params, directory, showCmd};
  const bool opened = Opener() ? Opener()(request) : DesktopOpen(request);
  return opened ? kShellOpened : kShellFailed;
}

void SetShellOpener(ShellOpener opener) {
  Opener() = std::move(opener);
}

}  // namespace widgets
