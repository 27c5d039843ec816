#include "placement/regini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>
#include <limits>

#include "store/usererror.h"

namespace placement {
namespace {

QString RootName(THKEY root) {
  return root == THKEY::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                     : QStringLiteral("HKEY_CURRENT_USER");
}

// A file-based key exists as soon as its file does, even while it holds no value yet. Failure
// is silent: a key that cannot be created only means that nothing will be stored.
[[maybe_unused]] void CreateFileIfMissing(const QString& path) {
  if (path.isEmpty() || QFileInfo::exists(path))
    return;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.close();
}

std::optional<qint64> ParseDigits(const QString& digits, int base) {
  if (digits.isEmpty())
    return std::nullopt;
  qint64 value = 0;
  for (const QChar ch : digits) {
    const int digit =
        ch.isDigit() && ch.unicode() < 128 ? ch.unicode() - '0'
        : base == 16 && ch.toLower() >= QLatin1Char('a') && ch.toLower() <= QLatin1Char('f')
            ? ch.toLower().unicode() - 'a' + 10
            : -1;
    if (digit < 0)
      return std::nullopt;
    value = value * base + digit;
    // Stop before the accumulator could overflow; anything this large is out of range anyway.
    if (value > qint64(std::numeric_limits<quint32>::max()))
      return std::nullopt;
  }
  return value;
}

}  // namespace

std::unique_ptr<QSettings> OpenNativeKey(THKEY root, const QString& company,
                                         const QString& appName) {
#ifdef Q_OS_WIN
  // The registry path form keeps the exact key path, also for an empty application name.
  return std::make_unique<QSettings>(
      RootName(root) + QStringLiteral("\\SOFTWARE\\") + company + QLatin1Char('\\') + appName,
      QSettings::NativeFormat);
#else
  const auto scope = root == THKEY::LocalMachine ? QSettings::SystemScope : QSettings::UserScope;
  auto key = std::make_unique<QSettings>(QSettings::NativeFormat, scope, company, appName);
  CreateFileIfMissing(key->fileName());
  return key;
#endif
}

KeyOpener IniFileKeys(const QString& directory) {
  return [directory](THKEY root, const QString& company, const QString& appName) {
    const QString path = directory + QLatin1Char('/') + RootName(root) +
                         QStringLiteral("/SOFTWARE/") + company + QLatin1Char('/') + appName +
                         QStringLiteral(".ini");
    CreateFileIfMissing(path);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
  };
}

std::optional<int> ParseRegInteger(const QString& text) {
  int start = 0;
  while (start < text.size() && text[start] == QLatin1Char(' '))
    ++start;
  const QString trimmed = text.mid(start);

  std::optional<qint64> value;
  bool negative = false;
  if (trimmed.startsWith(QLatin1Char('$'))) {
    value = ParseDigits(trimmed.mid(1), 16);
  } else if (trimmed.size() > 2 && trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    value = ParseDigits(trimmed.mid(2), 16);
  } else {
    QString digits = trimmed;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
      negative = digits[0] == QLatin1Char('-');
      digits.remove(0, 1);
    }
    value = ParseDigits(digits, 10);
  }
  if (!value)
    return std::nullopt;
  const qint64 signedValue = negative ? -*value : *value;
  if (signedValue < std::numeric_limits<int>::min() ||
      signedValue > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return int(signedValue);
}

QString TRegIniFile::KeyName(const QString& section, const QString& ident) const {
  QString path = section;
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (path.endsWith(QLatin1Char('/')))
    path.chop(1);
  return path.isEmpty() ? ident : path + QLatin1Char('/') + ident;
}

QString TRegIniFile::ReadString(const QString& section, const QString& ident, const QString& def) {
  const QString name = KeyName(section, ident);
  if (!key_.contains(name))
    return def;
  const QVariant value = key_.value(name);
  if (value.typeId() != QMetaType::QString) {
    throw store::UserError(QStringLiteral("Ung\u00fcltiger Datentyp f\u00fcr '%1'").arg(ident));
  }
  return value.toString();
}

int TRegIniFile::ReadInteger(const QString& section, const QString& ident, int def) {
  const QString text = ReadString(section, ident, QString());
  if (text.isNull())
    return def;
  return ParseRegInteger(text).value_or(def);
}

void TRegIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
  key_.setValue(KeyName(section, ident), value);
}

void TRegIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
  WriteString(section, ident, QString::number(value));
}

}  // namespace placement
