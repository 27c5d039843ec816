#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace widgets {

// What the shell is asked to open.
struct ShellRequest {
  QUrl target;        // web address or local file, resolved from the given name
  QString params;     // handed to a program; ignored for documents and web addresses
  QString directory;  // working directory of a program that is started
  int showCmd = 5;    // the show-window code of the caller; the desktop decides the window
};

// Opens the request; true when the desktop accepted it.
using ShellOpener = std::function<bool(const ShellRequest&)>;

// Result values of ShellOpenFile, in the shell's convention: above 32 means success.
constexpr int kShellOpened = 42;
constexpr int kShellFailed = 2;

// Opens a file, document or web address with the desktop's default program. A name that is no
// absolute path or address is resolved against directory. The strings are handed on whole,
// whatever their length. An empty name opens nothing and fails.
int ShellOpenFile(const QString& fileName, const QString& params, const QString& directory,
                  int showCmd);

// Replaces the desktop's open operation (tests); an empty opener restores it.
void SetShellOpener(ShellOpener opener);

}  // namespace widgets
