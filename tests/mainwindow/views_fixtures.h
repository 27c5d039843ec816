#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Record-store fixtures for the view, delete and export tests, written as Windows-1252 bytes
// the way the program writes a new section: all fifteen keys in store order.
namespace viewsfixtures {

using Values = QList<QPair<const char*, const char*>>;  // store key, Latin-1 value

inline QByteArray Section(const char* key, const Values& values) {
  static const char* const kStoreOrder[] = {
      "Vorname",  "Name",     "Position", "Kurzzeichen", "Firma", "Strasse",  "PLZ", "Ort",
      "Telefon1", "Telefon2", "Fax",      "Handy",       "EMail", "Kurzwahl", "IRuf"};
  QByteArray bytes = QByteArray("[") + key + "]\r\n";
  for (const char* storeKey : kStoreOrder) {
    QByteArray value;
    for (const auto& pair : values) {
      if (qstrcmp(pair.first, storeKey) == 0)
        value = pair.second;
    }
    bytes += QByteArray(storeKey) + "=" + value + "\r\n";
  }
  return bytes;
}

// A person: name, first name, company and internal number; the other fields empty.
inline QByteArray Person(const char* name, const char* firstName, const char* company,
                         const char* internalNumber = "") {
  const QByteArray key = QByteArray(name) + "," + firstName;
  return Section(
      key.constData(),
      {{"Vorname", firstName}, {"Name", name}, {"Firma", company}, {"IRuf", internalNumber}});
}

}  // namespace viewsfixtures
