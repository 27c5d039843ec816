#pragma once

#include <QString>

namespace store {

// The store's German messages, exactly as the user sees them.
QString LoadFailureMessage();                      // "Daten können nicht geladen werden. ..."
QString StoreProbeFailureMessage();                // "Datensatz kann nicht geladen werden. ..."
QString CannotWriteMessage(const QString& path);   // "nach %s kann nicht geschrieben werden"
QString CannotCreateMessage(const QString& path);  // "Datei %s kann nicht erstellt werden"
// A value longer than a record store kept in UTF-8 gives back (field in editor order).
QString TooLongForUtf8Message(int field);  // "Das Feld "Straße" ist zu lang ..."
// An export was asked to replace one of the address book's own files.
QString DataFileTargetMessage(const QString& path);  // "Die Datei %s gehört zum Adressbuch ..."
// A record store that an editor saved as UTF-16: its records cannot be read, and nothing is
// written into it.
QString Utf16StoreMessage(const QString& path);  // "Die Datei %s ist als Unicode-Text ..."
// Another workstation holds the lock of the data files past the wait.
QString LockBusyMessage();  // "Das Adressbuch wird gerade an einem anderen Arbeitsplatz ..."

// Where the shared operations send the messages they show. The windows implement it with
// a plain message box; tests record the texts.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const QString& text) = 0;
};

}  // namespace store
