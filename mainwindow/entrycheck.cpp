#include "mainwindow/entrycheck.h"

#include "store/cp1252.h"

namespace mainwindow {

namespace {

QString Quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

std::optional<Refusal> CheckCharacters(int field, const QString& value) {
  // The record store gives back at most 1023 characters of a value: the rest would be lost,
  // and a record key of longer names would not even count as one.
  if (value.size() > store::kMaxFieldLength) {
    return Refusal{field, store::kMaxFieldLength,
                   QStringLiteral("Das Feld %1 darf höchstens %2 Zeichen enthalten.")
                       .arg(Quoted(store::FieldCaption(field)))
                       .arg(store::kMaxFieldLength)};
  }
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value.at(i).unicode() < 32 || value.at(i).unicode() == 127) {
      return Refusal{field, i,
                     QStringLiteral("Das Feld %1 enthält ein Steuerzeichen, das nicht gespeichert "
                                    "werden kann. Bitte entfernen Sie es.")
                         .arg(Quoted(store::FieldCaption(field)))};
    }
  }
  qsizetype bad = -1;
  if (!store::FitsCp1252(value, &bad)) {
    // Show the whole character, also when it is made of two UTF-16 units.
    const qsizetype length = value.at(bad).isHighSurrogate() && bad + 1 < value.size() ? 2 : 1;
    return Refusal{field, bad,
                   QStringLiteral("Das Zeichen %1 im Feld %2 kann nicht gespeichert werden. "
                                  "Bitte ersetzen Sie es.")
                       .arg(Quoted(value.mid(bad, length)), Quoted(store::FieldCaption(field)))};
  }
  return std::nullopt;
}

// The record key names the record's section in the record store. A section name ends at the
// first "]" and loses blanks at both ends, so such a key would name another record's section
// or none at all.
std::optional<Refusal> CheckKeyField(int field, const QString& value) {
  for (const QChar forbidden : {QLatin1Char('@'), QLatin1Char(']')}) {
    const qsizetype at = value.indexOf(forbidden);
    if (at >= 0) {
      return Refusal{field, at,
                     QStringLiteral("Das Feld %1 darf kein %2 enthalten.")
                         .arg(Quoted(store::FieldCaption(field)), Quoted(forbidden))};
    }
  }
  if (field == store::kName && value.startsWith(QLatin1Char(' '))) {
    return Refusal{field, 0,
                   QStringLiteral("Das Feld %1 darf nicht mit einem Leerzeichen beginnen.")
                       .arg(Quoted(store::FieldCaption(field)))};
  }
  if (field == store::kVorname && value.endsWith(QLatin1Char(' '))) {
    return Refusal{field, value.size(),
                   QStringLiteral("Das Feld %1 darf nicht mit einem Leerzeichen enden.")
                       .arg(Quoted(store::FieldCaption(field)))};
  }
  return std::nullopt;
}

}  // namespace

std::optional<Refusal> CheckEntry(const store::RecordValues& values) {
  for (int field : {store::kVorname, store::kName}) {
    if (auto refusal = CheckKeyField(field, values[field]))
      return refusal;
  }
  for (int field = 0; field < store::kFieldCount; ++field) {
    if (auto refusal = CheckCharacters(field, values[field]))
      return refusal;
  }
  return std::nullopt;
}

}  // namespace mainwindow
