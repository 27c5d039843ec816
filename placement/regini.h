#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace placement {

// The registry root a key path starts from.
enum class THKEY {
  LocalMachine,  // the machine-wide branch (HKEY_LOCAL_MACHINE)
  CurrentUser,   // the branch of the user who runs the program (HKEY_CURRENT_USER)
};

// Opens the application key SOFTWARE\<company>\<appName> below the root, creating it when it is
// missing. Returns an object whose top level is that key.
using KeyOpener = std::function<std::unique_ptr<QSettings>(THKEY root, const QString& company,
                                                           const QString& appName)>;

// The platform's own store: on Windows the registry itself, elsewhere the settings file of
// organisation <company> and application <appName> (per user, or system-wide for LocalMachine).
std::unique_ptr<QSettings> OpenNativeKey(THKEY root, const QString& company,
                                         const QString& appName);

// A store of plain INI files below directory, one file per application key:
// <directory>/HKEY_CURRENT_USER/SOFTWARE/<company>/<appName>.ini (HKEY_LOCAL_MACHINE likewise).
// Used to keep a run's placements away from the user's own settings.
KeyOpener IniFileKeys(const QString& directory);

// Parses the text of an integer value: decimal with an optional sign, or hexadecimal after "$"
// or after "0x"/"0X" (the latter only when text follows the prefix). Leading blanks are skipped.
// Gives nothing for text that is not a signed 32-bit integer.
std::optional<int> ParseRegInteger(const QString& text);

// INI-style access to an open key: a section is a subkey path below the key ("Forms\Form1"),
// an ident is a value name inside it. Values are text; integers are stored as decimal text.
class TRegIniFile {
 public:
  explicit TRegIniFile(QSettings& key) : key_(key) {}

  QSettings& Key() { return key_; }

  // The stored text, or def when the subkey or the value is missing. Throws
  // store::UserError "Ungültiger Datentyp für '<ident>'" when the value is stored with a
  // type other than text.
  QString ReadString(const QString& section, const QString& ident, const QString& def);
  // The stored integer, or def when the value is missing or its text is not an integer.
  // Throws like ReadString for a value of another type.
  int ReadInteger(const QString& section, const QString& ident, int def);

  void WriteString(const QString& section, const QString& ident, const QString& value);
  void WriteInteger(const QString& section, const QString& ident, int value);

 private:
  QString KeyName(const QString& section, const QString& ident) const;

  QSettings& key_;
};

}  // namespace placement
