#include "tests/reliability/stressmodel.h"

#include <QRegularExpression>

namespace stress {

QString OwnKey(int process, int n) {
  return QStringLiteral("Stress%1-%2,J\u00fcrgen").arg(process).arg(n);
}

QString SharedKey(int process, int i) {
  // The process number's bits choose the case of "Gem": eight spellings of one key.
  QString name = QStringLiteral("gemeinsam%1").arg(i);
  for (int bit = 0; bit < 3; ++bit) {
    if (process & (1 << bit))
      name[bit] = name[bit].toUpper();
  }
  return name + QStringLiteral(",Schl\u00fcssel");
}

QString SharedName(const QString& key) {
  static const QRegularExpression pattern(
      QStringLiteral("^[Gg][Ee][Mm]einsam\\d+,Schl\u00fcssel$"));
  return pattern.match(key).hasMatch() ? key.toUpper() : QString();
}

bool IsStressKey(const QString& key) {
  static const QRegularExpression own(QStringLiteral("^Stress\\d+-\\d+,J\u00fcrgen$"));
  return own.match(key).hasMatch() || !SharedName(key).isEmpty();
}

store::RecordValues Values(const QString& key, const QString& version) {
  const int comma = key.indexOf(QLatin1Char(','));
  // Some fields are empty in every other version, so empty values are written and read too.
  const bool even = !version.isEmpty() && version.back().digitValue() % 2 == 0;
  store::RecordValues v;
  v[store::kName] = key.left(comma);
  v[store::kVorname] = key.mid(comma + 1);
  v[store::kFirma] = QStringLiteral("M\u00fcller & S\u00f6hne ") + version;
  v[store::kKurzzeichen] = even ? QString() : QStringLiteral("EK");
  v[store::kPosition] = QStringLiteral("Gesch\u00e4ftsf\u00fchrer");
  v[store::kStrasse] = QStringLiteral("Hauptstra\u00dfe ") + version;
  v[store::kPLZ] = QStringLiteral("50667");
  v[store::kOrt] = QStringLiteral("K\u00f6ln");
  v[store::kTelefon1] = QStringLiteral("0221 ") + version;
  v[store::kTelefon2] = even ? QStringLiteral("0221 999") : QString();
  v[store::kFax] = QString();
  v[store::kHandy] = QStringLiteral("0170 1234567");
  v[store::kEMail] = QStringLiteral("info@example.de");
  v[store::kKurzwahl] = version.right(2);
  v[store::kIRuf] = QStringLiteral("4711");
  return v;
}

namespace {

const char* const kStateNames[] = {"live", "deleted", "gone", "claimed"};

}  // namespace

QByteArray FormatLog(const QList<LogEntry>& entries) {
  QByteArray bytes;
  for (const LogEntry& e : entries) {
    bytes += kStateNames[int(e.state)];
    bytes += '\t' + e.key.toUtf8() + '\t' + e.version.toUtf8() + '\n';
  }
  return bytes;
}

QList<LogEntry> ParseLog(const QByteArray& bytes) {
  QList<LogEntry> entries;
  for (const QByteArray& line : bytes.split('\n')) {
    const QList<QByteArray> parts = line.split('\t');
    if (parts.size() != 3)
      continue;
    LogEntry e;
    for (int s = 0; s < 4; ++s) {
      if (parts[0] == kStateNames[s])
        e.state = State(s);
    }
    e.key = QString::fromUtf8(parts[1]);
    e.version = QString::fromUtf8(parts[2]);
    entries.append(e);
  }
  return entries;
}

}  // namespace stress
