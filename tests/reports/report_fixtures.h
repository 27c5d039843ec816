#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

#include "store/cp1252.h"

namespace reporttest {

// A record as stored: section name and key/value lines in store order.
struct StoredRecord {
  QString key;
  QList<QPair<QString, QString>> values;
};

// A full record with every field derived from a stem, e.g. "Meier" -> "Meier-Ort".
inline StoredRecord FullRecord(const QString& name, const QString& firstName,
                               const QString& iruf) {
  const QString stem = name + QLatin1Char('-');
  return {name + QLatin1Char(',') + firstName,
          {{"Vorname", firstName},
           {"Name", name},
           {"Position", stem + "Pos"},
           {"Kurzzeichen", stem + "KZ"},
           {"Firma", stem + "Firma"},
           {"Strasse", stem + "Str"},
           {"PLZ", stem + "PLZ"},
           {"Ort", stem + "Ort"},
           {"Telefon1", stem + "T1"},
           {"Telefon2", stem + "T2"},
           {"Fax", stem + "Fax"},
           {"Handy", stem + "Handy"},
           {"EMail", stem + "Mail"},
           {"Kurzwahl", stem + "KW"},
           {"IRuf", iruf}}};
}

// The record store file of the records: Windows-1252, CR LF.
inline QByteArray StoreBytes(const QList<StoredRecord>& records) {
  QByteArray bytes;
  for (const StoredRecord& record : records) {
    bytes += '[' + store::ToCp1252(record.key) + "]\r\n";
    for (const auto& [key, value] : record.values) {
      bytes += store::ToCp1252(key) + '=' + store::ToCp1252(value) + "\r\n";
    }
  }
  return bytes;
}

inline QVector<bool> Flags(int count, bool value) { return QVector<bool>(count, value); }

}  // namespace reporttest
