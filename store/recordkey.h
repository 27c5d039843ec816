#pragma once

#include <QString>

namespace store {

// The record key: name, ",", first name; no blank, no trimming, letter case as typed.
QString FormRecordKey(const QString& name, const QString& firstName);

// The internal-number view's entry: key, " ", "@ ", internal number.
QString DecorateEntry(const QString& key, const QString& internalNumber);

// Turns a shown list entry back into its record key: without "@" the entry is returned
// unchanged; otherwise the part before the first "@" without trailing characters <= 32.
QString StripEntrySuffix(const QString& entry);

}  // namespace store
