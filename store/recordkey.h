#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace store {

// The record key: name, ",", first name; no blank, no trimming, letter case as typed.
QString FormRecordKey(const QString& name, const QString& firstName);

// The internal-number view's entry: key, " ", "@ ", internal number.
QString DecorateEntry(const QString& key, const QString& internalNumber);

// Turns a shown list entry back into its record key: without "@" the entry is returned
// unchanged; otherwise the part before the first "@" without trailing characters <= 32.
QString StripEntrySuffix(const QString& entry);
// The record keys of a list's entries, in list order: of all of them, or of those whose flag
// in picked is set (an entry beyond picked's end is not picked). Entries without "@", the
// usual case, are taken as they are, without a copy of their text.
QStringList StripEntrySuffixes(const QStringList& entries);
QStringList StripEntrySuffixes(const QStringList& entries, const QVector<bool>& picked);

}  // namespace store
