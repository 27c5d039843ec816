#pragma once

#include <QString>
#include <QStringList>

namespace benchdata {

// A generated address book in a data directory: adresse.qdx, names.qdx and secure.qdx as
// Windows-1252 CR LF bytes, the same for the same record count on every machine.
struct AddressBook {
  QString dir;
  int records = 0;
  QStringList liveKeys;     // the keys in names.qdx, sorted as the program shows them
  QStringList deletedKeys;  // the keys in secure.qdx (their sections stay in adresse.qdx)
  QStringList companies;    // every company name used
  QString lastKeyInStore;   // the key of the last section in adresse.qdx
};

// Writes an address book of `records` records into dir (created if needed): realistic German
// values with umlauts and "ß", about records/20 companies (some records without company), a
// third of the records with an internal extension "IRuf", some empty values, and one record
// in a hundred soft-deleted. The record store lists records in the order they were "entered",
// not sorted. The name index is sorted but for 300 keys appended at its end out of order, as
// restores leave it.
AddressBook Generate(const QString& dir, int records, quint32 seed = 4711);

}  // namespace benchdata
