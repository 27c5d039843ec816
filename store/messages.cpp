#include "store/messages.h"

#include <QDir>

#include "store/fieldtable.h"

namespace store {

QString LoadFailureMessage() {
  return QStringLiteral(
      "Daten können nicht geladen werden. Sollte dies mehrfach vorkommen, setzen Sie sich bitte "
      "mit Ihrem Systemadministrator in Verbindung");
}

QString Utf16StoreMessage(const QString& path) {
  return QStringLiteral(
             "Die Datei %1 ist als Unicode-Text (UTF-16) gespeichert und kann nicht gelesen "
             "werden. Bitte speichern Sie sie im Editor wieder als ANSI-Text. Bis dahin wird "
             "nichts in sie geschrieben.")
      .arg(path);
}

QString StoreProbeFailureMessage() {
  return QStringLiteral(
      "Datensatz kann nicht geladen werden. Der Vorgang ist gescheitert! Eventuell greift gerade "
      "ein anderer Rechner auf den Datensatz zu. Wiederholen Sie den Vorgang. Sollte dies "
      "mehrfach vorkommen, setzen Sie sich mit Ihrem Systemadministrator in Verbindung");
}

QString CannotWriteMessage(const QString& path) {
  return QStringLiteral("nach ") + QDir::toNativeSeparators(path) +
         QStringLiteral(" kann nicht geschrieben werden");
}

QString CannotCreateMessage(const QString& path) {
  return QStringLiteral("Datei ") + QDir::toNativeSeparators(path) +
         QStringLiteral(" kann nicht erstellt werden");
}

QString TooLongForUtf8Message(int field) {
  return QStringLiteral(
             "Das Feld \"%1\" ist zu lang: Das Adressbuch ist in UTF-8 gespeichert, wo ein Umlaut "
             "zwei Bytes belegt, und ein Feld darf dort h\u00f6chstens %2 Bytes umfassen. Bitte "
             "k\u00fcrzen Sie es.")
      .arg(FieldCaption(field))
      .arg(kMaxFieldLength);
}

QString DataFileTargetMessage(const QString& path) {
  return QStringLiteral("Die Datei ") + QDir::toNativeSeparators(path) +
         QStringLiteral(
             " geh\u00f6rt zum Adressbuch und wird nicht \u00fcberschrieben. Bitte w\u00e4hlen "
             "Sie einen anderen Namen.");
}

QString LockBusyMessage() {
  return QStringLiteral(
      "Das Adressbuch wird gerade an einem anderen Arbeitsplatz ge\u00e4ndert. Bitte versuchen "
      "Sie es in einem Moment noch einmal.");
}

}  // namespace store
